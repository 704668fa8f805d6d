#include "bench/demo_choice.h"

namespace quorvel::bench {

std::optional<DemoItemEffect> ChooseDemo(int item, bool filtersPageShown, bool demoEditEmpty) {
  if (item < 0 || item >= kDemoItemCount) return std::nullopt;
  DemoItemEffect choice;
  choice.demoValue = std::to_string(item + 1);
  choice.customControlsEnabled = item == kCustomDemoItem;
  choice.showCustomHint = item == kCustomDemoItem && filtersPageShown && demoEditEmpty;
  return choice;
}

bool FiltersPageShowsHint(int tickedItem) { return tickedItem == kCustomDemoItem; }

std::string DemoFileFilter() {
  static const char kFilter[] = "Half-Life 2 demo file (*.dem)\0*.dem\0";
  return std::string(kFilter, sizeof kFilter);
}

}  // namespace quorvel::bench
