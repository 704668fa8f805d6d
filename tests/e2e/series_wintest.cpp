// Whole benchmark series with the real program, the stand-in Steam, game and diagnostics
// tool, real processes, registry and files, and the real waits of the series.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/files_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"

namespace quorvel::testing {
namespace {

constexpr const char* kUserScript = "// my own script\r\nbind q \"impulse 101\"\r\nfps_max 300\r\n";

std::string Read(const std::string& path) { return files::ReadAll(path).value_or("<missing>"); }

// Gold files hold "{*}" where a value depends on the machine or the clock; every other
// character must match.
bool MatchesGoldLine(const std::string& gold, const std::string& line) {
  size_t star = gold.find("{*}");
  if (star == std::string::npos) return gold == line;
  std::string head = gold.substr(0, star);
  std::string tail = gold.substr(star + 3);
  return line.size() >= head.size() + tail.size() && line.compare(0, head.size(), head) == 0 &&
         line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
}

class SeriesTest : public ::testing::Test {
 protected:
  SeriesTest() : env("series") {}

  void SetUp() override {
    results = env.Root + "Results\\";
    files::ForceDirectories(results);
    env.CreateSteamKey();
    env.InstallGames();
    env.CreateGameSettings(false);
    env.CreateGameSettings(true);
    env.InstallDiagnosticsStandin();
    WriteFile(env.AccountFolder + "half-life 2\\standin.ini",
              "[hl2]\r\nPlayMs=3000\r\nFps=61.37\r\n");
    seamLog = env.Root + "seams.log";
  }

  void CreateSettings(const char* runNumber) {
    env.CreateSettingsKey({{"640", "1"},
                           {"RunNumber", runNumber},
                           {"Demo", "1"},
                           {"AFLevel", "3"},
                           {"AALevel", "1"},
                           {"HDR", "2"},
                           {"Heapsize", "128000"},
                           {"Refresh", "75"},
                           {"FastZ", "0"},
                           {"Note", "e2e <b>note</b>"}});
    env.SetSetting("ResultPath", results);
  }

  // Starts the program, presses its run button with the test tool and waits for the end.
  int RunSeries(unsigned waitDivisor = 1) {
    env.StartSteam();
    StartedProcess program =
        env.StartProgram({{"QUORVEL_SEAM_LOG", seamLog},
                          {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
                          {"QUORVEL_SEAM_NO_SHELL", "1"},
                          {"QUORVEL_SEAM_WAIT_DIVISOR", std::to_string(waitDivisor)}});
    EXPECT_TRUE(env.WaitForWindow(program.Id, 60000));
    StartedProcess press = env.Start(BuildFolder() + "press_run.exe " + results + " 300");
    long long code = env.WaitExit(press, 400000);
    env.Kill(program);
    return static_cast<int>(code);
  }

  // Runs "quorvel.exe /run" with `options` and its output redirected to a file; the exit
  // code (-1 when it did not end in time) and what it printed.
  std::pair<long long, std::string> RunFromCommandLine(const std::string& options) {
    // A file of its own for each start: a process of an earlier series may hold one still.
    std::string output = env.Root + "run_output" + std::to_string(++starts) + ".txt";
    StartedProcess program = env.Start(env.ProgramPath + " /run " + options,
                                       {{"QUORVEL_SEAM_LOG", seamLog},
                                        {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
                                        {"QUORVEL_SEAM_NO_SHELL", "1"},
                                        {"QUORVEL_SEAM_WAIT_DIVISOR", "50"}},
                                       output);
    long long code = env.WaitExit(program, 400000);
    if (code == -1) env.Kill(program);
    return {code, Read(output)};
  }

  std::string NewestReport() {
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((results + "result_*.htm").c_str(), &entry));
    return find ? results + entry.cFileName : "";
  }

  // Every file of the results folder matching `pattern`.
  std::vector<std::string> ResultFiles(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((results + pattern).c_str(), &entry));
    if (find) do
        names.push_back(results + entry.cFileName);
      while (::FindNextFileA(find.Get(), &entry));
    return names;
  }

  ProgramEnvironment env;
  std::string results;
  std::string seamLog;
  // Across the tests: the folder of a test is emptied first, but not of a file still open.
  static inline int starts = 0;
};

TEST_F(SeriesTest, OneResolutionOneRunWithTheRealWaits) {
  CreateSettings("1");
  std::string cfg = env.AccountFolder + "half-life 2\\hl2\\cfg\\";
  WriteFile(cfg + "autoexec.cfg", kUserScript);

  ASSERT_EQ(RunSeries(), 0) << Read(seamLog);

  // The user's script is back byte for byte and nothing is left beside it.
  EXPECT_EQ(Read(cfg + "autoexec.cfg"), kUserScript);
  EXPECT_FALSE(files::FileExists(cfg + "autoexec_old.cfg"));

  // The game got the series' command line and played with the series' script.
  std::string gameLog = Read(env.AccountFolder + "half-life 2\\hl2\\standin_hl2.log");
  EXPECT_NE(gameLog.find("-preload -novid -mat_preloadshaders -nocdaudio -nosound -width 640 "
                         "-height 480 +r_fastzreject 0 -refresh 75 -heapsize 128000 "
                         "+timedemoquit zrv_highway"),
            std::string::npos)
      << gameLog;
  EXPECT_NE(gameLog.find("sv_cheats"), std::string::npos) << gameLog;
  EXPECT_EQ(gameLog.find("fps_max"), std::string::npos) << "the user's script was played";

  // The game's registry values as the series wrote them (Anisotropic 4x, 2x AA, full HDR),
  // and the size the game stored.
  struct Value {
    const char* name;
    long long expected;
  } values[] = {{"mat_picmip", 0},         {"r_shadowrendertotexture", 1},
                {"r_rootlod", 0},          {"r_waterforcereflectentities", 1},
                {"mat_reducefillrate", 0}, {"mat_vsync", 0},
                {"mat_forceaniso", 4},     {"mat_trilinear", 0},
                {"mat_antialias", 2},      {"mat_parallaxmap", 1},
                {"mat_hdr_level", 2},      {"ScreenWidth", 640},
                {"ScreenHeight", 480}};
  for (const Value& v : values) EXPECT_EQ(env.GameSetting(false, v.name), v.expected) << v.name;
  // The Lost Coast key is untouched.
  EXPECT_EQ(env.GameSetting(true, "mat_forceaniso"), 1);
  EXPECT_EQ(env.GameSetting(true, "mat_picmip"), -1);

  // The report, whole, against the gold file.
  std::string reportPath = NewestReport();
  ASSERT_FALSE(reportPath.empty());
  std::string report = Read(reportPath);
  std::string gold = Read(std::string(QUORVEL_FIXTURES) + "/e2e/one_run_report.htm");
  std::vector<std::string> lines = text::Split(report, '\n');
  std::vector<std::string> goldLines = text::Split(gold, '\n');
  ASSERT_EQ(lines.size(), goldLines.size()) << report;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_TRUE(MatchesGoldLine(goldLines[i], lines[i]))
        << "line " << i + 1 << ":\n  got  " << lines[i] << "\n  gold " << goldLines[i];
  // Opened with the shell, and the series ended cleanly.
  EXPECT_NE(Read(seamLog).find("open SW_SHOW: " + reportPath), std::string::npos) << Read(seamLog);
  EXPECT_EQ(env.Setting("NoErrorWarning"), "0");
  EXPECT_EQ(env.Setting("Display Memory"), " 256.0 MB");
  // The result files beside the report, with its name.
  EXPECT_TRUE(files::FileExists(reportPath.substr(0, reportPath.size() - 4) + ".json"));
  EXPECT_TRUE(files::FileExists(reportPath.substr(0, reportPath.size() - 4) + ".csv"));
}

TEST_F(SeriesTest, ResultFilesBesideTheReportHoldEveryRunAndTheSpread) {
  CreateSettings("2");
  ASSERT_EQ(RunSeries(50), 0) << Read(seamLog);
  std::string reportPath = NewestReport();
  ASSERT_FALSE(reportPath.empty());
  std::string base = reportPath.substr(0, reportPath.size() - 4);
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(Read(base + ".json"), nullptr, false);
  ASSERT_FALSE(j.is_discarded()) << Read(base + ".json");
  EXPECT_EQ(j["format"], "quorvel-results");
  EXPECT_EQ(j["schema_version"], 1);
  EXPECT_EQ(j["complete"], true);
  EXPECT_EQ(j["game"]["name"], "Half-Life 2");
  EXPECT_EQ(j["demo"]["name"], "zrv_highway");
  EXPECT_EQ(j["machine"]["Memory"], " 256.0 MB");
  EXPECT_EQ(j["settings"]["Antialiasing mode"], "2\xC3\x97");
  EXPECT_EQ(j["settings"]["Filtering mode"], "Anisotropic 4\xC3\x97");
  EXPECT_EQ(j["settings"]["Runs per resolution"], "2");
  EXPECT_EQ(j["settings"]["Resolutions"],
            "640\xC3\x97"
            "480");
  EXPECT_EQ(j["settings"]["Note"], "e2e <b>note</b>");
  ASSERT_EQ(j["resolutions"].size(), 1u);
  const auto& res = j["resolutions"][0];
  EXPECT_EQ(res["key"], "640");
  ASSERT_EQ(res["runs"].size(), 2u);
  for (const auto& run : res["runs"]) {
    EXPECT_EQ(run["fps"], 61.37);
    EXPECT_EQ(run["fields"]["frames/sec"], "61.37");
    EXPECT_EQ(run["fields"]["width"], "640");
  }
  EXPECT_EQ(res["stats"]["mean"], 61.37);
  EXPECT_EQ(res["stats"]["sd"], 0);
  std::string csv = Read(base + ".csv");
  EXPECT_NE(csv.find("\r\nrun,640,640\xC3\x97"
                     "480,2,61.37,"),
            std::string::npos)
      << csv;
  EXPECT_NE(csv.find("\r\nsummary,640,640\xC3\x97"
                     "480,2,,61.37,61.37,61.37,0,0,61.37,61.37,,"),
            std::string::npos)
      << csv;

  // The comparison page from the command line, with no window and no other instance.
  std::string page = results + "compare.htm";
  StartedProcess compare = env.Start(BuildFolder() + "quorvel.exe /compare " + base + ".json " +
                                     base + ".json /out " + page);
  EXPECT_EQ(env.WaitExit(compare, 60000), 0);
  std::string html = Read(page);
  EXPECT_NE(html.find("<svg"), std::string::npos) << html;
  EXPECT_NE(html.find("61.4 fps  +0.0 %"), std::string::npos) << html;
  // A file that is not a result file: exit code 1, no page.
  std::string other = results + "other.htm";
  StartedProcess refused = env.Start(BuildFolder() + "quorvel.exe /compare " + base + ".json " +
                                     reportPath + " /out " + other);
  EXPECT_EQ(env.WaitExit(refused, 60000), 1);
  EXPECT_FALSE(files::FileExists(other));
}

TEST_F(SeriesTest, ASeriesEndedByAnErrorKeepsWhatItMeasuredMarkedIncomplete) {
  CreateSettings("1");
  env.SetSetting("800", "1");
  env.StartSteam();
  StartedProcess program = env.StartProgram({{"QUORVEL_SEAM_LOG", seamLog},
                                             {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
                                             {"QUORVEL_SEAM_NO_SHELL", "1"},
                                             {"QUORVEL_SEAM_WAIT_DIVISOR", "50"}});
  ASSERT_TRUE(env.WaitForWindow(program.Id, 60000));
  StartedProcess press = env.Start(BuildFolder() + "press_run.exe " + results + " 300");
  // Once the first run has its result, Steam's program is moved away (a running program can
  // be renamed, not deleted): the second run cannot start.
  std::string gameLog = env.AccountFolder + "half-life 2\\hl2\\standin_hl2.log";
  for (int i = 0; i < 1200 && Read(gameLog).find("result:") == std::string::npos; ++i) ::Sleep(50);
  ASSERT_TRUE(
      ::MoveFileA((env.SteamFolder + "steam.exe").c_str(), (env.SteamFolder + "gone.exe").c_str()));
  EXPECT_EQ(env.WaitExit(press, 400000), 1) << Read(seamLog);
  env.Kill(program);

  EXPECT_TRUE(NewestReport().empty());
  std::vector<std::string> json = ResultFiles("result_*.json");
  ASSERT_EQ(json.size(), 1u) << Read(seamLog);
  EXPECT_EQ(ResultFiles("result_*.csv").size(), 1u);
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(Read(json[0]), nullptr, false);
  EXPECT_EQ(j["complete"], false);
  ASSERT_EQ(j["resolutions"].size(), 1u);
  EXPECT_EQ(j["resolutions"][0]["key"], "640");
  EXPECT_EQ(j["resolutions"][0]["runs"][0]["fps"], 61.37);
  // The user's script is back all the same.
  std::string cfg = env.AccountFolder + "half-life 2\\hl2\\cfg\\";
  EXPECT_FALSE(files::FileExists(cfg + "autoexec.cfg"));
}

TEST_F(SeriesTest, AGameThatLeavesNoResultEndsAbortedWithoutAReport) {
  CreateSettings("2");
  // No demo in the game folder and none to install: the game quits without a result.
  files::DeleteQuietly(env.InstallFolder + "Demos\\zrv_highway.dem");
  ASSERT_EQ(RunSeries(50), 1) << Read(seamLog);
  EXPECT_TRUE(NewestReport().empty());
  std::string cfg = env.AccountFolder + "half-life 2\\hl2\\cfg\\";
  EXPECT_FALSE(files::FileExists(cfg + "autoexec.cfg"));
  EXPECT_FALSE(files::FileExists(cfg + "autoexec_old.cfg"));
}

// The series of the run button from the command line: the options replace the stored
// settings for this series only, nothing is opened, the paths are printed, and the program
// leaves as the exit button does, with the user's game settings back.
TEST_F(SeriesTest, ACommandLineSeriesWritesItsFilesPrintsThemAndPutsTheGameBack) {
  CreateSettings("2");
  env.StartSteam();
  auto [code, output] = RunFromCommandLine("/res 1024x768 /runs 1 /aa 4x /hdr none");
  ASSERT_EQ(code, 0) << output << Read(seamLog);

  std::string reportPath = NewestReport();
  ASSERT_FALSE(reportPath.empty()) << output;
  std::string base = reportPath.substr(0, reportPath.size() - 4);
  EXPECT_EQ(output, "Report: " + reportPath + "\r\nResults: " + base + ".json\r\n");
  EXPECT_TRUE(files::FileExists(base + ".json"));
  EXPECT_TRUE(files::FileExists(base + ".csv"));
  EXPECT_EQ(Read(seamLog).find("open "), std::string::npos) << Read(seamLog);
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(Read(base + ".json"), nullptr, false);
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["complete"], true);
  ASSERT_EQ(j["resolutions"].size(), 1u);
  EXPECT_EQ(j["resolutions"][0]["key"], "1024");
  EXPECT_EQ(j["resolutions"][0]["runs"].size(), 1u);
  EXPECT_EQ(j["settings"]["Antialiasing mode"], "4\xC3\x97");

  std::string gameLog = Read(env.AccountFolder + "half-life 2\\hl2\\standin_hl2.log");
  EXPECT_NE(gameLog.find("-width 1024 -height 768"), std::string::npos) << gameLog;
  // The user's game settings are back, and the stored settings are the user's still.
  EXPECT_EQ(env.GameSetting(false, "mat_antialias"), 0);
  EXPECT_EQ(env.GameSetting(false, "mat_hdr_level"), 2);
  EXPECT_EQ(env.GameSetting(false, "ScreenWidth"), 800);
  EXPECT_EQ(env.GameSetting(false, "ScreenHeight"), 600);
  EXPECT_EQ(env.Setting("RunNumber"), "2");
  EXPECT_EQ(env.Setting("HDR"), "2");
  EXPECT_EQ(env.Setting("640"), "1");
  EXPECT_EQ(env.Setting("NoErrorWarning"), "0");
}

// A series that cannot give a result, or cannot start, ends with a one-line reason and a
// non-zero code, asking nothing.
TEST_F(SeriesTest, ACommandLineSeriesWithoutAResultFailsWithItsReason) {
  CreateSettings("1");
  files::DeleteQuietly(env.InstallFolder + "Demos\\zrv_highway.dem");
  env.StartSteam();
  auto [code, output] = RunFromCommandLine("/res 640x480");
  EXPECT_EQ(code, 1) << output;
  EXPECT_EQ(output, "quorvel: Benchmark aborted! No run of the series left a result.\r\n")
      << Read(seamLog);
  EXPECT_TRUE(NewestReport().empty());
  std::string cfg = env.AccountFolder + "half-life 2\\hl2\\cfg\\";
  EXPECT_FALSE(files::FileExists(cfg + "autoexec.cfg"));
  EXPECT_EQ(env.GameSetting(false, "ScreenWidth"), 800);
}

TEST_F(SeriesTest, ACommandLineSeriesRefusedBeforeItStarts) {
  CreateSettings("1");
  // Steam is not running: the question to start it is answered No.
  auto [noSteam, steamOutput] = RunFromCommandLine("");
  EXPECT_EQ(noSteam, 1);
  EXPECT_EQ(steamOutput, "quorvel: Please RUN the Steam (online or offline) before bench.\r\n");

  // The game is not installed.
  env.StartSteam();
  RemoveTree(env.AccountFolder + "half-life 2");
  auto [noGame, gameOutput] = RunFromCommandLine("");
  EXPECT_EQ(noGame, 1);
  EXPECT_EQ(gameOutput, "quorvel: Half-Life 2 was not found! Please install the Half-Life 2!\r\n");
  EXPECT_TRUE(NewestReport().empty());
}

// A second start while the window is open is refused, not handed to the window.
TEST_F(SeriesTest, ACommandLineSeriesIsRefusedWhileAnotherInstanceRuns) {
  CreateSettings("1");
  env.StartSteam();
  StartedProcess window = env.StartProgram({{"QUORVEL_SEAM_LOG", seamLog},
                                            {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
                                            {"QUORVEL_SEAM_NO_SHELL", "1"}});
  ASSERT_TRUE(env.WaitForWindow(window.Id, 60000));
  auto [code, output] = RunFromCommandLine("/res 640x480");
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "quorvel: Another instance of Quorvel is running; close it first.\r\n");
  EXPECT_TRUE(NewestReport().empty());
  // The window was not woken with the command line: it still runs, untouched.
  EXPECT_EQ(::WaitForSingleObject(window.Process.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  env.Kill(window);
}

}  // namespace
}  // namespace quorvel::testing
