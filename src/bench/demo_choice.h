#pragma once
// What choosing a demo on the page "Filters & demos" does, as plain rules: which controls of
// the custom demo are usable, what "Demo" stores and when the status line asks the user to
// define the custom demo.
#include <optional>
#include <string>

#include "bench/demos.h"

namespace quorvel::bench {

inline constexpr int kDemoItemCount = 4;

// What ticking one item of the demo group does to the window.
struct DemoItemEffect {
  bool customControlsEnabled = false;  // DemoEdit, DemoEditButton, HL2LC, NormalHL2
  std::string demoValue;               // "1".."4", the value stored as "Demo"
  bool showCustomHint = false;         // the status line shows kDefineCustomDemo
};

// The effect of ticking demo item `item` (0..3); nullopt for any other item.
// `filtersPageShown`: "Filters & demos" is the page on screen; `demoEditEmpty`: no custom
// demo file is defined yet.
std::optional<DemoItemEffect> ChooseDemo(int item, bool filtersPageShown, bool demoEditEmpty);

// Whether showing the page "Filters & demos" sets the status line to kDefineCustomDemo
// (whenever the custom demo is ticked, a file chosen or not).
bool FiltersPageShowsHint(int tickedItem);

// The file-open dialog's filter for a custom demo: one entry, "*.dem", as the double-NUL
// list the dialog takes.
std::string DemoFileFilter();

}  // namespace quorvel::bench
