#include "bench/result_reader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/text.h"

namespace quorvel::bench {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the figure rounds to a score that a 32-bit number holds.
bool FitsScore(double value) {
  double rounded = RoundHalfEven(value);
  return std::isfinite(rounded) && rounded >= std::numeric_limits<std::int32_t>::min() &&
         rounded <= std::numeric_limits<std::int32_t>::max();
}

std::optional<ResultFigure> Figure(std::string figureText, char decimalSeparator) {
  std::optional<double> value = ConvertFigure(figureText, decimalSeparator);
  if (!value || !FitsScore(*value)) return std::nullopt;
  return ResultFigure{std::move(figureText), *value};
}

// Column of "fps" in the header line of the current layout; -1 for any other first line.
int FpsColumn(std::string_view header) {
  std::vector<std::string> names = text::Split(header, ',');
  for (size_t i = 0; i < names.size(); ++i)
    if (text::EqualsNoCase(text::Trim(names[i]), "fps")) return static_cast<int>(i);
  return -1;
}

// Current layout: the last non-blank line after the header is the run just played.
std::optional<ResultFigure> FromColumns(const std::vector<std::string_view>& lines, int column,
                                        char decimalSeparator) {
  for (size_t i = lines.size(); i-- > 1;) {
    if (text::Trim(lines[i]).empty()) continue;
    std::vector<std::string> fields = text::Split(lines[i], ',');
    if (static_cast<size_t>(column) >= fields.size()) return std::nullopt;
    return Figure(text::Trim(fields[static_cast<size_t>(column)]), decimalSeparator);
  }
  return std::nullopt;
}

// Title, empty line, header, then the run on line 4: the third field, between the second and
// the third comma, exactly as written.
std::optional<ResultFigure> FromFourthLine(const std::vector<std::string_view>& lines,
                                           char decimalSeparator) {
  if (lines.size() < 4) return std::nullopt;
  std::string_view line = lines[3];
  size_t first = line.find(',');
  if (first == std::string_view::npos) return std::nullopt;
  size_t second = line.find(',', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  size_t third = line.find(',', second + 1);
  if (third == std::string_view::npos) return std::nullopt;
  return Figure(std::string(line.substr(second + 1, third - second - 1)), decimalSeparator);
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < content.size()) {
    char c = content[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(content.substr(start, i - start));
      i += (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < content.size()) lines.push_back(content.substr(start));
  return lines;
}

std::optional<double> ParseDecimal(std::string_view input, char decimalSeparator) {
  std::string trimmed = text::Trim(input);
  std::string_view s = trimmed;
  std::string normal;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') normal.push_back('-');
    ++i;
  }
  size_t mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) {
    normal.push_back(s[i++]);
    ++mantissaDigits;
  }
  if (i < s.size() && s[i] == decimalSeparator) {
    normal.push_back('.');
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      normal.push_back(s[i++]);
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    normal.push_back('e');
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) normal.push_back(s[i++]);
    size_t exponentDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      normal.push_back(s[i++]);
      ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  const char* end = normal.data() + normal.size();
  auto [ptr, ec] = std::from_chars(normal.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> ConvertFigure(std::string_view text, char decimalSeparator) {
  if (std::optional<double> value = ParseDecimal(text, decimalSeparator)) return value;
  std::string swapped(text);
  size_t comma = swapped.find(',');
  if (comma != std::string::npos) {
    swapped[comma] = '.';
  } else {
    size_t point = swapped.find('.');
    if (point == std::string::npos) return std::nullopt;
    swapped[point] = ',';
  }
  return ParseDecimal(swapped, decimalSeparator);
}

std::optional<ResultFigure> ParseResultFile(std::string_view content, char decimalSeparator) {
  std::vector<std::string_view> lines = SplitLines(content);
  if (lines.empty()) return std::nullopt;
  int column = FpsColumn(lines[0]);
  if (column >= 0) return FromColumns(lines, column, decimalSeparator);
  return FromFourthLine(lines, decimalSeparator);
}

bool ReadRunScore(BenchSeries& series, std::string_view content, char decimalSeparator) {
  std::optional<ResultFigure> figure = ParseResultFile(content, decimalSeparator);
  if (!figure) return false;
  series.ScoreText = std::move(figure->Text);
  series.RunFigure = figure->Value;
  series.SeriesScored = true;
  return true;
}

void ScoreRun(BenchSeries& series) {
  if (series.SumKey != series.CurrentKey) {
    series.SumKey = series.CurrentKey;
    series.ScoreSum = 0;
    series.ScoredRuns = 0;
  }
  series.Score = static_cast<std::int32_t>(RoundHalfEven(series.RunFigure));
  series.ScoreText = std::to_string(series.Score);
  series.ScoreSum += series.Score;
  series.ScoredRuns += 1;
  if (series.RunsDone == series.RunsWanted) {
    series.AverageScore = static_cast<std::int32_t>(series.ScoreSum / series.ScoredRuns);
    series.ScoreSum = 0;
    series.ScoredRuns = 0;
  }
}

double RoundHalfEven(double value) {
  double whole = std::floor(value);
  double rest = value - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return whole;
}

}  // namespace quorvel::bench
