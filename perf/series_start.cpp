// How long a user waits from pressing the run button until the game starts: the Steam check,
// the diagnostics tool (first series) or its cache (later series), the game's preparation and
// the report head with its probes. Measured on the real program with the stand-ins, next to
// the bare run of the diagnostics tool that the first series cannot avoid.
#include <cstdio>
#include <string>

#include "platform/files_win.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"
#include "ui/resource_ids.h"

using namespace quorvel;
using namespace quorvel::testing;

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t;
}

// Presses the run button and returns the seconds until an hl2.exe process exists; waits for
// the series to end afterwards. Negative when the game never started.
double PressAndTimeFirstGameStart(HWND button) {
  LARGE_INTEGER start = Now();
  ::PostMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_BENCHBUTTON, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  double seconds = -1;
  DWORD begin = ::GetTickCount();
  while (::GetTickCount() - begin < 120000) {
    if (!ProcessIdsNamed("hl2.exe").empty()) {
      seconds = Seconds(start, Now());
      break;
    }
    ::Sleep(2);
  }
  // The series ends with the run button enabled again.
  ::Sleep(500);
  begin = ::GetTickCount();
  while (!::IsWindowEnabled(button) && ::GetTickCount() - begin < 300000) ::Sleep(100);
  return seconds;
}

}  // namespace

int main() {
  ProgramEnvironment env("perf_series_start");
  std::string results = env.Root + "Results\\";
  files::ForceDirectories(results);
  env.CreateSteamKey();
  env.InstallGames();
  env.CreateGameSettings(false);
  env.InstallDiagnosticsStandin();
  WriteFile(env.AccountFolder + "half-life 2\\standin.ini", "[hl2]\r\nPlayMs=500\r\n");
  env.CreateSettingsKey({{"640", "1"}, {"RunNumber", "1"}, {"Demo", "1"}, {"FastZ", "1"}});
  env.SetSetting("ResultPath", results);

  // The bare diagnostics tool, as the first series runs it.
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  LARGE_INTEGER t0 = Now();
  StartedProcess tool = env.Start(std::string(system) + "\\dxdiag.exe /whql:on /t " + env.Root +
                                  "bare_dxinfo.txt");
  env.WaitExit(tool, 60000);
  double bareTool = Seconds(t0, Now());

  env.StartSteam();
  StartedProcess program = env.StartProgram(
      {{"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"}, {"QUORVEL_SEAM_NO_SHELL", "1"}});
  HWND window = env.WaitForWindow(program.Id, 60000);
  HWND button = window ? FindChildById(window, IDC_BENCHBUTTON) : nullptr;
  if (!button) {
    std::printf("the program's run button was not found\n");
    return 1;
  }
  double first = PressAndTimeFirstGameStart(button);
  double second = PressAndTimeFirstGameStart(button);
  env.Kill(program);

  std::printf("run button to first game start, first series (diagnostics run): %.3f s\n", first);
  std::printf("run button to first game start, next series (diagnostics cached): %.3f s\n",
              second);
  std::printf("bare diagnostics tool run (stand-in, includes its 0.5 s delay):  %.3f s\n",
              bareTool);
  std::printf("first series minus bare tool run (our own work incl. probes):   %.3f s\n",
              first - bareTool);
  return first < 0 || second < 0 ? 1 : 0;
}
