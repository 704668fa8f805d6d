#pragma once
// Reading the game's timedemo result ("sourcebench.csv") and turning it into scores. Portable:
// the file's bytes and the locale's decimal separator come in; the file handling is in
// result_reader_win.h. The parsers accept any bytes and never read past them. Pure functions
// (any thread) that report an unusable input by their result, never by an exception.
#include <optional>
#include <string>
#include <string_view>

#include "bench/bench_series.h"

namespace quorvel::bench {

// The reader's working copy of the result file, beside it in the game folder.
inline constexpr const char* kResultCopy = "sourcebench.txt";

// A decimal number written with `decimalSeparator` (sign, digits, at most one separator, an
// optional exponent; blanks around it are ignored). nullopt when the text is anything else.
std::optional<double> ParseDecimal(std::string_view text, char decimalSeparator);

// ParseDecimal, and when that fails once more with the first "," turned into "." (or, without
// a ",", the first "." turned into ","), so that a figure written with either separator reads
// the same on every locale.
std::optional<double> ConvertFigure(std::string_view text, char decimalSeparator);

// The average frame rate of a run as the file gives it.
struct ResultFigure {
  std::string Text;  // as printed with one run per resolution
  double Value = 0;
};

// The figure of a result file, in either of the layouts the game writes:
// (lines end with CR LF, LF or CR)
//  - a title line, an empty line, a header line and the run on line 4, the frame rate being
//    its third comma-separated field, taken unchanged (blanks included);
//  - a header line naming its columns, one of them "fps", then one line per run; the last
//    run's "fps" field is taken without its blanks.
// nullopt when the file holds no usable figure (too few lines or fields, not a number, or a
// number no score can hold): the run counts as one without a result.
std::optional<ResultFigure> ParseResultFile(std::string_view content, char decimalSeparator);

// Reads the run's figure from the working copy's bytes into ScoreText and RunFigure and marks
// the series as scored. Returns false, changing nothing, when the file holds no figure.
bool ReadRunScore(BenchSeries& series, std::string_view content, char decimalSeparator);

// With several runs per resolution, after ReadRunScore: Score := RunFigure rounded to the
// nearest whole number (halves to the even one), ScoreText := its digits, added to the sum of
// the current resolution, which starts afresh whenever CurrentKey changes. After the last run
// (RunsDone = RunsWanted) AverageScore := the sum divided by the number of runs of this
// resolution that produced a score, truncated, and the sum starts afresh.
void ScoreRun(BenchSeries& series);

// Nearest whole number, halves to the even neighbour (45.5 -> 46, 46.5 -> 46).
double RoundHalfEven(double value);

}  // namespace quorvel::bench
