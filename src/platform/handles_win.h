#pragma once
// Scoped owners of Win32 resources; the only place that closes them.
#include <utility>

#include "platform/win.h"

namespace quorvel {

// A kernel handle (process, thread, event, token, file mapping, mutex).
// INVALID_HANDLE_VALUE and null both mean "none".
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() { return std::exchange(h_, nullptr); }
  void Reset(HANDLE h = nullptr) {
    if (*this) ::CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

// An open registry key.
class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(HKEY k) : k_(k) {}
  RegKey(RegKey&& o) noexcept : k_(std::exchange(o.k_, nullptr)) {}
  RegKey& operator=(RegKey&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.k_, nullptr));
    return *this;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { Reset(); }

  HKEY Get() const { return k_; }
  explicit operator bool() const { return k_ != nullptr; }
  void Reset(HKEY k = nullptr) {
    if (k_) ::RegCloseKey(k_);
    k_ = k;
  }

 private:
  HKEY k_ = nullptr;
};

// A FindFirstFileA search.
class FindHandle {
 public:
  FindHandle() = default;
  explicit FindHandle(HANDLE h) : h_(h) {}
  FindHandle(FindHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
  FindHandle& operator=(FindHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, INVALID_HANDLE_VALUE));
    return *this;
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() { Reset(); }

  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A device context obtained with GetDC or CreateDCA.
class WindowDc {
 public:
  WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A GDI object (bitmap, brush, font, pen).
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T o) : o_(o) {}
  GdiObject(GdiObject&& o) noexcept : o_(std::exchange(o.o_, nullptr)) {}
  GdiObject& operator=(GdiObject&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.o_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(); }
  T Get() const { return o_; }
  explicit operator bool() const { return o_ != nullptr; }
  void Reset(T o = nullptr) {
    if (o_) ::DeleteObject(o_);
    o_ = o;
  }

 private:
  T o_ = nullptr;
};

}  // namespace quorvel
