#pragma once
// Writing a series' result files beside its report, and reading files for the comparison.
// Any thread; nothing here throws for a file failure.
#include <string>
#include <vector>

#include "bench/compare_page.h"
#include "bench/results_export.h"

namespace quorvel::bench {

struct WrittenResults {
  std::string JsonPath;  // set once the JSON file is written
  std::string CsvPath;
  std::string Failure;  // "Cannot create file "<name>". <system reason>" when one failed
};

// Writes ResultsJson and ResultsCsv as `reportName` with ".json" and ".csv" in place of its
// extension, replacing files of those names.
WrittenResults WriteResultsFiles(const SeriesResults& results, const std::string& reportName);

// Reads the named files (a file that cannot be read is marked, not dropped).
std::vector<ResultsFile> ReadResultsFiles(const std::vector<std::string>& names);

// Builds the comparison of the named files and writes it to `pagePath`; the reason (one line)
// when the page cannot be made or written, otherwise empty.
std::string WriteComparePage(const std::vector<std::string>& names, const std::string& pagePath);

}  // namespace quorvel::bench
