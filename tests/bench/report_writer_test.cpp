#include "bench/report_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "bench/fake_controls.h"
#include "bench/reference_machine.h"
#include "bench/result_reader.h"
#include "support/fixture.h"

namespace quorvel::bench {
namespace {

std::string Fixture(const std::string& name) { return testing::Fixture("bench/" + name); }

SlotBlockSettings Settings() {
  SlotBlockSettings s;
  s.HdrText = "Full (if available)";
  s.HeapsizeText = "256 MB";
  s.AAText = "4\xD7";
  s.AFText = "Anisotropic 8\xD7";
  s.FastZ = true;
  s.CustomWidth = "1000";
  s.CustomHeight = "700";
  return s;
}

// One run as the sequencer records it: read, heading once, score, score lines.
void Record(BenchSeries& s, const std::string& key, int run, const std::string& content) {
  s.CurrentKey = key;
  s.RunsDone = run;
  if (run == 1) s.HeadingWritten = false;
  if (!ReadRunScore(s, content, '.')) return;
  AppendSlotHeading(s, Settings());
  if (s.RunsWanted > 1) ScoreRun(s);
  AppendScoreLines(s);
}

std::string Result(const std::string& figure) {
  return "Half-Life 2 Benchmark Results\r\n\r\nh,h,h,h\r\nzrv,map," + figure + ",3\r\n";
}

TEST(Report, WholeReportMatchesTheGoldFile) {
  BenchSeries s;
  s.RunsWanted = 2;
  BeginSeries(s);
  s.StartedAt = "3/12/2008 2:05:33 PM";
  s.DemoCaption = "Zarvent - Highway";
  s.DetailName = "Maximum";
  WriteReportHead(s, bench_test::AtiMachine(), "Test <b>rig</b>");
  Record(s, "640", 1, Result("45.6"));
  Record(s, "640", 2, Result("47.5"));
  Record(s, "hdtv1", 1, "");  // the game wrote nothing
  Record(s, "hdtv1", 2, Result("60.5"));
  Record(s, "custom", 1, Result("30.2"));
  Record(s, "custom", 2, Result("31.9"));
  AppendReportFooter(s);
  EXPECT_EQ(ReportText(s.ReportLines), Fixture("report_three_resolutions.htm"));
}

TEST(Report, WriteReportHeadStartsAfreshEverySeries) {
  BenchSeries s;
  s.ReportLines = {"left over", "from before"};
  WriteReportHead(s, SystemInfoSnapshot{}, "");
  EXPECT_EQ(std::count(s.ReportLines.begin(), s.ReportLines.end(), "left over"), 0);
  EXPECT_EQ(s.ReportLines.front().rfind("<!DOCTYPE HTML PUBLIC", 0), 0u);
  EXPECT_EQ(s.ReportLines.back(), "<hr>");  // no note: no comment line
  EXPECT_NE(s.ReportLines[s.ReportLines.size() - 2].find("Driver version:"), std::string::npos);
}

// The lines between the sound line and the note/"<hr>".
std::vector<std::string> GraphicsLines(const SystemInfoSnapshot& info) {
  BenchSeries s;
  WriteReportHead(s, info, "");
  auto sound = std::find_if(s.ReportLines.begin(), s.ReportLines.end(), [](const std::string& l) {
    return l.find("Sound system:") != std::string::npos;
  });
  return std::vector<std::string>(sound + 1, s.ReportLines.end() - 1);
}

TEST(Report, GraphicsBlocksAndTheBusTypeRule) {
  const std::string kVga = "   <align=\"left\"><span class=\"style4\">VGA Information</span><br>";
  auto line = [](const char* label, const char* value) {
    return std::string("   <FONT size=2><b>") + label + "</b> " + value + "</FONT><br>";
  };
  SystemInfoSnapshot info;
  info.CardName = " Plain Card";
  info.DisplayMemory = " 64.0 MB";
  info.DriverVersion = " 1.2.3";
  info.AtiCardName = "ATI Card";
  info.AtiBusType = "AGP 8x";
  info.AtiMemoryType = "DDR";
  info.AtiVpuClock = "400 MHz";
  info.AtiMemoryClock = "350 MHz";
  info.AdapterName = "Adapter";
  info.AdapterGpuClock = "600 MHz";
  info.AdapterMemoryClock = "700 MHz";

  const std::vector<std::string> plain = {kVga, line("Graphics card:", " Plain Card"),
                                          line("Memory:", " 64.0 MB"),
                                          line("Driver version:", " 1.2.3")};
  const std::vector<std::string> ati = {kVga,
                                        line("Graphics card:", "ATI Card"),
                                        line("Bustype:", "AGP 8x"),
                                        line("Memory:", " 64.0 MB"),
                                        line("Current VPU speed:", "400 MHz"),
                                        line("Current memory speed:", "350 MHz"),
                                        line("Driver version:", " 1.2.3")};
  std::vector<std::string> atiNoBus = ati;
  atiNoBus.erase(atiNoBus.begin() + 2);
  const std::vector<std::string> adapter = {kVga,
                                            line("Graphics card:", "Adapter"),
                                            line("Memory:", " 64.0 MB"),
                                            line("Current GPU speed:", "600 MHz"),
                                            line("Current memory speed:", "700 MHz"),
                                            line("Driver version:", " 1.2.3")};
  std::vector<std::string> both = ati;
  both.insert(both.end(), adapter.begin(), adapter.end());

  struct Case {
    bool atiFound, adapterFound;
    const char *busType, *memoryType;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {false, false, "AGP 8x", "DDR", plain},  {true, false, "AGP 8x", "DDR", ati},
      {true, false, "AGP 8x", "", atiNoBus},   {true, false, "", "DDR", atiNoBus},
      {false, true, "AGP 8x", "DDR", adapter}, {true, true, "AGP 8x", "DDR", both},
  };
  for (const Case& c : cases) {
    info.AtiFound = c.atiFound;
    info.AdapterFound = c.adapterFound;
    info.AtiBusType = c.busType;
    info.AtiMemoryType = c.memoryType;
    EXPECT_EQ(GraphicsLines(info), c.lines) << c.atiFound << c.adapterFound << " bus '" << c.busType
                                            << "' mem '" << c.memoryType << "'";
  }
}

TEST(Report, MemoryLineOnlyWhenTheMemoryIsKnown) {
  SystemInfoSnapshot info;
  BenchSeries s;
  WriteReportHead(s, info, "");
  for (const std::string& l : s.ReportLines) EXPECT_EQ(l.find("System memory:"), std::string::npos);
  info.SystemMemory = "2.0 GB ";
  WriteReportHead(s, info, "");
  EXPECT_NE(std::find(s.ReportLines.begin(), s.ReportLines.end(),
                      "   <FONT size=2><b>System memory:</b> 2.0 GB </FONT><br>"),
            s.ReportLines.end());
}

TEST(Report, HeadingOfEveryResolution) {
  const std::pair<const char*, const char*> cases[] = {
      {"640",
       "640\xD7"
       "480"},
      {"800",
       "800\xD7"
       "600"},
      {"1024",
       "1024\xD7"
       "768"},
      {"1280",
       "1280\xD7"
       "1024"},
      {"1600",
       "1600\xD7"
       "1200"},
      {"2048",
       "2048\xD7"
       "1536"},
      {"hdtv1",
       "1280\xD7"
       "768 (HD WideScreen)"},
      {"hdtv2",
       "1920\xD7"
       "1080 (HD WideScreen)"},
      {"hdtv3",
       "1920\xD7"
       "1200 (HD WideScreen)"},
      {"custom", "1000 \xD7 700 (Custom)"},
  };
  for (auto [key, size] : cases)
    EXPECT_EQ(SlotHeadingLine(key, "1000", "700"),
              std::string("<BR><B><FONT size=5>Resolution: ") + size + "</FONT></B><BR>")
        << key;
  EXPECT_EQ(SlotHeadingLine("1366", "1", "2"), "");
}

TEST(Report, OneRunPerResolutionPrintsTheFigureAsTheFileGaveIt) {
  BenchSeries s;
  s.RunsWanted = 1;
  s.DetailName = "Maximum";
  Record(s, "1024", 1, Result("45.67"));
  ASSERT_GE(s.ReportLines.size(), 2u);
  EXPECT_EQ(s.ReportLines[s.ReportLines.size() - 2],
            "<span class=\"style5\"><b>Score = 45.67 FPS</b></span><br>");
  EXPECT_EQ(s.ReportLines.back(), "<br><HR>");
}

TEST(Report, ARunWithoutResultLeavesNoTraceNotEvenTheHeading) {
  BenchSeries s;
  s.RunsWanted = 2;
  Record(s, "640", 1, "");
  Record(s, "640", 2, Result("fast"));
  EXPECT_TRUE(s.ReportLines.empty());
}

TEST(Report, HeadingIsWrittenOncePerResolution) {
  BenchSeries s;
  s.RunsWanted = 3;
  for (int run = 1; run <= 3; ++run) Record(s, "800", run, Result("50"));
  EXPECT_EQ(std::count(s.ReportLines.begin(), s.ReportLines.end(),
                       "<BR><B><FONT size=5>Resolution: 800\xD7"
                       "600</FONT></B><BR>"),
            1);
  EXPECT_EQ(std::count(s.ReportLines.begin(), s.ReportLines.end(), "<b>Score = 50 FPS</b><br>"), 3);
}

TEST(Report, FastZDisabledLine) {
  BenchSeries s;
  s.CurrentKey = "640";
  SlotBlockSettings settings = Settings();
  settings.FastZ = false;
  AppendSlotHeading(s, settings);
  EXPECT_EQ(s.ReportLines.back(), "Fast Z: Disabled<br>");
}

TEST(Stamp, EveryUnsafeCharacterBecomesAnUnderscore) {
  const std::pair<const char*, const char*> cases[] = {
      {"3/12/2008 2:05:33 PM", "3_12_2008_2_05_33_PM"},
      {"12.03.2008 14:05:33", "12_03_2008_14_05_33"},
      {"2008-03-12 14:05:33", "2008_03_12_14_05_33"},
      {"12\\03\\2008", "12_03_2008"},
      {"", ""},
  };
  for (auto [in, out] : cases) EXPECT_EQ(MakeStamp(in), out) << in;
  EXPECT_EQ(MakeStamp(DateTimeText("3/12/2008", "2:05:33 PM")), "3_12_2008_2_05_33_PM");
  EXPECT_EQ(ReportFileName("C:\\Results\\", "3_12_2008_2_05_33_PM"),
            "C:\\Results\\result_3_12_2008_2_05_33_PM.htm");
  EXPECT_EQ(ReportFileName("", "x"), "result_x.htm");
}

TEST(Report, BlockSettingsAreTheListsShownTexts) {
  bench_test::FakeControls c;
  c.Select(Control::HDRBox, 1);
  c.Select(Control::HeapsizeBox, 0);
  c.Select(Control::AABox, 4);
  c.Select(Control::AFBox, 5);
  c.SetChecked(Control::FastZBox, true);
  c.SetText(Control::CusWidth, "1000");
  c.SetText(Control::CusHeight, "700");
  SlotBlockSettings s = SlotBlockSettingsOf(SeriesOrderFrom(c));
  EXPECT_EQ(s.HdrText, "Bloom (if available)");
  EXPECT_EQ(s.HeapsizeText, "64 MB - default");
  EXPECT_EQ(s.AAText, "From System");
  EXPECT_EQ(s.AFText, "Anisotropic 16\xD7");
  EXPECT_TRUE(s.FastZ);
  EXPECT_EQ(s.CustomWidth, "1000");
  EXPECT_EQ(s.CustomHeight, "700");

  SlotBlockSettings none = SlotBlockSettingsOf(SeriesOrderFrom(bench_test::FakeControls{}));
  EXPECT_EQ(none.HdrText, "");
  EXPECT_EQ(none.HeapsizeText, "");
  EXPECT_EQ(none.AAText, "");
  EXPECT_EQ(none.AFText, "");
}

}  // namespace
}  // namespace quorvel::bench
