#include "settings/game_backup.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorvel::backup
