// The program with scripted seams, for end-to-end and window tests.
#include <cstdio>
#include <cstdlib>

#include "app/program_win.h"
#include "support/scripted_seams_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static quorvel::testing::ScriptedSeams seams = quorvel::testing::ScriptedSeams::FromEnvironment();
  quorvel::InstallSeams(&seams);
  // QUORVEL_START_LOG: one line per start with the command line (a restart after an update
  // shows its arguments there).
  if (const char* log = std::getenv("QUORVEL_START_LOG"); log && *log) {
    if (FILE* f = std::fopen(log, "ab")) {
      std::fprintf(f, "%s\n", ::GetCommandLineA());
      std::fclose(f);
    }
  }
  return quorvel::RunProgram(instance);
}
