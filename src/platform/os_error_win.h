#pragma once
// Errors of refused platform calls, with the system's own message for the code.
#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "platform/win.h"

namespace quorvel {

// The system's message for an error code, without trailing line breaks or blanks; empty when
// the system has no message for it. Callable from any thread.
std::string SystemErrorMessage(DWORD code);

// "System Error.  Code: <code>." + "\r\n" + the system's message, as an EOSError carrying the
// code. Callable from any thread.
EOSError OsError(DWORD code);

}  // namespace quorvel
