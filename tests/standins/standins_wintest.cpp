// The stand-ins for Steam, the game and the diagnostics tool, driven the way the program
// drives the real ones: through a ProcessRunner, with the program's command lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench/run_sequencer.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"
#include "settings/steam_game.h"
#include "support/process_helpers_win.h"
#include "support/scripted_seams_win.h"
#include "sysinfo/process_runner_win.h"

namespace quorvel {
namespace {

constexpr const char* kGameArguments =
    "-preload -novid -mat_preloadshaders -nocdaudio -nosound -width 640 -height 480 "
    "+r_fastzreject 0 -refresh 60 -heapsize 64000 +timedemoquit zrv_highway";
constexpr const char* kHl2Key = "Software\\Valve\\Source\\hl2\\Settings";
constexpr const char* kLostCoastKey = "Software\\Valve\\Source\\lostcoast\\Settings";

std::optional<DWORD> ReadDword(const char* key, const char* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void WriteDword(const char* key, const char* name, DWORD value) {
  HKEY raw = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                              nullptr),
            ERROR_SUCCESS);
  RegKey k(raw);
  ASSERT_EQ(::RegSetValueExA(k.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof(value)),
            ERROR_SUCCESS);
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& line : lines)
    if (line == wanted) return true;
  return false;
}

// A Steam folder with a blank in its path, the Steam stand-in in it, and an account with both
// games and their demos:
//   <temp>\Steam Folder\steam.exe
//   <temp>\Steam Folder\steamapps\zrvtester\half-life 2\hl2.exe          + hl2\cfg, zrv_highway.dem
//   <temp>\Steam Folder\steamapps\zrvtester\half-life 2 lostcoast\hl2.exe + lostcoast\cfg,
//   zrv_coast.dem
class StandinsTest : public ::testing::Test {
 protected:
  StandinsTest() : temp_("quorvel standins tests") {}

  void SetUp() override {
    // An error that reaches the error reporter is logged instead of waiting for a click.
    InstallSeams(&seams_);
    steam_ = temp_.Path() + "Steam Folder\\";
    account_ = steam_ + "steamapps\\zrvtester\\";
    hl2_ = account_ + "half-life 2\\hl2\\";
    lostCoast_ = account_ + "half-life 2 lostcoast\\lostcoast\\";
    std::string standins = testing::StandinsFolder();
    ASSERT_TRUE(testing::CopyFileTo(standins + "steam.exe", steam_ + "steam.exe"));
    for (const char* game : {"half-life 2\\", "half-life 2 lostcoast\\"}) {
      ASSERT_TRUE(testing::CopyFileTo(standins + "hl2.exe", account_ + game + "hl2.exe"));
      SetGameKnob(account_ + game, "PlayMs", "1500");
    }
    ASSERT_TRUE(files::ForceDirectories(hl2_ + "cfg"));
    ASSERT_TRUE(files::ForceDirectories(lostCoast_ + "cfg"));
    ASSERT_TRUE(files::WriteAll(hl2_ + "zrv_highway.dem", "demo"));
    ASSERT_TRUE(files::WriteAll(lostCoast_ + "zrv_coast.dem", "demo"));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kHl2Key);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kLostCoastKey);
  }

  void TearDown() override {
    testing::ChildProcess shutdown;
    if (shutdown.Start(steam_ + "steam.exe -shutdown", steam_)) shutdown.WaitForEnd(15000);
    testing::StopProcessesNamed("steam.exe");
    testing::StopProcessesNamed("hl2.exe");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kHl2Key);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kLostCoastKey);
    InstallSeams(nullptr);
    EXPECT_TRUE(seams_.log.empty()) << seams_.log.front();
  }

  void SetGameKnob(const std::string& gameProgramFolder, const char* key, const char* value) {
    ::WritePrivateProfileStringA("hl2", key, value, (gameProgramFolder + "standin.ini").c_str());
  }

  // Starts Steam as the program does when the user agrees: unwatched, returning when Steam
  // is ready for input.
  void StartSteam() {
    ProcessRunner cp2;
    cp2.WaitForTerminate = false;
    cp2.CurrentDirectory = steam_;
    cp2.CommandLine = steam_ + "steam.exe";
    cp2.Run();
    ASSERT_TRUE(::FindWindowA("QuorvelStandinSteam", nullptr))
        << "Steam was not ready for input when the start returned";
  }

  // Runs "<Steam>steam.exe <arguments>" watched, as the program does for each run, and
  // returns when its end has been reported.
  void RunSteam(const std::string& arguments) {
    ProcessRunner cp;
    bool ended = false;
    cp.OnTerminate = [&](ProcessRunner&, std::uint32_t) { ended = true; };
    cp.CurrentDirectory = steam_;
    cp.CommandLine = steam_ + "steam.exe " + arguments;
    cp.Run();
    ASSERT_TRUE(testing::PumpUntil([&] { return ended; }, 20000)) << "steam.exe did not end";
  }

  static bool GameRunning() { return !testing::ProcessIdsNamed("hl2.exe").empty(); }
  static bool WaitForGameToQuit(DWORD timeoutMs = 30000) {
    return testing::PumpUntil([] { return !GameRunning(); }, timeoutMs);
  }

  // The data line `index` (0 = first run) of a classic result file, split at commas.
  std::vector<std::string> DataLine(const std::string& gameFolder, size_t index) {
    auto lines = testing::ReadLines(gameFolder + "sourcebench.csv");
    if (lines.size() < 4 + index) return {};
    return text::Split(lines[3 + index], ',');
  }

  testing::TempFolder temp_;
  testing::ScriptedSeams seams_;
  std::string steam_, account_, hl2_, lostCoast_;
};

TEST_F(StandinsTest, ATimedemoHandedToSteamIsPlayedAndLeavesTheResult) {
  ASSERT_TRUE(files::WriteAll(hl2_ + "cfg\\autoexec.cfg",
                              "// Tovrel - Maximum details\r\n\r\nsv_cheats \"1\"\r\n"));
  WriteDword(kHl2Key, "mat_antialias", 2);
  StartSteam();
  RunSteam(std::string("-silent -applaunch 220 ") + kGameArguments);
  // The hand-over ends long before the game.
  EXPECT_TRUE(GameRunning()) << "the game was not running when the hand-over ended";
  ASSERT_TRUE(WaitForGameToQuit());

  auto lines = testing::ReadLines(hl2_ + "sourcebench.csv");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Half-Life 2 Benchmark Results");
  EXPECT_EQ(lines[1], "");
  auto header = text::Split(lines[2], ',');
  ASSERT_GE(header.size(), 8u);
  EXPECT_EQ(header[0], "demofile");
  EXPECT_EQ(header[2], "frames/sec");
  EXPECT_EQ(header[5], "width");
  EXPECT_EQ(header[6], "height");
  EXPECT_EQ(lines[2].back(), ',');
  EXPECT_EQ(lines[3].back(), ',');
  auto data = text::Split(lines[3], ',');
  ASSERT_GE(data.size(), 8u);
  EXPECT_EQ(data[0], "zrv_highway");
  EXPECT_EQ(data[1], "simulated");
  double fps = std::strtod(data[2].c_str(), nullptr);
  EXPECT_GT(fps, 20.0);
  EXPECT_LT(fps, 400.0);
  EXPECT_EQ(data[5], "640");
  EXPECT_EQ(data[6], "480");
  EXPECT_EQ(ReadDword(kHl2Key, "ScreenWidth"), 640u);
  EXPECT_EQ(ReadDword(kHl2Key, "ScreenHeight"), 480u);
  EXPECT_FALSE(files::FileExists(lostCoast_ + "sourcebench.csv"));

  // The game got exactly the arguments after the application number, and read its script
  // and its settings.
  auto log = testing::ReadLines(hl2_ + "standin_hl2.log");
  ASSERT_FALSE(log.empty());
  std::string commandLine = log[0];
  std::string tail = std::string(" ") + kGameArguments;
  ASSERT_GE(commandLine.size(), tail.size());
  EXPECT_EQ(commandLine.substr(commandLine.size() - tail.size()), tail) << commandLine;
  EXPECT_TRUE(Contains(log, "autoexec line: sv_cheats \"1\""));
  EXPECT_TRUE(Contains(log, "setting mat_antialias=2"));
  EXPECT_TRUE(Contains(log, "timedemo: zrv_highway found"));
}

TEST_F(StandinsTest, TheFrameRateFollowsSizeAndSettingsAndEachRunIsAppended) {
  StartSteam();
  const std::string small =
      "-silent -applaunch 220 -width 640 -height 480 +timedemoquit zrv_highway";
  RunSteam(small);
  ASSERT_TRUE(WaitForGameToQuit());
  WriteDword(kHl2Key, "mat_antialias", 4);
  RunSteam("-silent -applaunch 220 -width 1600 -height 1200 +timedemoquit zrv_highway");
  ASSERT_TRUE(WaitForGameToQuit());
  WriteDword(kHl2Key, "mat_antialias", 0);
  RunSteam(small);
  ASSERT_TRUE(WaitForGameToQuit());

  auto lines = testing::ReadLines(hl2_ + "sourcebench.csv");
  ASSERT_EQ(lines.size(), 6u) << "three runs, one header";
  double first = std::strtod(DataLine(hl2_, 0).at(2).c_str(), nullptr);
  double large = std::strtod(DataLine(hl2_, 1).at(2).c_str(), nullptr);
  EXPECT_EQ(DataLine(hl2_, 1).at(5), "1600");
  EXPECT_LT(large, first * 0.5);
  // The model is deterministic: the same size and settings give the same figure.
  EXPECT_EQ(DataLine(hl2_, 2).at(2), DataLine(hl2_, 0).at(2));
  EXPECT_EQ(ReadDword(kHl2Key, "ScreenWidth"), 640u);
}

TEST_F(StandinsTest, AMissingDemoEndsTheGameWithoutAResult) {
  StartSteam();
  RunSteam("-silent -applaunch 220 -width 800 -height 600 +timedemoquit zrv_nowhere");
  ASSERT_TRUE(WaitForGameToQuit(15000));
  EXPECT_FALSE(files::FileExists(hl2_ + "sourcebench.csv"));
  EXPECT_TRUE(
      Contains(testing::ReadLines(hl2_ + "standin_hl2.log"), "timedemo: zrv_nowhere missing"));
}

TEST_F(StandinsTest, LostCoastPlaysInItsOwnFolderAndStoresUnderItsOwnKey) {
  StartSteam();
  RunSteam("-silent -applaunch 340 -width 800 -height 600 +timedemoquit zrv_coast");
  ASSERT_TRUE(WaitForGameToQuit());
  auto data = DataLine(lostCoast_, 0);
  ASSERT_GE(data.size(), 7u);
  EXPECT_EQ(data[0], "zrv_coast");
  EXPECT_EQ(data[5], "800");
  EXPECT_FALSE(files::FileExists(hl2_ + "sourcebench.csv"));
  EXPECT_EQ(ReadDword(kLostCoastKey, "ScreenWidth"), 800u);
  EXPECT_EQ(ReadDword(kLostCoastKey, "ScreenHeight"), 600u);
  EXPECT_EQ(ReadDword(kHl2Key, "ScreenWidth"), std::nullopt);
}

TEST_F(StandinsTest, WithoutARunningSteamALaunchDoesNothing) {
  RunSteam(std::string("-silent -applaunch 220 ") + kGameArguments);
  testing::PumpFor(2000);
  EXPECT_FALSE(GameRunning());
  EXPECT_FALSE(files::FileExists(hl2_ + "standin_hl2.log"));
  EXPECT_FALSE(files::FileExists(hl2_ + "sourcebench.csv"));
}

TEST_F(StandinsTest, TheEngineLayoutHasOneHeaderWithAnFpsColumn) {
  SetGameKnob(account_ + "half-life 2\\", "Layout", "engine");
  StartSteam();
  for (int run = 0; run < 2; ++run) {
    RunSteam("-silent -applaunch 220 -width 1024 -height 768 +timedemoquit zrv_highway");
    ASSERT_TRUE(WaitForGameToQuit());
  }
  auto lines = testing::ReadLines(hl2_ + "sourcebench.csv");
  ASSERT_EQ(lines.size(), 3u);
  auto header = text::Split(lines[0], ',');
  size_t fpsColumn = 0;
  while (fpsColumn < header.size() && header[fpsColumn] != "fps") ++fpsColumn;
  ASSERT_LT(fpsColumn, header.size()) << lines[0];
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].back(), ',') << i;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string fps = text::Split(lines[i], ',').at(fpsColumn);
    // "%5.1f": at least five characters, one decimal.
    EXPECT_GE(fps.size(), 5u) << fps;
    ASSERT_GE(fps.size(), 2u);
    EXPECT_EQ(fps[fps.size() - 2], '.') << fps;
    EXPECT_GT(std::strtod(fps.c_str(), nullptr), 10.0);
  }
}

TEST_F(StandinsTest, ASecondSteamEndsAtOnceAndShutdownEndsTheInstance) {
  StartSteam();
  auto instances = testing::ProcessIdsNamed("steam.exe");
  ASSERT_EQ(instances.size(), 1u);
  RunSteam("");
  EXPECT_EQ(testing::ProcessIdsNamed("steam.exe"), instances);
  RunSteam("-shutdown");
  EXPECT_FALSE(::FindWindowA("QuorvelStandinSteam", nullptr));
  EXPECT_TRUE(testing::ProcessIdsNamed("steam.exe").empty());
}

// The diagnostics report read with the collector's rules: a line's text is what follows its
// first "=", or the line without its first character; leading blanks go; the label must be
// in the text; each label is searched from the line of the previous one on.
std::vector<std::string> ScanReport(const std::vector<std::string>& lines) {
  // Each label with the position its value is cut from ("Description:" keeps its colon).
  const std::pair<const char*, size_t> labels[] = {
      {"Card name:", 10}, {"Display Memory:", 15}, {"Driver Version:", 15}, {"Description:", 11}};
  std::vector<std::string> values(4, "(missing)");
  size_t from = 0;
  for (size_t n = 0; n < 4; ++n) {
    const auto& [label, cut] = labels[n];
    bool found = false;
    for (size_t i = from; i < lines.size() && !found; ++i) {
      const std::string& line = lines[i];
      size_t eq = line.find('=');
      std::string t =
          eq != std::string::npos ? line.substr(eq + 1) : line.substr(line.empty() ? 0 : 1);
      size_t start = t.find_first_not_of(' ');
      t.erase(0, start == std::string::npos ? t.size() : start);
      if (!text::ContainsNoCase(t, label)) continue;
      values[n] = t.size() > cut ? t.substr(cut) : "";
      from = i;
      found = true;
    }
    // The collector cannot go on past a missing label.
    if (!found) break;
  }
  return values;
}

TEST(DxdiagStandin, WritesTheReportTheCollectorReads) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> environment;
    bool written;
    std::vector<std::string> values;
  };
  const Case cases[] = {
      {"defaults",
       {},
       true,
       {" Zarvent Simulated GPU 9800", " 256.0 MB", " 6.14.0010.6764 (English)",
        ": Simulated HD Audio Device"}},
      {"chosen values with second devices",
       {{"QUORVEL_DXDIAG_CARD", "RADEON X800 XT"},
        {"QUORVEL_DXDIAG_MEMORY", "512.0 MB"},
        {"QUORVEL_DXDIAG_DRIVER", "6.14.0010.6525 (English)"},
        {"QUORVEL_DXDIAG_SOUND", "Realtek AC97 Audio"},
        {"QUORVEL_DXDIAG_CARD2", "Second Card"},
        {"QUORVEL_DXDIAG_SOUND2", "Second Sound"}},
       true,
       {" RADEON X800 XT", " 512.0 MB", " 6.14.0010.6525 (English)", ": Realtek AC97 Audio"}},
      {"no display section",
       {{"QUORVEL_DXDIAG_SECTIONS", "sound"}},
       true,
       {"(missing)", "(missing)", "(missing)", "(missing)"}},
      {"no report", {{"QUORVEL_DXDIAG_NO_REPORT", "1"}}, false, {}},
  };
  testing::ScriptedSeams seams;
  InstallSeams(&seams);
  testing::TempFolder temp("quorvel dxdiag tests");
  std::string report = temp.Path() + "program folder\\dxinfo.txt";
  ASSERT_TRUE(files::ForceDirectories(temp.Path() + "program folder"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    files::DeleteQuietly(report);
    ::SetEnvironmentVariableA("QUORVEL_DXDIAG_DELAY_MS", "100");
    for (const auto& [name, value] : c.environment) ::SetEnvironmentVariableA(name, value);
    ProcessRunner dxrun;
    bool ended = false;
    dxrun.OnTerminate = [&](ProcessRunner&, std::uint32_t) { ended = true; };
    // The output path has a blank, so it is quoted.
    dxrun.CommandLine = testing::StandinsFolder() + "dxdiag.exe /whql:on /t \"" + report + "\"";
    dxrun.CurrentDirectory = temp.Path();
    dxrun.Run();
    ASSERT_TRUE(testing::PumpUntil([&] { return ended; }, 20000));
    for (const auto& [name, value] : c.environment) ::SetEnvironmentVariableA(name, nullptr);
    ASSERT_EQ(files::FileExists(report), c.written);
    if (!c.written) continue;
    auto lines = testing::ReadLines(report);
    EXPECT_EQ(ScanReport(lines), c.values);
    if (c.values[0] == "(missing)") {
      // The sound section is still there; only the display devices are missing.
      bool sound = false;
      for (const std::string& line : lines)
        sound = sound || text::ContainsNoCase(line, "Description:");
      EXPECT_TRUE(sound);
    }
  }
  ::SetEnvironmentVariableA("QUORVEL_DXDIAG_DELAY_MS", nullptr);
  InstallSeams(nullptr);
  EXPECT_TRUE(seams.log.empty()) << seams.log.front();
}

}  // namespace
// "<temp>\\Steam Folder\\steam.exe ..." unquoted would make the platform try "<temp>\\Steam.exe"
// first. A program planted there must never run from the program's two Steam command lines.
TEST_F(StandinsTest, TheSteamCommandLinesNeverStartAProgramAtTheFoldersBlank) {
  const std::string log = temp_.Path() + "planted.log";
  ASSERT_TRUE(testing::CopyFileTo(testing::TestProgramFolder() + "guard_tool.exe",
                                  temp_.Path() + "Steam.exe"));
  ::SetEnvironmentVariableA("QUORVEL_GUARD_LOG", log.c_str());

  // The start of Steam (cp2), then a hand-over with the timedemo command line (cp).
  ProcessRunner cp2;
  cp2.WaitForTerminate = false;
  cp2.CurrentDirectory = steam_;
  cp2.CommandLine = steam::SteamProgramCommand(steam_);
  cp2.Run();
  EXPECT_TRUE(::FindWindowA("QuorvelStandinSteam", nullptr));
  ProcessRunner cp;
  bool ended = false;
  cp.OnTerminate = [&](ProcessRunner&, std::uint32_t) { ended = true; };
  cp.CurrentDirectory = steam_;
  cp.CommandLine =
      bench::BuildLaunchCommand(steam_, steam::Game::HalfLife2, "640", "480",
                                {"zrv_highway", "+r_fastzreject 0", "", "-heapsize 64000"});
  cp.Run();
  EXPECT_TRUE(testing::PumpUntil([&] { return ended; }, 20000)) << "steam.exe did not end";
  // Steam started the game from the hand-over.
  EXPECT_TRUE(testing::PumpUntil([] { return GameRunning(); }, 20000));
  ::SetEnvironmentVariableA("QUORVEL_GUARD_LOG", nullptr);
  EXPECT_FALSE(files::FileExists(log)) << testing::ReadLines(log).front();
}

}  // namespace quorvel
