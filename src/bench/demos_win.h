#pragma once
// Installs the chosen demo into the series game's folder. User-interface thread only.
#include <string>

#include "bench/bench_series.h"
#include "bench/demos.h"
#include "platform/win.h"
#include "settings/game_paths.h"

namespace quorvel::bench {

// Why a series cannot start with this demo choice (a custom demo without a file, or whose
// file no longer exists); empty when it can. Call it before anything of the game is touched.
std::string CheckDemoChoice(const DemoChoice& choice);

// Copies the chosen demo into the game folder with the shell's file copy when that folder
// holds no file of its name (an existing file is used as it is, whatever its content), pauses
// after the copy where the demo asks for it (through CurrentSeams().WaitMs), and sets
// DemoName and DemoCaption of `series`. With no item ticked nothing changes. The outcome of
// the copy is not examined: the shell reports its own failures.
void InstallDemo(BenchSeries& series, const GamePaths& paths, const DemoChoice& choice,
                 steam::Game game, HWND owner = nullptr);

}  // namespace quorvel::bench
