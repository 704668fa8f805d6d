#pragma once
// The machine-readable results of a series, written beside its report with the same name:
// "result_<stamp>.json" and "result_<stamp>.csv". The texts of the program are Latin-1; both
// files are UTF-8. Pure functions: any thread; none fails (file writing is the caller's).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sysinfo/system_info.h"

namespace quorvel::bench {

// Marks our result files; a file without it, or with another schema version, is not read.
inline constexpr const char* kResultsFormat = "quorvel-results";
inline constexpr int kResultsSchemaVersion = 1;

struct ResultField {
  std::string Name;
  std::string Value;
  bool operator==(const ResultField&) const = default;
};

struct RunResult {
  int Number = 0;             // 1.. within its resolution
  std::optional<double> Fps;  // absent when the run left no usable result
  std::string FpsText;        // the figure as the game wrote it
  // Every column of the run's line in the game's result file, named by the file's header.
  std::vector<ResultField> Fields;
};

struct ResolutionResult {
  std::string RunKey;  // "640" .. "hdtv3", "custom"
  std::string Label;   // "1024\xD7768", "1000 \xD7 700 (Custom)"
  int Width = 0;
  int Height = 0;
  std::vector<RunResult> Runs;
};

// Everything the files hold of one series. Latin-1 texts.
struct SeriesResults {
  bool Complete = true;  // false: the series ended in error; only what it measured is here
  std::string StartedAt;
  std::string Stamp;
  bool LostCoast = false;
  std::string DemoName;
  std::string DemoCaption;
  std::vector<ResultField> Machine;           // as the report's head shows it, in its order
  std::vector<ResultField> Settings;          // every setting of the series
  std::vector<ResolutionResult> Resolutions;  // in the order they ran

  // The resolution with `runKey`, appended (with its label and size) when not there yet.
  ResolutionResult& Resolution(const std::string& runKey, const std::string& customWidth,
                               const std::string& customHeight);
  bool AnyFigure() const;
};

inline constexpr const char* kHalfLife2Name = "Half-Life 2";
inline constexpr const char* kLostCoastName = "Half-Life 2: Lost Coast";

// The machine lines of the report's head as name and value (the second graphics block, when
// there are two, has " (2)" after its names).
std::vector<ResultField> MachineFields(const SystemInfoSnapshot& info);

// The named columns of the run in the bytes of a game result file: the columns of the header
// line (line 3 of the older layout, line 1 of the newer one) paired with the run's line.
// Columns without a name are called "column N"; empty when the file has no such lines.
std::vector<ResultField> ResultFileFields(std::string_view content);

// The two files' bytes.
std::string ResultsJson(const SeriesResults& results);
std::string ResultsCsv(const SeriesResults& results);

// "<folder>result_<stamp>" + extension, the report's name with another extension.
std::string ResultsFileName(const std::string& reportName, const char* extension);

// Latin-1 to UTF-8.
std::string Latin1ToUtf8(std::string_view text);

}  // namespace quorvel::bench
