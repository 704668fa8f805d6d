#include "bench/demo_choice.h"

#include <gtest/gtest.h>

namespace quorvel::bench {
namespace {

TEST(DemoChoiceTest, EachItemStoresItsNumberAndOnlyTheCustomDemoEnablesItsControls) {
  struct Case {
    int item;
    bool filtersShown;
    bool editEmpty;
    const char* value;
    bool enabled;
    bool hint;
  };
  const Case cases[] = {
      {0, true, true, "1", false, false}, {1, true, true, "2", false, false},
      {2, true, true, "3", false, false}, {3, true, true, "4", true, true},
      {3, false, true, "4", true, false},  // start-up ticks it while page 0 is shown
      {3, true, false, "4", true, false},  // a file is already defined
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    auto choice = ChooseDemo(c.item, c.filtersShown, c.editEmpty);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->demoValue, c.value);
    EXPECT_EQ(choice->customControlsEnabled, c.enabled);
    EXPECT_EQ(choice->showCustomHint, c.hint);
  }
}

TEST(DemoChoiceTest, NoItemOrAnItemOutsideTheGroupChangesNothing) {
  EXPECT_FALSE(ChooseDemo(-1, true, true).has_value());
  EXPECT_FALSE(ChooseDemo(4, true, true).has_value());
}

TEST(DemoChoiceTest, ShowingTheFiltersPageHintsOnlyForTheCustomDemo) {
  EXPECT_TRUE(FiltersPageShowsHint(3));
  for (int item : {-1, 0, 1, 2}) EXPECT_FALSE(FiltersPageShowsHint(item)) << item;
}

TEST(DemoChoiceTest, FileFilterIsOneDoubleNulTerminatedEntry) {
  const std::string filter = DemoFileFilter();
  EXPECT_EQ(filter, std::string("Half-Life 2 demo file (*.dem)\0*.dem\0\0", 37));
}

}  // namespace
}  // namespace quorvel::bench
