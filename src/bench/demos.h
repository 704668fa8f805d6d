#pragma once
// The demo catalogue: three built-in demos delivered in the program's "Demos\" folder and one
// custom demo file chosen by the user. Portable rules; the copy itself is in demos_win.h.
// Pure functions: any thread; none fails.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "settings/game_paths.h"
#include "settings/steam_game.h"

namespace quorvel::bench {

struct BuiltInDemo {
  const char* Caption;        // item of the radio group `demo`
  const char* ReportCaption;  // DemoCaption printed in the report
  const char* FileName;       // in "Demos\" and in the game folder
  const char* DemoName;       // what "+timedemoquit" names
  steam::Game Game;           // the game folder it goes into
  unsigned PauseMs;           // pause after copying it
};

// Items 0..2 of `demo`, in order.
const std::array<BuiltInDemo, 3>& BuiltInDemos();

inline constexpr int kCustomDemoItem = 3;
inline constexpr const char* kCustomDemoCaption = "Custom demo:";
inline constexpr const char* kCustomReportCaption = "Custom demo - ";
inline constexpr const char* kDemosSubfolder = "Demos\\";
inline constexpr unsigned kCustomDemoPauseMs = 1000;
// Status hint while the custom demo is chosen, and the refusal when none is defined.
inline constexpr const char* kDefineCustomDemo =
    "Please define your custom demo and select its type (Normal or Lost Coast)";

// The demo choice of the page "Filters & demos" that a series runs with.
struct DemoChoice {
  int Item = -1;               // ticked item of `demo`, -1 for none
  std::string CustomPath;      // text of DemoEdit
  bool LostCoastType = false;  // HL2LC is ticked
};

// The game of a series: Lost Coast for the built-in Lost Coast demo or a custom demo of the
// Lost Coast type; Half-Life 2 for everything else.
steam::Game SeriesGameFor(const DemoChoice& choice);

// The file name part of a path (after the last "\", "/" or ":").
std::string FileNameOfPath(std::string_view path);

// A custom demo's name: the file name up to, not including, the first ".dem" as written
// (letter case matters); empty when ".dem" does not occur.
std::string CustomDemoName(std::string_view fileName);

// Why a series cannot start with this choice; empty when it can. A custom demo needs a file
// that exists; `fileExists` tests a path. Checked before anything of the game is touched.
std::string DemoChoiceProblem(const DemoChoice& choice,
                              const std::function<bool(const std::string&)>& fileExists);

// What InstallDemo does for a choice.
struct DemoInstallPlan {
  bool HasDemo = false;  // false: no item ticked, the demo texts stay as they were
  std::string Source;    // file to copy from
  std::string Target;    // file in the game folder; copied only when missing
  unsigned PauseMs = 0;  // pause after a copy
  std::string DemoName;
  std::string DemoCaption;
};

// Built-in demos come from ProgramFolder + "Demos\" and go into their own game's folder; the
// custom demo comes from the path the user chose and goes into the folder of `game`.
DemoInstallPlan PlanDemoInstall(const DemoChoice& choice, steam::Game game, const GamePaths& paths);

}  // namespace quorvel::bench
