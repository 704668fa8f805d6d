#pragma once
// One running instance per program file. Instances of the same file (same upper-cased full
// path) meet in a named shared memory area guarded by a named lock; a copy of the program
// in another folder is a different program and is not stopped.
#include <functional>
#include <string>

#include "platform/handles_win.h"

namespace quorvel {

class SingleInstanceGuard {
 public:
  // Joins the instances of the program file `programPath`.
  explicit SingleInstanceGuard(const std::string& programPath);
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // When another instance of the same file runs and answers: restores its main window if it
  // is minimised, brings it to the foreground, hands it this process's command line, and
  // returns true (the caller then ends with exit code 0). False otherwise, also when the
  // other instance shows no window or does not answer within 5 s. UI thread, before the
  // main window exists.
  bool ActivateOther();

  // Publishes this instance's main window, so later starts can find it. The guard answers
  // later starts through that window (it hooks the window procedure); call on the thread
  // that owns the window, once.
  void SetMainWindow(HWND window);

  // Called on the window's thread with the command line a later start handed over. The
  // program itself ignores it; without an observer it is dropped.
  void OnCommandLine(std::function<void(const std::string&)> observer);

 private:
  static LRESULT CALLBACK WindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Leave();
  void Unpublish();
  void Unhook();

  UniqueHandle mutex_;
  UniqueHandle mapping_;
  void* view_ = nullptr;
  bool published_ = false;
  bool counted_ = false;
  bool hooked_ = false;
  HWND window_ = nullptr;
  WNDPROC previousProc_ = nullptr;
  std::function<void(const std::string&)> observer_;
};

}  // namespace quorvel
