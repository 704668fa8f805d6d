#pragma once
// A small series for the result file and comparison tests: 1024x768 with three runs (one
// without a result) and 640x480 with one run.
#include <string>

#include "bench/results_export.h"

namespace quorvel::bench::testing {

inline SeriesResults SmallSeries(double scale = 1.0, const std::string& driver = "6.14.10.9147") {
  SeriesResults r;
  r.StartedAt = "3/12/2008 2:05:33 PM";
  r.Stamp = "3_12_2008_2_05_33_PM";
  r.DemoName = "zrv_highway";
  r.DemoCaption = "Highway";
  r.Machine = {{"Operating system", "Windows XP"},
               {"CPU", "Athlon 64"},
               {"Graphics card", "Radeon X800"},
               {"Driver version", driver}};
  r.Settings = {{"Antialiasing mode", "4\xD7"}, {"Note", "new \"fan\", <b>cool</b>"}};
  ResolutionResult& big = r.Resolution("1024", "", "");
  big.Runs.push_back(
      {1, 45.6 * scale, "45.60", {{"demofile", "zrv_highway"}, {"frames/sec", "45.60"}}});
  big.Runs.push_back({2, std::nullopt, "", {}});
  big.Runs.push_back({3, 47.5 * scale, "47.50", {}});
  ResolutionResult& small = r.Resolution("640", "", "");
  small.Runs.push_back({1, 80 * scale, "80.00", {}});
  return r;
}

}  // namespace quorvel::bench::testing
