#pragma once
// The start-up of the main window: the fixed sequence of steps that runs after its controls
// exist and before it is first shown. User-interface thread only.
#include <string>

namespace quorvel {

class MainWindow;

inline constexpr const char* kReinstallMessage =
    "Please reinstall the Zarvent Half-Life 2 Benchmark!";
inline constexpr const char* kInstallGameMessage = "Please install the Half-Life 2!";

struct StartupOptions {
  std::string programFolder;  // ends with "\"; the folder of the program file
  std::string programPath;    // the program file, for its version text
};

// The options of the running program: its own file and folder.
StartupOptions ProgramStartupOptions();

// Runs the start-up steps in order. An early end (settings key or Steam missing) is shown
// to the user and leaves the run button disabled; an error in a step ends the start-up at
// that step and is reported, the steps before it stay done. Returns true only when every
// step ran (the About view is then shown). Never throws.
bool RunStartup(MainWindow& window, const StartupOptions& options);

}  // namespace quorvel
