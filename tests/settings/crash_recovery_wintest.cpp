// The real program killed in the middle of a series and started again: the user's game
// settings must all come back.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/game_backup.h"
#include "settings/steam_game.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"
#include "ui/resource_ids.h"

namespace quorvel {
namespace {

using testing::ProgramEnvironment;
using testing::StartedProcess;
using testing::WriteFile;

using GameValues = std::map<std::string, DWORD>;

const GameValues kHl2AtStart = {{"mat_antialias", 2},   {"mat_forceaniso", 4},
                                {"mat_trilinear", 1},   {"mat_hdr_level", 1},
                                {"ScreenHeight", 1050}, {"ScreenWidth", 1680}};
const GameValues kLostCoastAtStart = {{"mat_antialias", 0},  {"mat_forceaniso", 8},
                                      {"mat_trilinear", 0},  {"mat_hdr_level", 2},
                                      {"ScreenHeight", 720}, {"ScreenWidth", 1280}};
// What a series leaves in its game's key: the last run's size and the user's choices.
const GameValues kSeriesValues = {{"mat_antialias", 4},  {"mat_forceaniso", 16},
                                  {"mat_trilinear", 0},  {"mat_hdr_level", 0},
                                  {"ScreenHeight", 480}, {"ScreenWidth", 640}};

const std::string kUserScript = "// Gordon's binds\r\nbind \"F9\" \"screenshot\"\r\nfov 90\r\n";
const std::string kUserValveRc = "// user's valve.rc\r\nexec autoexec.cfg\r\nstartupmenu\r\n";

std::string SeriesScript() {
  return files::ReadAll(std::string(QUORVEL_FIXTURES) + "/bench/autoexec.cfg").value_or("");
}

std::optional<std::string> FileBytes(const std::string& path) {
  if (!files::FileExists(path)) return std::nullopt;
  return files::ReadAll(path);
}

void SetGameValues(ProgramEnvironment& env, bool lostCoast, const GameValues& values) {
  env.CreateGameSettings(lostCoast);
  const char* key =
      steam::SettingsKeySuffix(lostCoast ? steam::Game::LostCoast : steam::Game::HalfLife2);
  RegKey settings = reg::Open(HKEY_CURRENT_USER, key + 1, KEY_SET_VALUE);
  ASSERT_TRUE(settings) << key;
  for (const auto& [name, value] : values) reg::WriteDword(settings.Get(), name, value);
}

GameValues GameValuesNow(ProgramEnvironment& env, bool lostCoast) {
  GameValues out;
  for (const backup::SavedValue& value : backup::kSavedValues) {
    long long v = env.GameSetting(lostCoast, value.Name);
    if (v >= 0) out[value.Name] = static_cast<DWORD>(v);
  }
  return out;
}

// The lines the program's questions and error reports left in the seam log.
std::vector<std::string> QuestionsAndErrors(const std::string& log) {
  std::vector<std::string> out;
  for (const std::string& line : text::Split(FileBytes(log).value_or(""), '\n'))
    if (line.rfind("confirm: ", 0) == 0 || line.rfind("error: ", 0) == 0) out.push_back(line);
  return out;
}

struct Case {
  bool lostCoast;
  bool userScript;
  bool valveOld;
};

std::string CaseName(const Case& c) {
  return std::string(c.lostCoast ? "lostcoast" : "hl2") + (c.userScript ? "_script" : "") +
         (c.valveOld ? "_valveold" : "");
}

TEST(CrashRecovery, ProgramKilledDuringASeriesGivesEverythingBack) {
  const Case cases[] = {
      {false, true, false}, {false, true, true}, {false, false, false}, {false, false, true},
      {true, true, false},  {true, true, true},  {true, false, false},  {true, false, true},
  };
  const std::string seriesScript = SeriesScript();
  ASSERT_FALSE(seriesScript.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(CaseName(c));
    ProgramEnvironment env("recovery_" + CaseName(c));
    env.CreateSettingsKey({{backup::kNoErrorWarningValue, "0"}});
    env.CreateSteamKey();
    env.InstallGames();
    SetGameValues(env, false, kHl2AtStart);
    SetGameValues(env, true, kLostCoastAtStart);
    const std::string cfg =
        env.AccountFolder +
        (c.lostCoast ? steam::kLostCoastGameSubfolder : steam::kHl2GameSubfolder) +
        steam::kCfgSubfolder;
    const std::string hl2Cfg = env.AccountFolder + steam::kHl2GameSubfolder + steam::kCfgSubfolder;
    const std::string script = cfg + steam::kAutoexec;
    const std::string saved = cfg + steam::kAutoexecOld;
    if (c.userScript) WriteFile(script, kUserScript);
    WriteFile(cfg + steam::kValveRc, kUserValveRc);

    const std::string firstLog = env.Root + "first.log";
    const std::string log = env.Root + "second.log";
    // The recovery asks about a script in the Half-Life 2 folder. A user with a script of
    // their own keeps it; without one, what is there is the series' and goes.
    const bool asked = !c.lostCoast;
    const std::string answer = c.userScript ? "no" : "yes";
    auto seams = [](const std::string& logFile, const std::string& answers) {
      return std::vector<std::pair<std::string, std::string>>{
          {"QUORVEL_SEAM_LOG", logFile},
          {"QUORVEL_SEAM_ANSWERS", answers},
          {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
          {"QUORVEL_SEAM_NO_SHELL", "1"}};
    };

    // First start: the backup of the games' values as they are now.
    // A user's own script in the Half-Life 2 folder is asked about at every start; the
    // user keeps it.
    StartedProcess first = env.StartProgram(seams(firstLog, "no"));
    ASSERT_TRUE(env.WaitForWindow(first.Id, 60000)) << "no window";
    EXPECT_TRUE(files::FileExists(env.InstallFolder + backup::kHl2BackupFile));
    EXPECT_TRUE(files::FileExists(env.InstallFolder + backup::kLostCoastBackupFile));
    for (const std::string& line : QuestionsAndErrors(firstLog))
      EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;

    // A series under way, as it leaves the game: the user's script set aside, the series'
    // own in its place, the game's values changed, valve.rc changed beside its saved copy.
    if (c.userScript) ASSERT_TRUE(::MoveFileA(script.c_str(), saved.c_str()));
    WriteFile(script, seriesScript);
    SetGameValues(env, c.lostCoast, kSeriesValues);
    if (c.valveOld) {
      WriteFile(cfg + steam::kValveRcOld, kUserValveRc);
      WriteFile(cfg + steam::kValveRc, "// valve.rc as the game rewrote it\r\n");
    }
    env.Kill(first);
    ASSERT_EQ(env.WaitExit(first, 10000), 1);

    StartedProcess second = env.StartProgram(seams(log, answer));
    ASSERT_TRUE(env.WaitForWindow(second.Id, 60000)) << "no window after the kill";

    std::optional<std::string> expectedScript;
    if (c.userScript)
      expectedScript = kUserScript;
    else if (c.lostCoast)
      expectedScript = seriesScript;  // never offered for deletion
    EXPECT_EQ(FileBytes(script), expectedScript);
    EXPECT_FALSE(files::FileExists(saved));
    EXPECT_FALSE(files::FileExists(hl2Cfg + steam::kAutoexecOld));
    EXPECT_EQ(FileBytes(cfg + steam::kValveRc), kUserValveRc);
    EXPECT_FALSE(files::FileExists(cfg + steam::kValveRcOld));
    EXPECT_EQ(GameValuesNow(env, false), kHl2AtStart);
    EXPECT_EQ(GameValuesNow(env, true), kLostCoastAtStart);
    // The second start backed the restored values up afresh.
    EXPECT_TRUE(files::FileExists(env.InstallFolder + backup::kHl2BackupFile));
    EXPECT_TRUE(files::FileExists(env.InstallFolder + backup::kLostCoastBackupFile));

    std::vector<std::string> expectedLog;
    if (asked)
      expectedLog.push_back(std::string("confirm: ") + backup::kLeftoverScriptQuestion + " -> " +
                            answer);
    EXPECT_EQ(QuestionsAndErrors(log), expectedLog);
    EXPECT_EQ(env.Setting(backup::kNoErrorWarningValue), asked && !c.userScript ? "0" : "1");
    env.Kill(second);
  }
}

// A real series of the real program, interrupted while the game plays its demo.
enum class WayOut { Killed, ExitButton, SystemClose };

struct Interruption {
  WayOut way;
  bool lostCoast;
  bool userScript;
};

std::string InterruptionName(const Interruption& c) {
  const char* way = c.way == WayOut::Killed       ? "killed"
                    : c.way == WayOut::ExitButton ? "exitbutton"
                                                  : "systemclose";
  return std::string(way) + (c.lostCoast ? "_lostcoast" : "_hl2") + (c.userScript ? "_script" : "");
}

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
  DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(100);
  }
  return true;
}

// The game's values at the program's first start, and what the series writes (the window's
// settings below: anisotropic 4x, 2x anti-aliasing, full HDR).
const GameValues kHl2BeforeSeries = {{"mat_antialias", 0},   {"mat_forceaniso", 8},
                                     {"mat_trilinear", 1},   {"mat_hdr_level", 0},
                                     {"ScreenHeight", 1050}, {"ScreenWidth", 1680}};
const GameValues kLostCoastBeforeSeries = {{"mat_antialias", 0},  {"mat_forceaniso", 16},
                                           {"mat_trilinear", 1},  {"mat_hdr_level", 1},
                                           {"ScreenHeight", 720}, {"ScreenWidth", 1280}};

TEST(CrashRecovery, RealSeriesInterruptedGivesEverythingBack) {
  const Interruption cases[] = {
      {WayOut::Killed, false, true},     {WayOut::Killed, false, false},
      {WayOut::Killed, true, true},      {WayOut::Killed, true, false},
      {WayOut::ExitButton, false, true}, {WayOut::ExitButton, true, false},
      {WayOut::SystemClose, true, true}, {WayOut::SystemClose, false, true},
  };
  for (const Interruption& c : cases) {
    SCOPED_TRACE(InterruptionName(c));
    ProgramEnvironment env("series_" + InterruptionName(c));
    const std::string results = env.Root + "Results\\";
    files::ForceDirectories(results);
    env.CreateSettingsKey({{"640", "1"},
                           {"RunNumber", "1"},
                           {"Demo", c.lostCoast ? "2" : "1"},
                           {"AFLevel", "3"},
                           {"AALevel", "1"},
                           {"HDR", "2"},
                           {"ResultPath", results.c_str()},
                           {backup::kNoErrorWarningValue, "0"}});
    env.CreateSteamKey();
    env.InstallGames();
    SetGameValues(env, false, kHl2BeforeSeries);
    SetGameValues(env, true, kLostCoastBeforeSeries);
    // The diagnostics tool the program runs from the system folder is our stand-in.
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(::CopyFileA((testing::BuildFolder() + "standins\\dxdiag.exe").c_str(),
                            (std::string(system) + "\\dxdiag.exe").c_str(), FALSE));
    {
      HKEY overrides = nullptr;
      ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &overrides, nullptr);
      RegKey owned(overrides);
      reg::WriteString(owned.Get(), "dxdiag.exe", "native");
    }
    // Long enough a demo to interrupt the series while it plays.
    WriteFile(env.AccountFolder + "half-life 2\\standin.ini", "[hl2]\r\nPlayMs=6000\r\n");

    const std::string gameFolder = env.AccountFolder + (c.lostCoast ? steam::kLostCoastGameSubfolder
                                                                    : steam::kHl2GameSubfolder);
    const std::string cfg = gameFolder + steam::kCfgSubfolder;
    const std::string script = cfg + steam::kAutoexec;
    const std::string saved = cfg + steam::kAutoexecOld;
    if (c.userScript) WriteFile(script, kUserScript);
    WriteFile(cfg + steam::kValveRc, kUserValveRc);
    auto seams = [&](const std::string& log, const std::string& answers) {
      return std::vector<std::pair<std::string, std::string>>{
          {"QUORVEL_SEAM_LOG", env.Root + log},
          {"QUORVEL_SEAM_ANSWERS", answers},
          {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
          {"QUORVEL_SEAM_NO_SHELL", "1"},
          {"QUORVEL_SEAM_WAIT_DIVISOR", "50"}};
    };

    env.StartSteam();
    StartedProcess first = env.StartProgram(seams("first.log", "no"));
    ASSERT_TRUE(env.WaitForWindow(first.Id, 60000)) << "no window";
    HWND main = ::FindWindowA(QUORVEL_MAIN_WINDOW_CLASS, nullptr);
    ASSERT_TRUE(main);
    HWND run = testing::FindChildById(main, IDC_BENCHBUTTON);
    ASSERT_TRUE(run);
    ASSERT_TRUE(WaitUntil(30000, [&] { return ::IsWindowEnabled(run) != FALSE; }));
    ::PostMessageA(::GetParent(run), WM_COMMAND, MAKEWPARAM(IDC_BENCHBUTTON, BN_CLICKED),
                   reinterpret_cast<LPARAM>(run));
    const std::string gameLog = gameFolder + "standin_hl2.log";
    ASSERT_TRUE(WaitUntil(120000, [&] {
      return FileBytes(gameLog).value_or("").find("timedemo: ") != std::string::npos;
    })) << FileBytes(env.Root + "first.log").value_or("");
    // The series has the game changed now.
    EXPECT_EQ(FileBytes(saved),
              c.userScript ? std::optional<std::string>(kUserScript) : std::nullopt);
    EXPECT_NE(FileBytes(script).value_or("").find("sv_cheats"), std::string::npos);
    EXPECT_NE(GameValuesNow(env, c.lostCoast),
              c.lostCoast ? kLostCoastBeforeSeries : kHl2BeforeSeries);

    if (c.way == WayOut::Killed) {
      env.Kill(first);
      // The game plays on, quits and stores its screen size, as it would after a crash.
      EXPECT_TRUE(WaitUntil(60000, [] { return testing::ProcessIdsNamed("hl2.exe").empty(); }));
      EXPECT_EQ(env.GameSetting(c.lostCoast, "ScreenWidth"), 640);
    } else {
      if (c.way == WayOut::ExitButton) {
        HWND exit = ::ChildWindowFromPointEx(main, POINT{500, 13}, CWP_SKIPINVISIBLE);
        ASSERT_TRUE(exit && exit != main);
        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(exit), BN_CLICKED),
                       reinterpret_cast<LPARAM>(exit));
      } else {
        ::PostMessageA(main, WM_CLOSE, 0, 0);
      }
      EXPECT_EQ(env.WaitExit(first, 30000), 0);
      // The game is ended without a chance to store its screen size, so what the way out
      // put back stays to be seen.
      for (DWORD id : testing::ProcessIdsNamed("hl2.exe")) {
        UniqueHandle game(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        ::TerminateProcess(game.Get(), 1);
        ::WaitForSingleObject(game.Get(), 10000);
      }
      if (c.way == WayOut::ExitButton) {
        // The registry is back at once; the script waits for the next start.
        EXPECT_EQ(GameValuesNow(env, false), kHl2BeforeSeries);
        EXPECT_EQ(GameValuesNow(env, true), kLostCoastBeforeSeries);
        EXPECT_FALSE(files::FileExists(env.InstallFolder + backup::kHl2BackupFile));
        EXPECT_NE(FileBytes(script).value_or("").find("sv_cheats"), std::string::npos);
      } else {
        // The script is back at once; the registry waits for the next start.
        EXPECT_EQ(FileBytes(script),
                  c.userScript ? std::optional<std::string>(kUserScript) : std::nullopt);
        EXPECT_FALSE(files::FileExists(saved));
        EXPECT_TRUE(files::FileExists(env.InstallFolder + backup::kHl2BackupFile));
      }
    }

    // A script in the Half-Life 2 folder is asked about: the user keeps their own, and
    // deletes the series' one.
    const bool asked = !c.lostCoast;
    const std::string answer = c.userScript ? "no" : "yes";
    StartedProcess second = env.StartProgram(seams("second.log", answer));
    ASSERT_TRUE(env.WaitForWindow(second.Id, 60000)) << "no window at the next start";

    std::optional<std::string> expectedScript;
    if (c.userScript)
      expectedScript = kUserScript;
    else if (c.lostCoast && c.way != WayOut::SystemClose)
      expectedScript = FileBytes(std::string(QUORVEL_FIXTURES) + "/bench/autoexec.cfg");
    EXPECT_EQ(FileBytes(script), expectedScript);
    EXPECT_FALSE(files::FileExists(saved));
    EXPECT_EQ(FileBytes(cfg + steam::kValveRc), kUserValveRc);
    if (c.way != WayOut::ExitButton) {
      // Back from the backup of the first start, whatever the game stored since.
      EXPECT_EQ(GameValuesNow(env, false), kHl2BeforeSeries);
      EXPECT_EQ(GameValuesNow(env, true), kLostCoastBeforeSeries);
    }
    std::vector<std::string> expectedLog;
    if (asked)
      expectedLog.push_back(std::string("confirm: ") + backup::kLeftoverScriptQuestion + " -> " +
                            answer);
    EXPECT_EQ(QuestionsAndErrors(env.Root + "second.log"), expectedLog);
    env.Kill(second);
  }
}

}  // namespace
}  // namespace quorvel
