#include "bench/result_reader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/text.h"

namespace quorvel::bench {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// Walks a text line by line without copying it; a line ends at CR LF, LF or CR, and a final
// line break adds no line.
class LineReader {
 public:
  explicit LineReader(std::string_view content) : rest_(content) {}
  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    size_t end = rest_.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      line = rest_;
      rest_ = {};
      return true;
    }
    line = rest_.substr(0, end);
    bool crLf = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
    rest_.remove_prefix(end + (crLf ? 2 : 1));
    return true;
  }

 private:
  std::string_view rest_;
};

// Field `index` of a comma-separated line and whether a comma ends it; nullopt when the line
// has fewer fields.
struct LineField {
  std::string_view Text;
  bool CommaAfter;
};
std::optional<LineField> Field(std::string_view line, size_t index) {
  for (size_t i = 0; i < index; ++i) {
    size_t comma = line.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    line.remove_prefix(comma + 1);
  }
  size_t comma = line.find(',');
  return LineField{line.substr(0, comma), comma != std::string_view::npos};
}

// Whether the figure rounds to a score that a 32-bit number holds.
bool FitsScore(double value) {
  double rounded = RoundHalfEven(value);
  return std::isfinite(rounded) && rounded >= std::numeric_limits<std::int32_t>::min() &&
         rounded <= std::numeric_limits<std::int32_t>::max();
}

std::optional<ResultFigure> Figure(std::string_view figureText, char decimalSeparator) {
  std::optional<double> value = ConvertFigure(figureText, decimalSeparator);
  if (!value || !FitsScore(*value)) return std::nullopt;
  return ResultFigure{std::string(figureText), *value};
}

// Column of "fps" in the header line of the current layout; nullopt for any other first line.
std::optional<size_t> FpsColumn(std::string_view header) {
  for (size_t column = 0;; ++column) {
    size_t comma = header.find(',');
    if (text::EqualsNoCase(TrimView(header.substr(0, comma)), "fps")) return column;
    if (comma == std::string_view::npos) return std::nullopt;
    header.remove_prefix(comma + 1);
  }
}

// Current layout: the last non-blank line after the header is the run just played; its "fps"
// field is taken without blanks.
std::optional<ResultFigure> FromColumns(LineReader& lines, size_t column, char decimalSeparator) {
  std::string_view line;
  std::optional<std::string_view> lastRun;
  while (lines.Next(line))
    if (!TrimView(line).empty()) lastRun = line;
  if (!lastRun) return std::nullopt;
  std::optional<LineField> field = Field(*lastRun, column);
  if (!field) return std::nullopt;
  return Figure(TrimView(field->Text), decimalSeparator);
}

// Title, empty line, header, then the run on line 4: its third field, between the second and
// the third comma, exactly as written.
std::optional<ResultFigure> FromFourthLine(LineReader& lines, char decimalSeparator) {
  std::string_view line;
  for (int number = 2; number <= 4; ++number)
    if (!lines.Next(line)) return std::nullopt;
  std::optional<LineField> field = Field(line, 2);
  if (!field || !field->CommaAfter) return std::nullopt;
  return Figure(field->Text, decimalSeparator);
}

}  // namespace

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
  LineReader lines(content);
  std::string_view first;
  if (!lines.Next(first)) return std::nullopt;
  if (std::optional<size_t> column = FpsColumn(first))
    return FromColumns(lines, *column, decimalSeparator);
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
