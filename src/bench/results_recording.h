#pragma once
// Filling a series' result files' contents as the series goes: its settings from the window
// when the game is prepared, and each run as it is read. Pure functions on the
// user-interface thread's values; none fails.
#include <optional>
#include <string>
#include <vector>

#include "bench/results_export.h"
#include "bench/series_order.h"

namespace quorvel::bench {

// Every setting the series runs with, as the window showed it at the run button: the
// resolutions chosen, runs per resolution, detail, HDR, heap size, anti-aliasing, filtering,
// fast Z, refresh rate and the note.
std::vector<ResultField> SeriesSettingsFields(const SeriesOrder& order);

// Adds a run to its resolution (numbered after the runs it already has): its figure and the
// figure's text when it had one, and the named columns of its result file's bytes.
void RecordResultRun(SeriesResults& results, const std::string& runKey,
                     const std::string& customWidth, const std::string& customHeight,
                     std::optional<double> fps, const std::string& fpsText,
                     const std::string& resultFile);

}  // namespace quorvel::bench
