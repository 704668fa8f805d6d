#pragma once
#include "platform/win.h"

namespace quorvel {

// The program: single-instance guard, the three windows, the message loop.
// Returns the process exit code.
int RunProgram(HINSTANCE instance);

}  // namespace quorvel
