#pragma once
// The start-up of the main window: the fixed sequence of steps that runs after its controls
// exist. The game search runs on a worker thread while this thread keeps handling the
// window's messages (painting, a later start asking for the window); the window takes no
// input until the start-up has ended. User-interface thread only.
#include <functional>
#include <string>

namespace quorvel {

class MainWindow;

inline constexpr const char* kReinstallMessage =
    "Please reinstall the Zarvent Half-Life 2 Benchmark!";
inline constexpr const char* kInstallGameMessage = "Please install the Half-Life 2!";
// The run button's tooltip and the status line when Steam is there but the game is not.
inline constexpr const char* kGameNotFoundMessage =
    "Half-Life 2 was not found! Please install the Half-Life 2!";
// The status line while the start-up runs.
inline constexpr const char* kStartingStatus = "Starting...";
inline constexpr const char* kSearchingStatus = "Looking for Half-Life 2 in the Steam folder...";

struct StartupOptions {
  std::string programFolder;  // ends with "\"; the folder of the program file
  std::string programPath;    // the program file, for its version text
  // Show the window as soon as its first page is set, with what the start-up is doing in
  // the status line (the program); otherwise it stays as it is (window tests).
  bool showAtOnce = false;
  // Called once the window has been shown that way.
  std::function<void()> onShown;
};

// The options of the running program: its own file and folder.
StartupOptions ProgramStartupOptions();

// Runs the start-up steps in order. The window and its run button take no input until it
// returns. An early end (settings key or Steam missing) is shown to the user and leaves the
// run button disabled; an error in a step ends the start-up at that step and is reported,
// the steps before it stay done. The quit message arriving during the game search ends the
// start-up there (the message is posted again for the caller's loop). Returns true only
// when every step ran (the About view is then shown). Never throws.
bool RunStartup(MainWindow& window, const StartupOptions& options);

}  // namespace quorvel
