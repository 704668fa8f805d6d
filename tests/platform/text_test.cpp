#include "platform/text.h"

#include <gtest/gtest.h>

namespace quorvel::text {
namespace {

TEST(Text, TrimRemovesBlanksAndControlsAtBothEndsOnly) {
  EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Text, ReplaceAllHandlesAdjacentAndNoMatches) {
  EXPECT_EQ(ReplaceAll("c:/a//b", "/", "\\"), "c:\\a\\\\b");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
}

TEST(Text, SplitKeepsEmptyFields) {
  EXPECT_EQ(Split("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Split("", ','), (std::vector<std::string>{""}));
}

TEST(Text, CaseInsensitiveComparisons) {
  EXPECT_TRUE(EqualsNoCase("HL2.EXE", "hl2.exe"));
  EXPECT_FALSE(EqualsNoCase("xhl2.exe", "hl2.exe"));
  EXPECT_TRUE(ContainsNoCase("system\noldSTEAM.exe\n", "steam.exe"));
}

TEST(Text, FormatLongerThanAnyFixedBuffer) {
  std::string big(5000, 'z');
  EXPECT_EQ(Format("[%s]", big.c_str()).size(), 5002u);
}

}  // namespace
}  // namespace quorvel::text

namespace quorvel::text {
namespace {

TEST(OpenDialogSelection, OneFileOrAFolderWithNames) {
  using namespace std::string_literals;
  struct Case {
    std::string buffer;
    std::vector<std::string> paths;
  } cases[] = {
      {"C:\\R\\a.json\0\0"s, {"C:\\R\\a.json"}},
      {"C:\\R\0a.json\0b.json\0\0"s, {"C:\\R\\a.json", "C:\\R\\b.json"}},
      {"D:\\\0a.json\0b.json\0\0"s, {"D:\\a.json", "D:\\b.json"}},
      {"\0\0"s, {}},
      {""s, {}},
      // A buffer without its closing NULs still ends where it ends.
      {"C:\\R\0a.json\0b.js"s, {"C:\\R\\a.json", "C:\\R\\b.js"}},
  };
  for (const Case& c : cases) EXPECT_EQ(OpenDialogSelection(c.buffer), c.paths);
}

}  // namespace
}  // namespace quorvel::text
