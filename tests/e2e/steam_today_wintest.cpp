// Steam's layout of today with the real program, the stand-ins and the real waits: Half-Life 2
// only in a library folder on another drive, and Lost Coast inside Half-Life 2.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "app/app_test_support_win.h"
#include "platform/files_win.h"
#include "support/program_env_win.h"

namespace quorvel::testing {
namespace {

constexpr const char* kUserScript = "// my own script\r\nfps_max 300\r\n";
constexpr const char* kLibrary = "Q:\\SteamLibrary\\";

std::string Read(const std::string& path) { return files::ReadAll(path).value_or("<missing>"); }

class SteamTodayTest : public ::testing::Test {
 protected:
  SteamTodayTest() : env("steam_today"), drive("library_drive") {}

  void SetUp() override {
    // Drive Q: of this test's own prefix is a folder of the build tree.
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_TRUE(prefix && *prefix) << "no WINEPREFIX";
    driveLink = std::string(prefix) + "/dosdevices/q:";
    RunUnix({"/bin/ln", "-sfn", drive.Unix(""), driveLink});
    ASSERT_TRUE(files::DirectoryExists("Q:\\"));

    results = env.Root + "Results\\";
    files::ForceDirectories(results);
    env.CreateSteamKey();
    env.InstallGamesInLibrary(kLibrary);
    game = env.AccountFolder + "Half-Life 2\\";
    // Other Source games bring their own "hl2.exe" into the Steam folder, where a search of it
    // would end; Steam's records say they are not Half-Life 2.
    for (const auto& [app, name] : {std::pair{"400", "Portal"}, {"240", "Counter-Strike Source"}}) {
      WriteFile(env.SteamFolder + "steamapps\\common\\" + name + "\\hl2.exe", "another game");
      WriteFile(env.SteamFolder + "steamapps\\appmanifest_" + app + ".acf",
                std::string("\"AppState\" { \"appid\" \"") + app + "\" \"installdir\" \"" + name +
                    "\" }");
    }
    env.CreateGameSettings(false);
    env.CreateGameSettings(true);
    env.InstallDiagnosticsStandin();
    WriteFile(game + "standin.ini", "[hl2]\r\nPlayMs=2000\r\nFps=61.37\r\n");
    WriteFile(game + "hl2\\cfg\\autoexec.cfg", kUserScript);
    WriteFile(game + "lostcoast\\cfg\\autoexec.cfg", kUserScript);
    seamLog = env.Root + "seams.log";
  }

  void TearDown() override {
    if (!driveLink.empty()) RunUnix({"/bin/rm", "-f", driveLink});
  }

  // Settings for one run at 640 x 480 of the built-in demo `demo` ("1" Highway, "2" Lost Coast).
  void CreateSettings(const char* demo) {
    env.CreateSettingsKey({{"640", "1"}, {"RunNumber", "1"}, {"Demo", demo}, {"HDR", "2"}});
    env.SetSetting("ResultPath", results);
  }

  // Starts the program, presses its run button with the test tool and waits for the end.
  int RunSeries() {
    env.StartSteam();
    StartedProcess program = env.StartProgram({{"QUORVEL_SEAM_LOG", seamLog},
                                               {"QUORVEL_SEAM_MODES", "640x480,800x600"},
                                               {"QUORVEL_SEAM_NO_SHELL", "1"}});
    EXPECT_TRUE(env.WaitForWindow(program.Id, 60000));
    StartedProcess press = env.Start(BuildFolder() + "press_run.exe " + results + " 300");
    long long code = env.WaitExit(press, 400000);
    env.Kill(program);
    return static_cast<int>(code);
  }

  // Nothing of the series lies in the folder the program was started from.
  bool CurrentFolderUntouched() {
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((env.CurrentFolder + "*").c_str(), &entry));
    if (!find) return true;
    do {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") {
        ADD_FAILURE() << "written beside the program's start: " << name;
        return false;
      }
    } while (::FindNextFileA(find.Get(), &entry));
    return true;
  }

  bool ReportSaved() {
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((results + "result_*.htm").c_str(), &entry));
    return static_cast<bool>(find);
  }

  ProgramEnvironment env;
  Tree drive;
  std::string driveLink;
  std::string results;
  std::string game;
  std::string seamLog;
};

TEST_F(SteamTodayTest, HalfLife2OnlyInALibraryOnAnotherDriveIsFoundAndASeriesRuns) {
  CreateSettings("1");
  ASSERT_EQ(RunSeries(), 0) << Read(seamLog);
  EXPECT_EQ(env.Setting("Path"), std::string(kLibrary) + "steamapps\\common\\");
  // The game played the series' demo in its folder in the library.
  std::string gameLog = Read(game + "hl2\\standin_hl2.log");
  EXPECT_NE(gameLog.find("timedemo: zrv_highway found"), std::string::npos) << gameLog;
  EXPECT_TRUE(ReportSaved());
  // The user's script is back byte for byte, nothing left beside it, and the game's own
  // settings were backed up before the series changed them.
  EXPECT_EQ(Read(game + "hl2\\cfg\\autoexec.cfg"), kUserScript);
  EXPECT_FALSE(files::FileExists(game + "hl2\\cfg\\autoexec_old.cfg"));
  const std::string backup = env.DataFolder + "hl2set.ini";
  EXPECT_EQ(::GetPrivateProfileIntA("ScreenWidth", "Value", -1, backup.c_str()), 800);
  EXPECT_EQ(::GetPrivateProfileIntA("ScreenHeight", "Value", -1, backup.c_str()), 600);
  EXPECT_EQ(env.Setting("NoErrorWarning"), "0");
  EXPECT_TRUE(CurrentFolderUntouched());
}

// Today's Half-Life 2 runs as "hl2_win64.exe", and its demo plays longer than the 20 s the
// series waits after the hand-over: only a series that counts that name as the game waits
// for the result.
TEST_F(SteamTodayTest, TheGameRunningAsHl2Win64IsWaitedFor) {
  CreateSettings("1");
  ASSERT_TRUE(::CopyFileA((game + "hl2.exe").c_str(), (game + "hl2_win64.exe").c_str(), FALSE));
  WriteFile(game + "standin.ini", "[hl2]\r\nPlayMs=26000\r\nFps=61.37\r\n");
  ASSERT_EQ(RunSeries(), 0) << Read(seamLog);
  const std::string steamLog = Read(env.SteamFolder + "standin_steam.log");
  EXPECT_NE(steamLog.find("hl2_win64.exe"), std::string::npos) << steamLog;
  std::string gameLog = Read(game + "hl2\\standin_hl2.log");
  EXPECT_NE(gameLog.find("timedemo: zrv_highway found"), std::string::npos) << gameLog;
  EXPECT_TRUE(ReportSaved()) << Read(seamLog);
  EXPECT_EQ(Read(game + "hl2\\cfg\\autoexec.cfg"), kUserScript);
  EXPECT_TRUE(CurrentFolderUntouched());
}

TEST_F(SteamTodayTest, ALostCoastSeriesTouchesOnlyLostCoastInsideHalfLife2) {
  CreateSettings("2");
  ASSERT_EQ(RunSeries(), 0) << Read(seamLog);
  // Lost Coast's demo, script and result in "Half-Life 2\lostcoast\".
  std::string gameLog = Read(game + "lostcoast\\standin_hl2.log");
  EXPECT_NE(gameLog.find("timedemo: zrv_lost_coast found"), std::string::npos) << gameLog;
  EXPECT_TRUE(files::FileExists(game + "lostcoast\\zrv_lost_coast.dem"));
  EXPECT_EQ(Read(game + "lostcoast\\cfg\\autoexec.cfg"), kUserScript);
  EXPECT_FALSE(files::FileExists(game + "lostcoast\\cfg\\autoexec_old.cfg"));
  EXPECT_TRUE(ReportSaved());
  // Lost Coast's key got the series' values; Half-Life 2's folder and key are untouched, and
  // no folder of the 2004-08 layout was made.
  EXPECT_EQ(env.GameSetting(true, "mat_picmip"), 0);
  EXPECT_EQ(env.GameSetting(false, "mat_picmip"), -1);
  EXPECT_EQ(env.GameSetting(false, "ScreenWidth"), 800);
  EXPECT_EQ(Read(game + "hl2\\cfg\\autoexec.cfg"), kUserScript);
  EXPECT_FALSE(files::FileExists(game + "hl2\\standin_hl2.log"));
  EXPECT_FALSE(files::FileExists(game + "hl2\\zrv_lost_coast.dem"));
  EXPECT_FALSE(files::FileExists(game + "hl2\\sourcebench.csv"));
  EXPECT_FALSE(files::DirectoryExists(env.AccountFolder + "half-life 2 lostcoast"));
  EXPECT_TRUE(CurrentFolderUntouched());
}

}  // namespace
}  // namespace quorvel::testing
