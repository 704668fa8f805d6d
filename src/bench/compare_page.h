#pragma once
// The comparison page: two or more result files ("result_<stamp>.json") side by side, one
// HTML page in UTF-8 with inline SVG charts (no script, nothing from the network). Pure
// functions: any thread; reading never throws and never reads past its input.
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvel::bench {

struct NamedValue {
  std::string Name;
  std::string Value;
};

// One result file as the comparison sees it. UTF-8 texts.
struct ComparedResult {
  std::string Source;  // the file's name as given, for the page's labels
  bool Complete = true;
  std::string StartedAt;
  std::string Game;
  std::string Demo;
  std::vector<NamedValue> Machine;
  std::vector<NamedValue> Settings;
  struct Resolution {
    std::string Key;
    std::string Label;
    std::vector<double> Figures;  // the runs that had a figure
  };
  std::vector<Resolution> Resolutions;
};

// Reads one result file's bytes. On failure the text says why, as the end of a sentence
// beginning with the file's name: "is not a JSON file (...)", "is not a Quorvel result file",
// "was written with result format version N; this program reads version 1", "is damaged:
// ...".
std::variant<ComparedResult, std::string> ReadResultsFile(std::string_view bytes,
                                                          const std::string& source);

struct ResultsFile {
  std::string Name;  // as the user gave it
  std::string Bytes;
  bool Unreadable = false;  // the file could not be read; Bytes is empty
};

struct CompareOutcome {
  std::string Page;     // the page's bytes when it could be built
  std::string Failure;  // otherwise the one-line reason
};

// The whole page from two or more files, or the reason it cannot be made: fewer than two
// files, a file that cannot be read or is not a result file of this schema, files of
// different games.
CompareOutcome BuildComparePage(const std::vector<ResultsFile>& files);

// The page of results that were read (at least one).
std::string ComparePageHtml(const std::vector<ComparedResult>& results);

// Escapes "&", "<", ">", '"' and "'" for HTML text and attributes.
std::string HtmlEscape(std::string_view text);

}  // namespace quorvel::bench
