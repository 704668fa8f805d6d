#pragma once
// What a series puts into the game before its first run: the start-up script, the game's own
// registry settings and the launch options. Plain values in, plain values out; the writes to
// the game's folders and registry are in game_config_win.h. Pure functions: any thread; none
// fails.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/bench_series.h"

namespace quorvel::bench {

// One REG_DWORD value of the game's settings key.
struct GameValue {
  const char* Name;
  std::uint32_t Number;
  bool operator==(const GameValue& o) const;
};

// The autoexec.cfg a series writes: nineteen lines, each ended by CR LF. The same for both
// games and every setting.
std::string AutoexecText();

// Values written before the series' first run, in order: the six fixed ones, the filtering
// pair for `afIndex` (AFBox: 0..5; "From System", no selection or anything else writes
// nothing) and the anti-aliasing value for `aaIndex` (AABox: 0..3; likewise).
std::vector<GameValue> RunRegistryValues(int afIndex, int aaIndex);

// The values written after them: "mat_reducefillrate" again, "mat_parallaxmap" and, when
// `hdrIndex` is 0..2, "mat_hdr_level" = that index.
std::vector<GameValue> DetailRegistryValues(int hdrIndex);

// Sets FastZOption from `fastZ`, and RefreshOption and HeapOption from the selected indexes;
// an index with no entry (-1 or outside the list) keeps the fragment of the previous series.
void BuildLaunchOptions(BenchSeries& series, int refreshIndex, int heapsizeIndex, bool fastZ);

}  // namespace quorvel::bench
