#pragma once
// The error reporter: the boundary around every event handler. An error that the handler
// does not catch ends the handler, is shown with its message and details, and the program
// goes on running.
#include <exception>
#include <string>
#include <typeinfo>

#include "platform/win.h"

namespace quorvel {

// Shows an error that ended the handler `where`. Never throws.
void ReportError(HWND owner, const char* where, const std::exception* error);

// Runs `handler` inside the boundary; returns false when it ended with an error.
template <typename F>
bool Guarded(HWND owner, const char* where, F&& handler) noexcept {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    ReportError(owner, where, &e);
  } catch (...) {
    ReportError(owner, where, nullptr);
  }
  return false;
}

}  // namespace quorvel
