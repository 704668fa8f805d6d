#pragma once
// What one benchmark series is to run, taken in one piece when the series is asked for (the
// run button reads it from the window; a command line could fill it just as well). Nothing
// of the series reads a window control after that. Plain values: any thread; none fails.
#include <array>
#include <optional>
#include <string>

#include "bench/demos.h"
#include "settings/resolution_catalogue.h"
#include "settings/settings_controls.h"
#include "settings/steam_game.h"

namespace quorvel::bench {

struct SeriesOrder {
  // The resolutions: the nine fixed slots, and the custom slot with its two size texts.
  std::array<bool, kFixedSlotCount> SlotTicked{};
  bool CustomTicked = false;
  std::string CustomWidth;
  std::string CustomHeight;

  DemoChoice Demo;
  // The game the series runs; SeriesGameFor(Demo) when the window fills the order.
  steam::Game Game = steam::Game::HalfLife2;

  // Selected items of the setting lists, -1 for none (the item texts are in option_lists.h).
  int RunsItem = -1;  // RunNumberBox: 0..4 for one to five runs per resolution
  int AFItem = -1;
  int AAItem = -1;
  int HDRItem = -1;
  int RefreshItem = -1;
  int HeapsizeItem = -1;
  bool FastZ = false;

  std::string Note;           // printed in the report's head
  std::string ResultsFolder;  // as typed; the report goes there
};

// The order as the window's controls show it now.
SeriesOrder SeriesOrderFrom(const SettingsControls& controls);

// Whether a slot (0..9) is selected; the custom slot needs its box and both sizes.
bool SlotSelected(const SeriesOrder& order, int slot);

// The first selected slot at or after `slot`; nullopt when none.
std::optional<int> NextSelectedSlot(const SeriesOrder& order, int slot);

// Number of selected slots.
int SelectedCount(const SeriesOrder& order);

}  // namespace quorvel::bench
