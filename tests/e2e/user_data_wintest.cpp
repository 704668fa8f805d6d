// What the program leaves in its own folder and what it loads from there, with the real
// program run as the user: a series and an exit change nothing in the program folder but the
// new report, and a library planted beside the program is never loaded.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"

namespace quorvel::testing {
namespace {

std::string Read(const std::string& path) { return files::ReadAll(path).value_or("<missing>"); }

// Every file below `folder` (relative path -> bytes) and every folder (relative path ->
// "<folder>").
void Snapshot(const std::string& folder, const std::string& relative,
              std::map<std::string, std::string>& out) {
  WIN32_FIND_DATAA entry;
  FindHandle find(::FindFirstFileA((folder + relative + "*").c_str(), &entry));
  if (!find) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[relative + name + "\\"] = "<folder>";
      Snapshot(folder, relative + name + "\\", out);
    } else {
      out[relative + name] = Read(folder + relative + name);
    }
  } while (::FindNextFileA(find.Get(), &entry));
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> out;
  Snapshot(folder, "", out);
  return out;
}

TEST(UserData, ASeriesAndAnExitChangeNothingInTheProgramFolderButTheNewReport) {
  ProgramEnvironment env("user_data");
  env.CreateSettingsKey({{"640", "1"},
                         {"RunNumber", "1"},
                         {"Demo", "1"},
                         {"AFLevel", "1"},
                         {"AALevel", "0"},
                         {"HDR", "0"},
                         {"Heapsize", "64000"},
                         {"Refresh", "60"},
                         {"News", "1"}});
  env.CreateSteamKey();
  env.InstallGames();
  env.CreateGameSettings(false);
  env.CreateGameSettings(true);
  env.InstallDiagnosticsStandin();
  WriteFile(env.AccountFolder + "half-life 2\\standin.ini", "[hl2]\r\nPlayMs=500\r\nFps=61.37\r\n");
  // As installed: the default results folder exists; the settings name no other.
  const std::string results = env.InstallFolder + "Benchmark\\";
  ASSERT_TRUE(files::ForceDirectories(results));
  // What an earlier version left beside the program, read-only as the folder is now for a
  // user: a program that still wrote its backups or the diagnostics output there could not
  // (its series would not start, or it would read the stale report).
  const std::string staleReport = "  Card name: Stale Card\r\n  Display Memory: 1.0 MB\r\n"
                                  "  Driver Version: 0.1\r\n  Description: Stale Sound\r\n";
  for (const auto& [name, bytes] :
       {std::pair<std::string, std::string>{"hl2set.ini", "[ScreenWidth]\r\nValue=320\r\n"},
        {"hl2lcset.ini", "[ScreenWidth]\r\nValue=320\r\n"},
        {"dxinfo.txt", staleReport}}) {
    WriteFile(env.InstallFolder + name, bytes);
    ASSERT_TRUE(::SetFileAttributesA((env.InstallFolder + name).c_str(), FILE_ATTRIBUTE_READONLY));
  }
  const std::string seamLog = env.Root + "seams.log";
  const auto before = Snapshot(env.InstallFolder);
  ASSERT_TRUE(before.count("quorvel_testhost.exe"));

  env.StartSteam();
  StartedProcess program = env.StartProgram({{"QUORVEL_SEAM_LOG", seamLog},
                                             {"QUORVEL_SEAM_MODES", "640x480,1024x768"},
                                             {"QUORVEL_SEAM_NO_SHELL", "1"},
                                             {"QUORVEL_SEAM_WAIT_DIVISOR", "50"}});
  HWND main = env.WaitForWindow(program.Id, 60000);
  ASSERT_TRUE(main);
  // The start backed up the game's settings in the account's own folder.
  EXPECT_TRUE(files::FileExists(env.DataFolder + "hl2set.ini")) << env.DataFolder;
  EXPECT_TRUE(files::FileExists(env.DataFolder + "hl2lcset.ini"));
  StartedProcess press = env.Start(BuildFolder() + "press_run.exe \"" +
                                   results.substr(0, results.size() - 1) + "\" 300");
  ASSERT_EQ(env.WaitExit(press, 400000), 0) << Read(seamLog);
  // The diagnostics tool ran and its report was read.
  EXPECT_EQ(env.Setting("Display Memory"), " 256.0 MB");

  // The exit button, at the top right of the title area.
  HWND exit = ::ChildWindowFromPointEx(main, POINT{500, 13}, CWP_SKIPINVISIBLE);
  ASSERT_TRUE(exit && exit != main);
  ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(exit), BN_CLICKED),
                 reinterpret_cast<LPARAM>(exit));
  ASSERT_EQ(env.WaitExit(program, 60000), 0) << Read(seamLog);

  auto after = Snapshot(env.InstallFolder);
  int reports = 0;
  for (auto it = after.begin(); it != after.end();) {
    // The report, and the result files beside it with its name.
    if (it->first.rfind("Benchmark\\result_", 0) == 0 &&
        (it->first.ends_with(".htm") || it->first.ends_with(".json") ||
         it->first.ends_with(".csv"))) {
      reports += it->first.ends_with(".htm") ? 1 : 0;
      it = after.erase(it);
    } else {
      ++it;
    }
  }
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(after.size(), before.size());
  for (const auto& [name, bytes] : before) {
    auto found = after.find(name);
    if (found == after.end()) {
      ADD_FAILURE() << name << " is gone";
      continue;
    }
    EXPECT_TRUE(found->second == bytes) << name << " changed";
  }
  for (const auto& [name, bytes] : after)
    EXPECT_TRUE(before.count(name)) << name << " was written into the program folder";
  // The exit button put the values back and removed the account's copies.
  EXPECT_FALSE(files::FileExists(env.DataFolder + "hl2set.ini"));
  EXPECT_FALSE(files::FileExists(env.DataFolder + "dxinfo.txt"));
}

// A library named like one the program loads at run time, put beside the program by anyone
// who may write there, is never loaded: neither at the start nor by the news window's check
// whether the PC is online.
TEST(LibrarySearch, AURLDLLPlantedBesideTheProgramIsNeverLoaded) {
  // The planted library shows when it is loaded: a program that loads it by bare name from
  // its own folder leaves the marker.
  {
    TempFolder folder("quorvel planted check");
    ASSERT_TRUE(CopyFileTo(BuildFolder() + "planted\\URL.DLL", folder.Path() + "URL.DLL"));
    HMODULE planted = ::LoadLibraryA((folder.Path() + "URL.DLL").c_str());
    ASSERT_TRUE(planted);
    ::FreeLibrary(planted);
    ASSERT_TRUE(files::FileExists(folder.Path() + "URL.DLL.loaded"));
  }

  ProgramEnvironment env("planted_url");
  env.CreateSettingsKey({{"News", "0"}});
  env.CreateSteamKey();
  env.InstallGames();
  ASSERT_TRUE(CopyFileTo(BuildFolder() + "planted\\URL.DLL", env.InstallFolder + "URL.DLL"));
  const std::string marker = env.InstallFolder + "URL.DLL.loaded";
  StartedProcess program =
      env.StartProgram({{"QUORVEL_SEAM_MODES", "1024x768"}, {"QUORVEL_SEAM_NO_SHELL", "1"}});
  ASSERT_TRUE(env.WaitForWindow(program.Id, 60000));
  // The news window has made its check once "News" reads "1" and its window is shown.
  ASSERT_TRUE(PumpUntil([&] { return env.Setting("News") == "1"; }, 30000));
  PumpUntil([] { return false; }, 3000);
  env.Kill(program);
  EXPECT_FALSE(files::FileExists(marker)) << "the planted URL.DLL was loaded";
}

}  // namespace
}  // namespace quorvel::testing
