#include "app/program_win.h"

namespace quorvel {

int RunProgram(HINSTANCE instance) {
  (void)instance;
  MSG msg;
  ::MessageBoxA(nullptr, "Quorvel", "Zarvent Half-Life 2 benchmark", MB_OK);
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace quorvel
