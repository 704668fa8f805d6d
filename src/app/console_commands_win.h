#pragma once
// The commands of the command line that run without the window: "/compare" and "/?".
// Program entry, before anything else starts.
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Runs the command of `arguments` (without the program's name) when it is one that needs no
// window, printing to the console the program was started from (or to its redirected
// output); its exit code. nullopt when the command line is the window's.
std::optional<int> RunConsoleCommand(const std::vector<std::string>& arguments);

}  // namespace quorvel
