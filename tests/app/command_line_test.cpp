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

}  // namespace
}  // namespace quorvel
