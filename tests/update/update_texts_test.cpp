#include "update/update_texts.h"

#include <gtest/gtest.h>

namespace quorvel::update {
namespace {

TEST(UpdateTexts, FilledTexts) {
  EXPECT_EQ(FileSizeText(EnglishText(6), 1536.0 / 1024), "File size: 1.5 Kb");
  // Halves are rounded away from zero, with the user's decimal separator.
  struct Case {
    double value;
    const char* separator;
    const char* text;
  } cases[] = {
      {12.25, ".", "Transfer rate: 12.3 Kb/s"}, {0.15, ".", "Transfer rate: 0.2 Kb/s"},
      {0.05, ",", "Transfer rate: 0,1 Kb/s"},   {12.24, ",", "Transfer rate: 12,2 Kb/s"},
      {0.0, ".", "Transfer rate: 0.0 Kb/s"},    {-1.0, ".", "Transfer rate: -1.0 Kb/s"},
      {-0.25, ".", "Transfer rate: -0.3 Kb/s"}, {99.95, ".", "Transfer rate: 100.0 Kb/s"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TransferRateText(EnglishText(7), c.value, c.separator), c.text) << c.value;
  EXPECT_EQ(FileSizeText(EnglishText(6), 2.45, ","), "File size: 2,5 Kb");
  EXPECT_EQ(EstimatedTimeText(EnglishText(8), 3 * 3600 + 7 * 60 + 5),
            "Estimated time left: 3:07:05");
  EXPECT_EQ(EstimatedTimeText(EnglishText(8), 59), "Estimated time left: 0:00:59");
  EXPECT_EQ(DownloadingText(EnglishText(9), 2, 3), "Downloading 2 of 3");
  EXPECT_EQ(FillTexts(EnglishText(23), "Zarvent Half-Life 2 benchmark", "New demos."),
            "A newer version of Zarvent Half-Life 2 benchmark was released.\nNew demos.\nDo you "
            "want to update your version with the latest one?");
  // An empty message leaves an empty line.
  EXPECT_EQ(FillTexts(EnglishText(23), "T", ""),
            "A newer version of T was released.\n\nDo you want to update your version with the "
            "latest one?");
  // What the server sends is never read as a format.
  EXPECT_EQ(FillTexts(EnglishText(28), "%s%d%n.exe"),
            "File %s%d%n.exe not found or inaccessible.\n\nTry to skip this file and continue "
            "upgrade?");
  EXPECT_EQ(FillTexts(EnglishText(26), "http://update.zarvent-benchmarks.net"),
            "Host http://update.zarvent-benchmarks.net unreachable.\n\nPlease check your Internet "
            "connection and\ntry to upgrade this software again later.");
  EXPECT_EQ(FillTexts(EnglishText(29), "a.exe").substr(0, 30), "Access to remote file \"a.exe\" ");
  // A set whose text lacks the place-holder is shown as it is.
  EXPECT_EQ(DownloadingText("Downloading", 1, 2), "Downloading");
  EXPECT_EQ(FileSizeText("%s", 1.0), "%s");
}

TEST(UpdateTexts, TableAndIds) {
  EXPECT_EQ(EnglishText(0), "Application update wizard");
  EXPECT_EQ(EnglishText(22), "Preparing. . .");
  EXPECT_EQ(EnglishText(30),
            "Connection with remote server lost.\n\nPlease restore connection and try to\nupgrade "
            "this software again later.");
  EXPECT_EQ(EnglishText(31),
            "The update could not be verified as the developer's own and was not installed.\n\n"
            "Nothing of this program was changed.");
  EXPECT_EQ(EnglishText(33), "");
  EXPECT_EQ(EnglishText(-1), "");
  EXPECT_EQ(TextResourceId(TzUpdaterLanguage::wlEnglish, 0), 41000);
  EXPECT_EQ(TextResourceId(TzUpdaterLanguage::wlEnglish, 30), 41030);
  EXPECT_EQ(TextResourceId(TzUpdaterLanguage::wlRussian, 5), 41055);
  EXPECT_EQ(TextResourceId(TzUpdaterLanguage::wlSlovak, 0), 41000 + 50 * 28);
}

TEST(UpdateTexts, LanguageChoice) {
  using L = TzUpdaterLanguage;
  struct Case {
    std::uint16_t langId;
    L language;
  } cases[] = {
      {0x0409, L::wlEnglish},
      {0x0809, L::wlEnglish},
      {0x0416, L::wlPortugueseBrazilian},
      {0x0816, L::wlPortuguese},
      {0x0804, L::wlChineseSimplified},
      {0x0404, L::wlChineseTraditional},
      {0x0C04, L::wlChineseTraditional},
      {0x0407, L::wlGerman},
      {0x0419, L::wlRussian},
      {0x041B, L::wlSlovak},
      {0x0414, L::wlNorwegian},
      {0x043E, L::wlMalay},
      {0x0411, L::wlEnglish},  // Japanese has no set
      {0x0000, L::wlEnglish},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LanguageFromLangId(c.langId), c.language) << std::hex << c.langId;
}

}  // namespace
}  // namespace quorvel::update
