#include "platform/error_reporter_win.h"

#include "platform/errors.h"
#include "platform/seams_win.h"

namespace quorvel {

namespace {
const char* KindOf(const std::exception* error) {
  if (!error) return "unknown error";
  if (dynamic_cast<const EOSError*>(error)) return "EOSError";
  if (dynamic_cast<const AppError*>(error)) return "program error";
  if (dynamic_cast<const std::bad_alloc*>(error)) return "out of memory";
  return "runtime error";
}
}  // namespace

void ReportError(HWND owner, const char* where, const std::exception* error) {
  try {
    std::string message = error ? error->what() : "An unknown error occurred.";
    std::string details = std::string("Event: ") + (where ? where : "?") + "\r\nKind: " +
                          KindOf(error) + "\r\nThe action was stopped; the program goes on.";
    CurrentSeams().ErrorReport(owner, message, details);
  } catch (...) {
    // Reporting must never take the program down.
  }
}

}  // namespace quorvel
