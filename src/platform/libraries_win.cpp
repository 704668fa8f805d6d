#include "platform/libraries_win.h"

namespace quorvel::libraries {

bool RestrictSearchToSystemFolder() {
  return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

HMODULE LoadSystemLibrary(const char* name) {
  return ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace quorvel::libraries
