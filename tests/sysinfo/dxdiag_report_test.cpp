#include "sysinfo/dxdiag_report.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "support/fixture.h"

namespace quorvel::sysinfo {
namespace {

std::string Fixture(const std::string& name) { return testing::Fixture("sysinfo/" + name); }

using Values = DxdiagValues;
using Opt = std::optional<std::string>;

void ExpectValues(const Values& got, Opt card, Opt memory, Opt driver, Opt sound) {
  EXPECT_EQ(got.CardName, card);
  EXPECT_EQ(got.DisplayMemory, memory);
  EXPECT_EQ(got.DriverVersion, driver);
  EXPECT_EQ(got.SoundDevice, sound);
}

TEST(DxdiagReport, FullReportGivesTheFirstDisplayAndTheFirstSoundDevice) {
  std::string file = Fixture("full_report.txt");
  ASSERT_NE(file.find("\r\n"), std::string::npos);
  // The notes line holds "Card name:" only before its "=", so it must not match.
  ExpectValues(ParseDxdiagReportFile(file), " RADEON X800 XT Platinum Edition", " 256.0 MB",
               " 6.14.0010.6614 (English)", "Realtek HD Audio output");
}

TEST(DxdiagReport, LineEndingsDoNotChangeTheValues) {
  std::string crlf = Fixture("full_report.txt");
  std::string lf = text::ReplaceAll(crlf, "\r\n", "\n");
  std::string cr = text::ReplaceAll(crlf, "\r\n", "\r");
  Values expected = ParseDxdiagReportFile(crlf);
  for (const std::string& file : {lf, cr}) {
    Values got = ParseDxdiagReportFile(file);
    ExpectValues(got, expected.CardName, expected.DisplayMemory, expected.DriverVersion,
                 expected.SoundDevice);
  }
  EXPECT_EQ(SplitReportLines(crlf).size(), SplitReportLines(lf).size());
}

TEST(DxdiagReport, ReportWithoutDeviceSectionsFindsNothing) {
  ExpectValues(ParseDxdiagReportFile(Fixture("no_devices.txt")), std::nullopt, std::nullopt,
               std::nullopt, std::nullopt);
}

TEST(DxdiagReport, MissingSoundSectionKeepsTheDisplayValues) {
  ExpectValues(ParseDxdiagReportFile(Fixture("no_sound_section.txt")), " GeForce 6800 GT",
               " 256.0 MB", " 6.14.0010.8185 (English)", std::nullopt);
}

TEST(DxdiagReport, SoundDevicesOnlyGiveNoDisplayValues) {
  // The sound device's driver version must not pass for the display driver's.
  ExpectValues(ParseDxdiagReportFile(Fixture("sound_only.txt")), std::nullopt, std::nullopt,
               std::nullopt, "Wine Sound Output");
}

TEST(DxdiagReport, MissingLabelLeavesTheSearchWhereItWas) {
  // No "Display Memory:"; the driver version is still searched from the card name's line.
  ExpectValues(ParseDxdiagReportFile(Fixture("no_memory_label.txt")), " Mystery Adapter",
               std::nullopt, " 1.2.3.4", "Speakers");
}

TEST(DxdiagReport, DisplayLabelsAreLookedForOnlyInTheDisplaySection) {
  // A trimmed report: the display section has no "Driver Version:"; the sound device's
  // driver version below it must not pass for the display driver's.
  ExpectValues(ParseDxdiagReportFile(Fixture("no_display_driver_label.txt")), " Trimmed Adapter",
               " 128.0 MB", std::nullopt, "Desk Speakers");
}

TEST(DxdiagReport, LineTextRules) {
  struct Case {
    const char* line;
    const char* text;
  } cases[] = {
      {"   Card name: X", "Card name: X"},  // first character dropped, then the blanks
      {"Card name: X", "ard name: X"},      // a label at the line's start loses its "C"
      {"a=  b=c", "b=c"},                   // only the first "=" counts
      {"Card name: A=B", "B"},              // text after the "=" only
      {"x=", ""},
      {"", ""},
      {"z", ""},
      {" \tTab", "\tTab"},  // only blanks are removed
  };
  for (const Case& c : cases) EXPECT_EQ(LineText(c.line), c.text) << c.line;
}

TEST(DxdiagReport, CuttingByPositionAndCase) {
  struct Case {
    std::vector<std::string> lines;
    Values want;
  } cases[] = {
      // Labels match without regard to case, and the value is cut by position.
      {{" CARD NAME: Big", " display memory: 64 MB", " DRIVER version: 1", " description: S"},
       {" Big", " 64 MB", " 1", "S"}},
      // A label inside the text still matches, but the cut assumes it started the text.
      {{" xxCard name: Shifted"}, {"e: Shifted", {}, {}, {}}},
      // The label exactly, with nothing after it.
      {{" Card name:", " Display Memory:", " Driver Version:", " Description:"}, {"", "", "", ""}},
      // A description without a blank after the colon loses its first inner blank.
      {{" Description:Two Words here"}, {{}, {}, {}, "TwoWords here"}},
      // Labels after the "=" of a line are found; the search may stay on the same line.
      {{"key=Card name: Display Memory: Driver Version: Description: z"},
       {" Display Memory: Driver Version: Description: z",
        "lay Memory: Driver Version: Description: z", "lay Memory: Driver Version: Description: z",
        "DisplayMemory Driver Version: Description: z"}},
      // A sound device before the display device is passed over.
      {{" Description: Early", " Card name: C", " Description: Late"}, {" C", {}, {}, "Late"}},
  };
  for (const Case& c : cases) {
    Values got = ParseDxdiagReport(c.lines);
    ExpectValues(got, c.want.CardName, c.want.DisplayMemory, c.want.DriverVersion,
                 c.want.SoundDevice);
  }
}

TEST(DxdiagReport, LineSplitting) {
  EXPECT_EQ(SplitReportLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitReportLines("a\n"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(SplitReportLines("a\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitReportLines("\n\r"), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(SplitReportLines("").empty());
  EXPECT_EQ(SplitReportLines(std::string("a\0b\nc", 5)),
            (std::vector<std::string>{std::string("a\0b", 3), "c"}));
}

TEST(DxdiagReport, Utf16ReportIsReadAsLatin1) {
  std::string ansi =
      " Card name: Caf\xE9\r\n Display Memory: 1\r\n Driver Version: 2\r\n"
      " Description: \xE2\x82\xAC?";
  std::string wide = "\xFF\xFE";
  for (char c : ansi) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  wide += std::string("\xAC\x20", 2);  // U+20AC has no Latin-1 form
  wide.push_back('x');                 // a stray odd byte at the end is dropped
  Values got = ParseDxdiagReportFile(wide);
  ExpectValues(got, " Caf\xE9", " 1", " 2", "\xE2\x82\xAC??");
}

TEST(DxdiagReport, HugeLinesAreHandled) {
  std::string filler(3 * 1024 * 1024, 'q');
  std::string value(2 * 1024 * 1024, 'v');
  std::string file = filler + "\r\n Card name: " + value + "\r\n" + filler + "=" + filler +
                     "\r\n Display Memory: 8 MB" + filler;
  Values got = ParseDxdiagReportFile(file);
  ASSERT_TRUE(got.CardName);
  EXPECT_EQ(*got.CardName, " " + value);
  EXPECT_EQ(got.DisplayMemory, " 8 MB" + filler);
  EXPECT_FALSE(got.DriverVersion);
  EXPECT_FALSE(got.SoundDevice);
}

TEST(DxdiagReport, CommandLineQuotesTheOutputPath) {
  EXPECT_EQ(DxdiagCommandLine("C:\\WINDOWS\\system32",
                              "C:\\Documents and Settings\\Gordon\\Local Settings\\Application "
                              "Data\\Zarvent\\Quorvel\\"),
            "C:\\WINDOWS\\system32\\dxdiag.exe /whql:on /t \"C:\\Documents and "
            "Settings\\Gordon\\Local Settings\\Application Data\\Zarvent\\Quorvel\\dxinfo.txt\"");
}

}  // namespace
}  // namespace quorvel::sysinfo
