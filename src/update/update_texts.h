#pragma once
// The update component's numbered texts (0 to 32) and the choice of their language. The
// program carries the English set in its string table at 41000 + i; the texts here are the
// same, for the portable logic and as the fallback of every other set. Portable.
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::update {

enum class TzUpdaterLanguage {
  wlAuto = 0,
  wlEnglish,
  wlRussian,
  wlGerman,
  wlFrench,
  wlSpanish,
  wlPortuguese,
  wlPortugueseBrazilian,
  wlItalian,
  wlDutch,
  wlDanish,
  wlSwedish,
  wlFinnish,
  wlEstonian,
  wlUkrainian,
  wlPolish,
  wlCzech,
  wlHungarian,
  wlRomanian,
  wlCatalan,
  wlBasque,
  wlAfrikaans,
  wlChineseTraditional,
  wlChineseSimplified,
  wlIndonesian,
  wlMalay,
  wlIcelandic,
  wlTurkish,
  wlNorwegian,
  wlSlovak,
};

// Texts 31 and 32 are the program's own: an update that is not the developer's (a wrong or
// missing signature, a file that differs from its hash, an address that is not https) and
// an installation that Windows did not start with administrator rights.
inline constexpr int kTextCount = 33;
inline constexpr int kTextBaseId = 41000;
inline constexpr int kLanguageStride = 50;

// English text `i` (0..32); empty for any other number.
std::string_view EnglishText(int i);
// Resource id of text `i` of a language set (wlAuto counts as English).
int TextResourceId(TzUpdaterLanguage language, int i);
// The set for the platform's default language identifier (primary language in the low ten
// bits, sub-language above them); English when no set matches.
TzUpdaterLanguage LanguageFromLangId(std::uint16_t langId);

// The texts with place-holders, filled from `format` (the text of the chosen set) with the
// platform's format rules. A format that does not hold the expected place-holders in order
// is returned unfilled rather than read wrongly.
// Texts 6 and 7 round their one decimal half away from zero and write it with the user's
// decimal separator (`decimalSeparator`, "." when none is given).
std::string FileSizeText(std::string_view format, double kilobytes,
                         std::string_view decimalSeparator = ".");  // text 6
std::string TransferRateText(std::string_view format, double kbPerSecond,
                             std::string_view decimalSeparator = ".");         // text 7
std::string EstimatedTimeText(std::string_view format, std::int32_t seconds);  // text 8
std::string DownloadingText(std::string_view format, int number, int count);   // text 9
// Texts 10, 23, 26, 28, 29: each "%s" in turn gets the next of the given texts.
std::string FillTexts(std::string_view format, std::string_view first,
                      std::string_view second = {});

}  // namespace quorvel::update
