#pragma once
// Libraries loaded while the program runs. The program's folder, the current folder and the
// folders of the PATH can hold files that another account put there; a library is taken
// from the system folder only. Any thread.
#include "platform/win.h"

namespace quorvel::libraries {

// From now on every library that the process loads at run time by bare name, the ones
// Windows loads on the program's behalf included, comes from the system folder only.
// Called first thing at program start. False when the platform refuses.
bool RestrictSearchToSystemFolder();

// The system folder's library `name` ("URL.DLL"); null when it is not there.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace quorvel::libraries
