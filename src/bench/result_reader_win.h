#pragma once
// The game's result files in the game folders, and the locale's decimal separator.
// User-interface thread only; nothing here throws.
#include "bench/bench_series.h"
#include "platform/win.h"
#include "settings/game_paths.h"
#include "settings/steam_game.h"

namespace quorvel::bench {

// Whether "sourcebench.csv" is in the game's folder.
bool ResultExists(const GamePaths& paths, steam::Game game);

// Copies "sourcebench.csv" to "sourcebench.txt" in the game's folder with the shell's file
// copy, replacing an earlier copy. The outcome is not examined: ReadRunScore finds out.
void CopyResultFile(const GamePaths& paths, steam::Game game, HWND owner = nullptr);

// Reads the working copy in the folder of the series game (series.Game()) with the user's
// decimal separator. False, changing nothing, when the copy is missing or holds no figure:
// the run then counts as one without a result.
bool ReadRunScore(BenchSeries& series, const GamePaths& paths);

// Deletes, where present, "sourcebench.csv" of Lost Coast and of Half-Life 2, then
// "sourcebench.txt" of both, whatever the series game.
void DeleteResultFiles(const GamePaths& paths);

// The decimal separator of the user's locale ("." when the locale names none).
char LocaleDecimalSeparator();

}  // namespace quorvel::bench
