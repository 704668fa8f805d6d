#pragma once
// Whether Steam and the game are running, from the list of running processes. The main
// window owns one of these; the run sequencer asks it before a series and after every run.
#include <string>
#include <vector>

namespace quorvel {

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

  // Sets GameRunning to whether the first process named "hl2.exe" (any case) is still
  // running. When it is, first pauses CurrentSeams().WaitMs(5000) ms, then handles the
  // pending user-interface messages once, so other events may run inside this call.
  // User-interface thread only.
  void CheckGameRunning();

  // Whether the first process named "hl2.exe" (any case) is still running, without pausing
  // and without touching GameRunning. User-interface thread only.
  bool GameProcessRunning() const;
};

}  // namespace quorvel
