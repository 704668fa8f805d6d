#pragma once
// Scoped owner of a WinInet handle (session, connection, request); the only place that
// closes one.
#include <utility>

#include "platform/win.h"

#include <wininet.h>

namespace quorvel {

class InternetHandle {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET h) : h_(h) {}
  InternetHandle(InternetHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  InternetHandle& operator=(InternetHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() { Reset(); }

  HINTERNET Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset(HINTERNET h = nullptr) {
    if (h_) ::InternetCloseHandle(h_);
    h_ = h;
  }

 private:
  HINTERNET h_ = nullptr;
};

}  // namespace quorvel
