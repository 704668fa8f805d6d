#include "app/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, TheWindowKeepsItsOwnArguments) {
  EXPECT_EQ(ParseCommandLine({}).Kind, CommandKind::Window);
  CommandLine after = ParseCommandLine({"/afterupdate"});
  EXPECT_EQ(after.Kind, CommandKind::Window);
  EXPECT_EQ(after.Error, "");
  for (const char* help : {"/?", "-?", "/HELP", "-h"})
    EXPECT_EQ(ParseCommandLine({help}).Kind, CommandKind::Help) << help;
  EXPECT_THAT(UsageText(), ::testing::HasSubstr("/compare FILE... /out PAGE"));
}

TEST(CommandLine, CompareNamesFilesAndThePage) {
  CommandLine line = ParseCommandLine({"a.json", "/COMPARE", "b.json", "/out", "p.htm", "c.json"});
  EXPECT_EQ(line.Kind, CommandKind::Compare);
  EXPECT_EQ(line.Error, "");
  EXPECT_EQ(line.CompareFiles, (Args{"a.json", "b.json", "c.json"}));
  EXPECT_EQ(line.ComparePage, "p.htm");

  struct Case {
    Args args;
    std::string error;
  } cases[] = {
      {{"/compare", "a.json", "/out", "p.htm"},
       "Name two or more result files (.json) to compare."},
      {{"/compare", "a.json", "b.json"}, "Name the page to write with /out PAGE."},
      {{"/compare", "a.json", "b.json", "/out"},
       "The option /out needs the name of the page to write."},
      {{"/compare", "a.json", "b.json", "/x", "/out", "p"},
       "Unknown option \"/x\" for /compare (quorvel.exe /? lists the options)."},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCommandLine(c.args).Error, c.error);
}

TEST(CommandLine, RunOptionsMapOntoTheWindowsLists) {
  CommandLine line = ParseCommandLine({"/run", "/res",
                                       "1280x1024,640\xD7"
                                       "480,1000x700",
                                       "/demo", "lostcoast", "/runs", "3", "/filter", "aniso8",
                                       "/aa", "4x", "/hdr", "Bloom", "/results", "C:\\R\\"});
  ASSERT_EQ(line.Error, "");
  EXPECT_EQ(line.Kind, CommandKind::Run);
  EXPECT_EQ(*line.Run.Slots, (std::vector<int>{3, 0}));
  EXPECT_EQ(*line.Run.CustomWidth, "1000");
  EXPECT_EQ(*line.Run.CustomHeight, "700");
  EXPECT_EQ(*line.Run.DemoItem, 1);
  EXPECT_EQ(*line.Run.Runs, 3);
  EXPECT_EQ(*line.Run.FilterItem, 4);
  EXPECT_EQ(*line.Run.AAItem, 2);
  EXPECT_EQ(*line.Run.HdrItem, 1);
  EXPECT_EQ(*line.Run.ResultsFolder, "C:\\R\\");

  // Absent options keep the stored settings.
  CommandLine bare = ParseCommandLine({"/run"});
  EXPECT_EQ(bare.Error, "");
  EXPECT_FALSE(bare.Run.Slots || bare.Run.DemoItem || bare.Run.Runs || bare.Run.FilterItem ||
               bare.Run.AAItem || bare.Run.HdrItem || bare.Run.ResultsFolder);

  CommandLine file = ParseCommandLine({"/run", "/demo", "D:\\my demo.DEM", "/lostcoast"});
  EXPECT_EQ(file.Error, "");
  EXPECT_EQ(*file.Run.DemoItem, 3);
  EXPECT_EQ(*file.Run.DemoFile, "D:\\my demo.DEM");
  EXPECT_TRUE(file.Run.DemoLostCoast);
  // 1280x768 is the wide slot, not a custom size.
  CommandLine wide = ParseCommandLine({"/run", "/res", "1280x768"});
  EXPECT_EQ(*wide.Run.Slots, (std::vector<int>{6}));
  EXPECT_FALSE(wide.Run.CustomWidth);
}

TEST(CommandLine, RunRefusesWhatItCannotMean) {
  struct Case {
    Args args;
    std::string error;
  } cases[] = {
      {{"/run", "/runs", "6"}, "The option /runs takes a number from 1 to 5, not \"6\"."},
      {{"/run", "/runs", "0"}, "The option /runs takes a number from 1 to 5, not \"0\"."},
      {{"/run", "/runs"}, "The option /runs needs a value."},
      {{"/run", "/runs", "/aa", "2x"}, "The option /runs needs a value."},
      {{"/run", "/res", "big"}, "\"big\" is no screen size (write it as 1024x768)."},
      {{"/run", "/res", "0x768"}, "\"0x768\" is no screen size (write it as 1024x768)."},
      {{"/run", "/res", ","},
       "The option /res takes screen sizes such as 1024x768,1280x1024, not \",\"."},
      {{"/run", "/res", "1000x700,1100x800"},
       "Only one size that is not in the list can be run (1000x700 and 1100x800)."},
      {{"/run", "/demo", "city17"},
       "The option /demo takes highway, lostcoast, anticitizen or a .dem file, not \"city17\"."},
      {{"/run", "/aa", "8x"}, "The option /aa takes none, 2x, 4x, 6x or system, not \"8x\"."},
      {{"/run", "/hdr", "max"}, "The option /hdr takes none, bloom or full, not \"max\"."},
      {{"/run", "/filter", "aniso32"},
       "The option /filter takes bilinear, trilinear, aniso2, aniso4, aniso8, aniso16 or system, "
       "not \"aniso32\"."},
      {{"/run", "/speed", "9"}, "Unknown option \"/speed\" (quorvel.exe /? lists the options)."},
      {{"/run", "extra"}, "\"extra\" is no option of /run (quorvel.exe /? lists the options)."},
      {{"/run", "/lostcoast"}, "The option /lostcoast goes with a demo file (/demo FILE.dem)."},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCommandLine(c.args).Error, c.error) << c.args[1];
}

// The stored order stays where no option is given; what is given replaces it (the
// resolutions as a whole), and the game follows the demo.
TEST(CommandLine, RunOptionsTakeThePlaceOfTheStoredSettings) {
  bench::SeriesOrder stored;
  stored.SlotTicked[0] = true;
  stored.SlotTicked[4] = true;
  stored.CustomTicked = true;
  stored.CustomWidth = "1000";
  stored.CustomHeight = "700";
  stored.Demo.Item = 3;
  stored.Demo.CustomPath = "C:\\mine.dem";
  stored.Demo.LostCoastType = true;
  stored.Game = steam::Game::LostCoast;
  stored.RunsItem = 1;
  stored.AFItem = 2;
  stored.AAItem = 1;
  stored.HDRItem = 2;
  stored.RefreshItem = 3;
  stored.Note = "kept";
  stored.ResultsFolder = "C:\\Stored";

  bench::SeriesOrder same = OrderForRun(stored, ParseCommandLine({"/run"}).Run);
  EXPECT_EQ(same.SlotTicked, stored.SlotTicked);
  EXPECT_TRUE(same.CustomTicked);
  EXPECT_EQ(same.Demo.CustomPath, "C:\\mine.dem");
  EXPECT_EQ(same.Game, steam::Game::LostCoast);
  EXPECT_EQ(same.RunsItem, 1);
  EXPECT_EQ(same.ResultsFolder, "C:\\Stored");

  CommandLine line =
      ParseCommandLine({"/run", "/res", "800x600", "/demo", "highway", "/runs", "3", "/filter",
                        "trilinear", "/aa", "none", "/hdr", "bloom", "/results", "D:\\Out"});
  ASSERT_EQ(line.Error, "");
  bench::SeriesOrder order = OrderForRun(stored, line.Run);
  std::array<bool, kFixedSlotCount> only800{};
  only800[1] = true;
  EXPECT_EQ(order.SlotTicked, only800);
  EXPECT_FALSE(order.CustomTicked);
  EXPECT_EQ(bench::SelectedCount(order), 1);
  EXPECT_EQ(order.Demo.Item, 0);
  EXPECT_FALSE(order.Demo.LostCoastType);
  EXPECT_EQ(order.Game, steam::Game::HalfLife2);
  EXPECT_EQ(order.RunsItem, 2);
  EXPECT_EQ(order.AFItem, 1);
  EXPECT_EQ(order.AAItem, 0);
  EXPECT_EQ(order.HDRItem, 1);
  EXPECT_EQ(order.ResultsFolder, "D:\\Out");
  EXPECT_EQ(order.RefreshItem, 3);
  EXPECT_EQ(order.Note, "kept");

  // A size not in the list alone: the custom slot only.
  bench::SeriesOrder custom =
      OrderForRun(stored, ParseCommandLine({"/run", "/res", "1234x567"}).Run);
  EXPECT_EQ(custom.SlotTicked, (std::array<bool, kFixedSlotCount>{}));
  EXPECT_TRUE(custom.CustomTicked);
  EXPECT_EQ(custom.CustomWidth + "x" + custom.CustomHeight, "1234x567");

  // A demo file of Lost Coast runs Lost Coast.
  bench::SeriesOrder lc = OrderForRun(
      bench::SeriesOrder{}, ParseCommandLine({"/run", "/demo", "x.dem", "/lostcoast"}).Run);
  EXPECT_EQ(lc.Demo.CustomPath, "x.dem");
  EXPECT_EQ(lc.Game, steam::Game::LostCoast);
}

}  // namespace
}  // namespace quorvel
