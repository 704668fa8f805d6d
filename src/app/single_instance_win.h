#pragma once
// One running instance per program file. Starts of the same file (same upper-cased full
// path) meet in a named shared memory area guarded by a named lock; the first start to
// claim it is the running instance until its process ends (also when it dies). A copy of
// the program in another folder is a different program and is not stopped.
#include <functional>
#include <string>

#include "platform/handles_win.h"

namespace quorvel {

class SingleInstanceGuard {
 public:
  // Joins the starts of the program file `programPath`; claims the running instance's place
  // when no instance of the file runs.
  explicit SingleInstanceGuard(const std::string& programPath);
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // Whether this start must end (the caller then ends with exit code 0): true when another
  // instance of the same file runs. When its main window answers within 5 s it is restored
  // if minimised, brought to the foreground and handed this process's command line; when it
  // does not, this start ends all the same. False when this start is the running instance,
  // also when the one before ends during the wait, and when the shared objects cannot be
  // made. UI thread, before the main window exists.
  bool ActivateOther();
  // Whether another instance of the same file runs now (this start did not claim the place);
  // nothing is handed to it. False when the shared objects cannot be made.
  bool AnotherRuns() const { return view_ && !owner_; }

  // Publishes this instance's main window (when it is the running instance), so later starts
  // can find it. The guard answers
  // later starts through that window (it hooks the window procedure); call on the thread
  // that owns the window, once.
  void SetMainWindow(HWND window);

  // Called on the window's thread with the command line a later start handed over. The
  // program itself ignores it; without an observer it is dropped.
  void OnCommandLine(std::function<void(const std::string&)> observer);

 private:
  static LRESULT CALLBACK WindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool TryClaim();
  void BringForward(HWND other);
  void Release();
  void Unpublish();
  void Unhook();

  UniqueHandle mutex_;
  UniqueHandle mapping_;
  void* view_ = nullptr;
  bool published_ = false;
  bool owner_ = false;
  bool hooked_ = false;
  HWND window_ = nullptr;
  WNDPROC previousProc_ = nullptr;
  std::function<void(const std::string&)> observer_;
};

}  // namespace quorvel
