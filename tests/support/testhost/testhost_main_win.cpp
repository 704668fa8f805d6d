// The program with scripted seams, for end-to-end and window tests.
#include "app/program_win.h"
#include "support/scripted_seams_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static quorvel::testing::ScriptedSeams seams = quorvel::testing::ScriptedSeams::FromEnvironment();
  quorvel::InstallSeams(&seams);
  return quorvel::RunProgram(instance);
}
