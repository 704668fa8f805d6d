#include "ui/mode_text.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ModeTextTest, SplitsAtTheFirstSmallX) {
  struct Case {
    const char* line;
    const char* width;
    const char* height;
  };
  const Case cases[] = {
      {"1280 x 1024", "1280", "1024"},
      {"640 x 480", "640", "480"},
      {"800x600", "800", "600"},          // no blanks to remove
      {"1024  x  768", "1024 ", " 768"},  // only one blank each side is removed
      {"x 768", "", "768"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    auto size = SplitModeText(c.line);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->first, c.width);
    EXPECT_EQ(size->second, c.height);
  }
}

TEST(ModeTextTest, ALineWithoutXGivesNoSize) {
  EXPECT_FALSE(SplitModeText("").has_value());
  EXPECT_FALSE(SplitModeText("1280 X 1024").has_value());
}

}  // namespace
}  // namespace quorvel
