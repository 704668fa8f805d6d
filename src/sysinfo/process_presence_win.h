#pragma once
// Whether Steam and the game are running, from the list of running processes. The main
// window owns one of these; the run sequencer asks it before a series and after every run.
#include <string>
#include <vector>

namespace quorvel {

// Whether the game runs: a process named "hl2.exe" or "hl2_win64.exe" (any case, any folder)
// that has not ended. The one answer for the run sequencer, recovery and the exit paths.
// Any thread; false when the process list cannot be taken.
bool GameRuns();

class ProcessPresence {
 public:
  // Written only by CheckSteamRunning; false until the first successful check.
  bool SteamRunning = false;
  // Written only by CheckGameRunning.
  bool GameRunning = false;
  // Executable names (without folder) of the processes seen by the last CheckSteamRunning.
  std::vector<std::string> ProcessNames;

  // Takes the process list into ProcessNames and sets SteamRunning to whether "steam.exe"
  // occurs in the names, ignoring case. When the list cannot be taken, SteamRunning keeps
  // its value. User-interface thread only.
  void CheckSteamRunning();

  // Sets GameRunning to GameRuns(). While the game runs, first pauses
  // CurrentSeams().WaitMs(5000) ms, then handles the pending user-interface messages once, so
  // other events may run inside this call. User-interface thread only.
  void CheckGameRunning();
};

}  // namespace quorvel
