#pragma once
// The state of the one benchmark series that can be under way. It lives as long as the main
// window; nothing of it is stored on disk. Touched on the user-interface thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/steam_game.h"

namespace quorvel::bench {

// The main window's normal position, taken when the run button is pressed.
struct WindowBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct BenchSeries {
  bool LostCoast = false;  // the series runs Lost Coast; false until the first series
  int SelectedCount = 0;
  int CompletedCount = 0;
  int RunsWanted = 0;  // runs per resolution, 1..5
  int RunsDone = 0;    // runs finished in the current resolution
  std::string CurrentKey;
  bool HeadingWritten = false;

  std::string ScoreText;      // the last run's figure as printed in the report
  std::int32_t Score = 0;     // whole-number score of the last run (several runs)
  std::int64_t ScoreSum = 0;  // sum of the scores of the current resolution

  std::string Stamp;      // start date and time, safe for a file name
  std::string StartedAt;  // start date and time as printed
  std::vector<std::string> ReportLines;
  std::string ReportPath;  // the saved report; empty until one was saved in this series
  std::string LaunchCommand;
  std::string DemoName;
  std::string DemoCaption;
  std::string DetailName;
  // Launch option fragments; a list without a selection keeps the previous series' text.
  std::string RefreshOption;
  std::string HeapOption;
  std::string FastZOption;
  WindowBounds SavedBounds;

  // Kept by the result reader.
  bool SeriesScored = false;      // a run of this very series produced a score
  double RunFigure = 0;           // the frame rate of the last run that had a result
  std::string SumKey;             // the resolution whose scores ScoreSum holds
  int ScoredRuns = 0;             // runs of that resolution that produced a score
  std::int32_t AverageScore = 0;  // the average printed after a resolution's last run

  steam::Game Game() const { return LostCoast ? steam::Game::LostCoast : steam::Game::HalfLife2; }
};

// Called when the run button starts a series: clears what a series must not inherit from the
// one before it (run counter, sums, scores, the saved report's name), so that only the new
// series' own runs decide whether it produced a report. Keeps the launch options, the demo
// texts, the runs wanted and the game of the previous series.
void BeginSeries(BenchSeries& series);

// The status line text at the end of a series: "The benchmarking is successful." when the
// series saved a report, otherwise "Benchmark aborted!".
const char* SeriesEndStatus(const BenchSeries& series);

// The detail level the report names; the program offers no other.
inline constexpr const char* kDetailName = "Maximum";

inline constexpr const char* kSeriesSucceeded = "The benchmarking is successful.";
inline constexpr const char* kSeriesAborted = "Benchmark aborted!";

}  // namespace quorvel::bench
