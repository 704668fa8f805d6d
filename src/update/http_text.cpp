#include "update/http_text.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/text.h"

namespace quorvel::http {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimBoth(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Index 1..N of `word` among the three-letter names (any case), 0 when absent.
template <std::size_t N>
int NameIndex(std::string_view word, const std::array<const char*, N>& names) {
  if (word.size() != 3) return 0;
  for (std::size_t i = 0; i < N; ++i) {
    if (text::EqualsNoCase(word, names[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

constexpr std::array<const char*, 7> kWeekdays = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Takes the field up to `separator` off the front of `rest` (the separator is dropped and
// what follows is trimmed on the left); the whole rest when there is no separator.
std::string_view TakeField(std::string_view& rest, char separator) {
  std::size_t at = rest.find(separator);
  std::string_view field = rest.substr(0, at);
  rest = at == std::string_view::npos ? std::string_view() : TrimLeft(rest.substr(at + 1));
  return field;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 0001-01-01 to the given date (proleptic Gregorian).
std::int64_t DayNumber(int y, int m, int d) {
  std::int64_t years = y - 1;
  std::int64_t days = years * 365 + years / 4 - years / 100 + years / 400;
  for (int i = 1; i < m; ++i) days += DaysInMonth(y, i);
  return days + d - 1;
}

}  // namespace

std::string WithScheme(std::string_view url) {
  if (url.find("://") != std::string_view::npos) return std::string(url);
  return "http://" + std::string(url);
}

std::string PercentDecode(std::string_view text) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ReencodeExtra(std::string_view extra) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(extra.size());
  for (char ch : extra) {
    unsigned char c = static_cast<unsigned char>(ch);
    bool escape = c < 0x20 || c >= 0x80 || c == ' ' || c == '#' || c == '%' || c == '*' ||
                  c == '+' || c == '<' || c == '>';
    if (escape) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string RealmFromAuthenticate(std::string_view header) {
  std::size_t at = header.find("=\"");
  if (at == std::string_view::npos) return std::string(header);
  std::size_t from = at + 2;
  // The closing quote is the header's last character; a header that ends right at the
  // opening quote has no realm text at all.
  if (from >= header.size()) return std::string();
  return std::string(header.substr(from, header.size() - 1 - from));
}

std::optional<std::int32_t> HeaderNumber(std::string_view text) {
  std::string_view digits = TrimBoth(text);
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<DateTime> EncodeDateTime(int year, int month, int day, int hour, int minute,
                                       int second) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    return std::nullopt;
  std::int64_t days = DayNumber(year, month, day) - DayNumber(1899, 12, 30);
  double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  // Before the epoch the fraction counts away from it, as the date-time type has it.
  return days >= 0 ? days + fraction : days - fraction;
}

DateTime ParseHttpDate(std::string_view input, int biasMinutes) {
  std::string_view rest = TrimBoth(input);
  if (rest.empty()) return 0;
  if (rest.size() >= 3 && NameIndex(rest.substr(0, 3), kWeekdays) != 0) {
    std::size_t space = rest.find(' ');
    rest = space == std::string_view::npos ? std::string_view() : TrimLeft(rest.substr(space + 1));
  }

  std::size_t dash = rest.find('-');
  std::size_t space = rest.find(' ');
  char separator = dash != std::string_view::npos && dash >= 1 && dash < space ? '-' : ' ';

  int day = 1;
  int month = 0;
  std::string_view first = TakeField(rest, separator);
  if (int m = NameIndex(first, kMonths)) {
    month = m;
    day = HeaderNumber(TakeField(rest, separator)).value_or(1);
  } else {
    day = HeaderNumber(first).value_or(1);
    month = NameIndex(TakeField(rest, separator), kMonths);
  }

  std::string_view yearField = TakeField(rest, ' ');
  std::optional<std::int32_t> year = HeaderNumber(yearField);
  if (!year || *year == 1900) {
    // The form whose year comes last: the year is what remains, and the field just taken
    // (the time) is what is left to read.
    year = HeaderNumber(rest);
    if (!year) return 0;
    rest = yearField;
  }
  int y = *year;
  if (y < 80) {
    y += 2000;
  } else if (y < 100) {
    y += 1900;
  }

  int hour = 0, minute = 0, second = 0;
  if (rest.find(':') != std::string_view::npos) {
    std::string_view time = TakeField(rest, ' ');
    std::string_view h = TakeField(time, ':');
    std::string_view m = TakeField(time, ':');
    hour = HeaderNumber(h).value_or(0);
    minute = HeaderNumber(m).value_or(0);
    second = HeaderNumber(time).value_or(0);
  }

  std::optional<DateTime> value = EncodeDateTime(y, month, day, hour, minute, second);
  if (!value) return 0;

  std::string_view zone = TrimBoth(rest);
  int offsetMinutes = 0;
  if (zone.size() > 4 && (zone[0] == '+' || zone[0] == '-')) {
    std::optional<std::int32_t> zh = HeaderNumber(zone.substr(1, 2));
    std::optional<std::int32_t> zm = HeaderNumber(zone.substr(3, 2));
    if (!zh || !zm) return 0;
    offsetMinutes = (*zh * 60 + *zm) * (zone[0] == '+' ? 1 : -1);
  }
  // Whole minutes added as days keep the fraction on the same footing as EncodeDateTime.
  return *value - (offsetMinutes + biasMinutes) / 1440.0;
}

std::int64_t RoundQuotientHalfEven(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t q = numerator / denominator;
  std::int64_t r = numerator % denominator;
  if (r < 0) {
    r += denominator;
    q -= 1;
  }
  // Now numerator = q * denominator + r with 0 <= r < denominator.
  std::int64_t twice = 2 * r;
  if (twice > denominator || (twice == denominator && (q % 2) != 0)) ++q;
  return q;
}

ProgressValues ComputeProgress(std::int64_t bytesRead, std::int64_t fileSize,
                               std::int64_t resumeFrom, std::uint32_t startTick,
                               std::uint32_t nowTick) {
  ProgressValues v;
  std::int64_t total = fileSize + resumeFrom;
  if (total > 0) {
    std::int64_t percent = RoundQuotientHalfEven((bytesRead + resumeFrom) * 100, total);
    v.PercentsDone = static_cast<std::uint8_t>(std::clamp<std::int64_t>(percent, 0, 255));
  }
  std::uint32_t elapsedMs = nowTick - startTick;
  v.ElapsedTime = static_cast<std::int32_t>(elapsedMs / 1000);
  if (bytesRead > 0) {
    std::int64_t expected = RoundQuotientHalfEven(fileSize * v.ElapsedTime, bytesRead);
    v.EstimatedTimeLeft = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(expected - v.ElapsedTime, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
  }
  float rate = static_cast<float>(bytesRead) / 1024.0f;
  if (v.ElapsedTime != 0) rate /= static_cast<float>(v.ElapsedTime);
  v.TransferRate = rate;
  return v;
}

}  // namespace quorvel::http
