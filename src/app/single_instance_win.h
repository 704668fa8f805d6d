#pragma once
// One running instance per program file. Instances of the same file (same upper-cased full
// path) meet in a named shared memory area guarded by a named lock; a copy of the program
// in another folder is a different program and is not stopped.
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
  // returns true (the caller then ends with exit code 0). False otherwise.
  bool ActivateOther();

  // Publishes this instance's main window, so later starts can find it.
  void SetMainWindow(HWND window);

 private:
  UniqueHandle mutex_;
  UniqueHandle mapping_;
  void* view_ = nullptr;
  bool published_ = false;
};

}  // namespace quorvel
