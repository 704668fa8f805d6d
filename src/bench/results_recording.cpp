#include "bench/results_recording.h"

#include "bench/bench_series.h"
#include "bench/option_lists.h"
#include "settings/resolution_catalogue.h"

namespace quorvel::bench {

std::vector<ResultField> SeriesSettingsFields(const SettingsControls& controls,
                                              const SeriesSelection& selection) {
  std::string chosen;
  for (int order = 0; order <= kCustomSlot; ++order) {
    if (!SlotSelected(selection, order)) continue;
    const ResolutionSlot& slot = ResolutionCatalogue()[static_cast<size_t>(order)];
    std::string label = order == kCustomSlot
                            ? selection.CusWidth + " \xD7 " + selection.CusHeight + " (Custom)"
                            : std::to_string(slot.Width) + "\xD7" + std::to_string(slot.Height);
    chosen += (chosen.empty() ? "" : ", ") + label;
  }
  int runsItem = controls.Selected(Control::RunNumberBox);
  std::vector<ResultField> fields;
  fields.push_back({"Resolutions", chosen});
  fields.push_back({"Runs per resolution", runsItem >= 0 ? std::to_string(runsItem + 1) : ""});
  fields.push_back({"Detail", std::string(kDetailName) + " quality"});
  fields.push_back(
      {"High Dynamic Range", ItemText(kHDRBoxItems, controls.Selected(Control::HDRBox))});
  fields.push_back(
      {"Heapsize", ItemText(kHeapsizeBoxItems, controls.Selected(Control::HeapsizeBox))});
  fields.push_back({"Antialiasing mode", ItemText(kAABoxItems, controls.Selected(Control::AABox))});
  fields.push_back({"Filtering mode", ItemText(kAFBoxItems, controls.Selected(Control::AFBox))});
  fields.push_back({"Fast Z", controls.Checked(Control::FastZBox) ? "Enabled" : "Disabled"});
  fields.push_back(
      {"Refresh rate", ItemText(kRefreshBoxItems, controls.Selected(Control::RefreshBox))});
  fields.push_back({"Note", controls.Text(Control::NoteEdit)});
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
