#include "app/program_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return quorvel::RunProgram(instance);
}
