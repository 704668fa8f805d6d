#pragma once
// The program's command line: the window (no command of ours), "/compare FILE... /out PAGE",
// "/run" with the options of a series, and "/?". Pure functions: any thread; none fails
// (a command line that cannot be understood gives its reason in Error).
#include <optional>
#include <string>
#include <vector>

#include "bench/series_order.h"

namespace quorvel {

enum class CommandKind { Window, Compare, Run, Help };

// The options of "/run"; an absent option means the stored setting.
struct RunOptions {
  std::optional<std::vector<int>> Slots;   // fixed resolution slots 0..8 chosen, in any order
  std::optional<std::string> CustomWidth;  // a custom size among the resolutions
  std::optional<std::string> CustomHeight;
  std::optional<int> DemoItem;          // 0 highway, 1 Lost Coast, 2 anticitizen, 3 a demo file
  std::optional<std::string> DemoFile;  // with DemoItem 3
  bool DemoLostCoast = false;           // the demo file is one of Lost Coast
  std::optional<int> Runs;              // 1..5
  std::optional<int> FilterItem;        // items of the filtering list
  std::optional<int> AAItem;            // items of the anti-aliasing list
  std::optional<int> HdrItem;           // items of the HDR list
  std::optional<std::string> ResultsFolder;
};

struct CommandLine {
  CommandKind Kind = CommandKind::Window;
  std::vector<std::string> CompareFiles;
  std::string ComparePage;
  RunOptions Run;
  std::string Error;  // non-empty: the command cannot run, for this reason (one line)
};

// `arguments` without the program's own name. Options start with "/" or "-" and are not
// case-sensitive. A command line without "/compare", "/run" or "/?" is the window's (its
// arguments, such as "/afterupdate", are left to it).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The order of a "/run" series: `stored` (what the window's controls hold from the stored
// settings) with every option given in `run` in its place. Resolutions given replace the
// stored choice of resolutions as a whole.
bench::SeriesOrder OrderForRun(const bench::SeriesOrder& stored, const RunOptions& run);

// What "/?" prints: every command and option, one per line.
std::string UsageText();

}  // namespace quorvel
