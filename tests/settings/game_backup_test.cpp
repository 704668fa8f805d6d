#include "settings/game_backup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quorvel::backup {
namespace {

TEST(BackupEntry, TextOfTheStoredNumber) {
  struct Case {
    std::uint32_t value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},
      {1024, "1024"},
      {0xFFFFFFFFu, "-1"},
      {0x80000000u, "-2147483648"},
      {0x7FFFFFFFu, "2147483647"},
  };
  for (const Case& c : cases) EXPECT_EQ(EntryText(c.value), c.text) << c.value;
}

TEST(BackupEntry, NumberOrFallback) {
  constexpr std::int32_t kFallback = 768;
  struct Case {
    std::string text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"0", 0},
      {"1600", 1600},
      {"-5", -5},
      {"+7", 7},
      {"  42 \t", 42},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"0000000000000000000000000000000000000012", 12},
      {"2147483648", kFallback},
      {"-2147483649", kFallback},
      {"4294967295", kFallback},
      {"99999999999999999999999999999999999999", kFallback},
      {"", kFallback},
      {"   ", kFallback},
      {"-", kFallback},
      {"+", kFallback},
      {"abc", kFallback},
      {"12abc", kFallback},
      {"1 2", kFallback},
      {"--1", kFallback},
      {"0x10", kFallback},
      {"$10", kFallback},
      {"1.5", kFallback},
      {std::string("1\0"
                   "2",
                   3),
       kFallback},
      {"\xFF\xFE"
       "1",
       kFallback},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseEntry(c.text, kFallback), c.expected) << c.text;
}

TEST(BackupEntry, EveryWrittenTextReadsBack) {
  for (std::uint32_t v : {0u, 1u, 768u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xDEADBEEFu})
    EXPECT_EQ(static_cast<std::uint32_t>(ParseEntry(EntryText(v), 99)), v) << v;
}

// The check that a backup reached the disk reads the file's bytes as the profile functions do.
TEST(BackupEntry, EntryOfAProfileFilesBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"as the backup writes it", "[mat_hdr_level]\r\nValue=2\r\n[ScreenWidth]\r\nValue=1680\r\n",
       "1680"},
      {"names in another case, blanks", "[ screenwidth ]\r\n  value = -1 \r\n", "-1"},
      {"no line break at the end", "[ScreenWidth]\r\nValue=800", "800"},
      {"entry in another section", "[ScreenHeight]\r\nValue=600\r\n[ScreenWidth]\r\n",
       std::nullopt},
      {"the first of two sections counts",
       "[ScreenWidth]\r\nOther=1\r\n[ScreenWidth]\r\nValue=1\r\n", std::nullopt},
      {"the first of two keys counts", "[ScreenWidth]\r\nValue=1\r\nValue=2\r\n", "1"},
      {"empty text", "[ScreenWidth]\r\nValue=\r\n", ""},
      {"unclosed section name", "[ScreenWidth\r\nValue=5\r\n", "5"},
      {"nothing", "", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProfileEntry(c.bytes, "ScreenWidth", "Value"), c.expected) << c.name;
}

}  // namespace
}  // namespace quorvel::backup
