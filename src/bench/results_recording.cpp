#include "bench/results_recording.h"

#include "bench/bench_series.h"
#include "bench/option_lists.h"
#include "settings/resolution_catalogue.h"

namespace quorvel::bench {

std::vector<ResultField> SeriesSettingsFields(const SeriesOrder& order) {
  std::string chosen;
  for (int slotIndex = 0; slotIndex <= kCustomSlot; ++slotIndex) {
    if (!SlotSelected(order, slotIndex)) continue;
    const ResolutionSlot& slot = ResolutionCatalogue()[static_cast<size_t>(slotIndex)];
    std::string label = slotIndex == kCustomSlot
                            ? order.CustomWidth + " \xD7 " + order.CustomHeight + " (Custom)"
                            : std::to_string(slot.Width) + "\xD7" + std::to_string(slot.Height);
    chosen += (chosen.empty() ? "" : ", ") + label;
  }
  int runsItem = order.RunsItem;
  std::vector<ResultField> fields;
  fields.push_back({"Resolutions", chosen});
  fields.push_back({"Runs per resolution", runsItem >= 0 ? std::to_string(runsItem + 1) : ""});
  fields.push_back({"Detail", std::string(kDetailName) + " quality"});
  fields.push_back(
      {"High Dynamic Range", ItemText(kHDRBoxItems, order.HDRItem)});
  fields.push_back(
      {"Heapsize", ItemText(kHeapsizeBoxItems, order.HeapsizeItem)});
  fields.push_back({"Antialiasing mode", ItemText(kAABoxItems, order.AAItem)});
  fields.push_back({"Filtering mode", ItemText(kAFBoxItems, order.AFItem)});
  fields.push_back({"Fast Z", order.FastZ ? "Enabled" : "Disabled"});
  fields.push_back(
      {"Refresh rate", ItemText(kRefreshBoxItems, order.RefreshItem)});
  fields.push_back({"Note", order.Note});
  return fields;
}

void RecordResultRun(SeriesResults& results, const std::string& runKey,
                     const std::string& customWidth, const std::string& customHeight,
                     std::optional<double> fps, const std::string& fpsText,
                     const std::string& resultFile) {
  ResolutionResult& resolution = results.Resolution(runKey, customWidth, customHeight);
  RunResult run;
  run.Number = static_cast<int>(resolution.Runs.size()) + 1;
  run.Fps = fps;
  if (fps) run.FpsText = fpsText;
  run.Fields = ResultFileFields(resultFile);
  resolution.Runs.push_back(std::move(run));
}

}  // namespace quorvel::bench
