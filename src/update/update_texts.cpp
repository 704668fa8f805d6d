#include "update/update_texts.h"

#include <cmath>
#include <cstdio>
#include <variant>
#include <vector>

namespace quorvel::update {

namespace {

constexpr std::string_view kEnglish[kTextCount] = {
    "Application update wizard",
    "Downloading files...",
    "Upgrade completed!",
    "Current file",
    "All files",
    "Downloading file from",
    "File size: %.1f Kb",
    "Transfer rate: %.1f Kb/s",
    "Estimated time left: %d:%.2d:%.2d",
    "Downloading %d of %d",
    "The update of %s has been successfully completed.\n\nPress the OK button to restart "
    "program.",
    "Enter password",
    "User Name",
    "Password",
    "&Yes",
    "&No",
    "&OK",
    "&Cancel",
    "&Next >",
    "&Later",
    "Warning",
    "Error",
    "Preparing. . .",
    "A newer version of %s was released.\n%s\nDo you want to update your version with the "
    "latest one?",
    "Newer version not found. You actually are\nusing most recent version of this program.",
    "File which contains upgrade information was not found on developer's site.",
    "Host %s unreachable.\n\nPlease check your Internet connection and\ntry to upgrade this "
    "software again later.",
    "The update is not completed.\nWould you like to abort upgrading?",
    "File %s not found or inaccessible.\n\nTry to skip this file and continue upgrade?",
    "Access to remote file \"%s\" is password protected.\n\nPlease enter your username and "
    "password (received after registration) to continue software upgrade.",
    "Connection with remote server lost.\n\nPlease restore connection and try to\nupgrade this "
    "software again later.",
    "The update could not be verified as the developer's own and was not installed.\n\nNothing "
    "of this program was changed.",
    "The update was not installed: Windows did not start its installation with administrator "
    "rights.\n\nNothing of this program was changed.",
};

// A number with one decimal for "%.1f": rounded half away from zero on its decimal value (a
// tiny allowance takes 12.25 and 0.15 as the halves they are written as), with `separator`.
struct OneDecimal {
  double value;
  std::string_view separator;
};

std::string OneDecimalText(const OneDecimal& d) {
  double tenths = std::fabs(d.value) * 10.0;
  long long rounded = static_cast<long long>(std::floor(tenths + 0.5 + 1e-9));
  if (!std::isfinite(d.value) || tenths > 9e17) rounded = 0;
  std::string out = (d.value < 0 && rounded != 0) ? "-" : "";
  out += std::to_string(rounded / 10);
  out += d.separator;
  out += static_cast<char>('0' + rounded % 10);
  return out;
}

using Arg = std::variant<std::string_view, long long, OneDecimal>;

// Fills "%s", "%d", "%.2d", "%.1f" and "%%" from `args` in order; the format itself when a
// place-holder and its argument do not agree, or the counts differ.
std::string Fill(std::string_view format, const std::vector<Arg>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    std::string_view rest = format.substr(i);
    char buffer[64];
    if (rest.starts_with("%%")) {
      out += '%';
      i += 1;
    } else if (rest.starts_with("%s") && next < args.size() &&
               std::holds_alternative<std::string_view>(args[next])) {
      out += std::get<std::string_view>(args[next++]);
      i += 1;
    } else if (rest.starts_with("%d") && next < args.size() &&
               std::holds_alternative<long long>(args[next])) {
      std::snprintf(buffer, sizeof buffer, "%lld", std::get<long long>(args[next++]));
      out += buffer;
      i += 1;
    } else if (rest.starts_with("%.2d") && next < args.size() &&
               std::holds_alternative<long long>(args[next])) {
      std::snprintf(buffer, sizeof buffer, "%.2lld", std::get<long long>(args[next++]));
      out += buffer;
      i += 3;
    } else if (rest.starts_with("%.1f") && next < args.size() &&
               std::holds_alternative<OneDecimal>(args[next])) {
      out += OneDecimalText(std::get<OneDecimal>(args[next++]));
      i += 3;
    } else {
      return std::string(format);
    }
  }
  if (next != args.size()) return std::string(format);
  return out;
}

}  // namespace

std::string_view EnglishText(int i) {
  if (i < 0 || i >= kTextCount) return {};
  return kEnglish[i];
}

int TextResourceId(TzUpdaterLanguage language, int i) {
  int n = static_cast<int>(language);
  if (n < 1) n = 1;
  return kTextBaseId + kLanguageStride * (n - 1) + i;
}

TzUpdaterLanguage LanguageFromLangId(std::uint16_t langId) {
  using L = TzUpdaterLanguage;
  const int primary = langId & 0x3FF;
  const int sub = langId >> 10;
  if (primary == 0x16) return sub == 1 ? L::wlPortugueseBrazilian : L::wlPortuguese;
  if (primary == 0x04) return sub == 2 ? L::wlChineseSimplified : L::wlChineseTraditional;
  static constexpr std::pair<int, L> kPrimary[] = {
      {0x09, L::wlEnglish}, {0x19, L::wlRussian},   {0x07, L::wlGerman},    {0x0C, L::wlFrench},
      {0x0A, L::wlSpanish}, {0x10, L::wlItalian},   {0x13, L::wlDutch},     {0x06, L::wlDanish},
      {0x1D, L::wlSwedish}, {0x0B, L::wlFinnish},   {0x25, L::wlEstonian},  {0x22, L::wlUkrainian},
      {0x15, L::wlPolish},  {0x05, L::wlCzech},     {0x0E, L::wlHungarian}, {0x18, L::wlRomanian},
      {0x03, L::wlCatalan}, {0x2D, L::wlBasque},    {0x36, L::wlAfrikaans}, {0x21, L::wlIndonesian},
      {0x3E, L::wlMalay},   {0x0F, L::wlIcelandic}, {0x1F, L::wlTurkish},   {0x14, L::wlNorwegian},
      {0x1B, L::wlSlovak},
  };
  for (const auto& [id, language] : kPrimary)
    if (id == primary) return language;
  return L::wlEnglish;
}

std::string FileSizeText(std::string_view format, double kilobytes,
                         std::string_view decimalSeparator) {
  return Fill(format, {OneDecimal{kilobytes, decimalSeparator}});
}

std::string TransferRateText(std::string_view format, double kbPerSecond,
                             std::string_view decimalSeparator) {
  return Fill(format, {OneDecimal{kbPerSecond, decimalSeparator}});
}

std::string EstimatedTimeText(std::string_view format, std::int32_t seconds) {
  long long s = seconds;
  return Fill(format, {s / 3600, (s / 60) % 60, s % 60});
}

std::string DownloadingText(std::string_view format, int number, int count) {
  return Fill(format, {static_cast<long long>(number), static_cast<long long>(count)});
}

std::string FillTexts(std::string_view format, std::string_view first, std::string_view second) {
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < format.size(); ++i)
    if (format[i] == '%' && format[i + 1] == 's') ++count;
  if (count >= 2) return Fill(format, {first, second});
  return Fill(format, {first});
}

}  // namespace quorvel::update
