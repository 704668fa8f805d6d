// The real program killed in the middle of a series and started again: the user's game
// settings must all come back.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/game_backup.h"
#include "settings/registry_settings_store_win.h"
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
    // The recovery asks about a script in the Half-Life 2 folder that is not the series'
    // own: the user keeps theirs. The series' own goes without a question, in either game.
    const bool asked = !c.lostCoast && c.userScript;
    const std::string answer = "no";
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
    EXPECT_TRUE(files::FileExists(env.DataFolder + backup::kHl2BackupFile));
    EXPECT_TRUE(files::FileExists(env.DataFolder + backup::kLostCoastBackupFile));
    for (const std::string& line : QuestionsAndErrors(firstLog))
      EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;

    // A series under way, as it leaves the game: its mark that the values are to be put
    // back, the user's script set aside, the series' own in its place, the game's values
    // changed, valve.rc changed beside its saved copy.
    {
      HKEY k = nullptr;
      ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kUserSettingsKeyPath, 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &k, nullptr),
                ERROR_SUCCESS);
      RegKey account(k);
      reg::WriteString(k, backup::kRestorePendingValue, "1");
    }
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
    if (c.userScript) expectedScript = kUserScript;
    EXPECT_EQ(FileBytes(script), expectedScript);
    EXPECT_FALSE(files::FileExists(saved));
    EXPECT_FALSE(files::FileExists(hl2Cfg + steam::kAutoexecOld));
    EXPECT_EQ(FileBytes(cfg + steam::kValveRc), kUserValveRc);
    EXPECT_FALSE(files::FileExists(cfg + steam::kValveRcOld));
    EXPECT_EQ(GameValuesNow(env, false), kHl2AtStart);
    EXPECT_EQ(GameValuesNow(env, true), kLostCoastAtStart);
    // The second start backed the restored values up afresh.
    EXPECT_TRUE(files::FileExists(env.DataFolder + backup::kHl2BackupFile));
    EXPECT_TRUE(files::FileExists(env.DataFolder + backup::kLostCoastBackupFile));

    std::vector<std::string> expectedLog;
    if (asked)
      expectedLog.push_back(std::string("confirm: ") + backup::kLeftoverScriptQuestion + " -> " +
                            answer);
    EXPECT_EQ(QuestionsAndErrors(log), expectedLog);
    // Only the user's own script keeps the marker set; nothing else is left to repair.
    EXPECT_EQ(env.Setting(backup::kNoErrorWarningValue), c.userScript ? "1" : "0");
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
        // The exit waited for the game to quit: the series ended and everything is back.
        EXPECT_EQ(GameValuesNow(env, false), kHl2BeforeSeries);
        EXPECT_EQ(GameValuesNow(env, true), kLostCoastBeforeSeries);
        EXPECT_FALSE(files::FileExists(env.DataFolder + backup::kHl2BackupFile));
        EXPECT_EQ(FileBytes(script),
                  c.userScript ? std::optional<std::string>(kUserScript) : std::nullopt);
      } else {
        // The script is back at once; the registry waits for the next start.
        EXPECT_EQ(FileBytes(script),
                  c.userScript ? std::optional<std::string>(kUserScript) : std::nullopt);
        EXPECT_FALSE(files::FileExists(saved));
        EXPECT_TRUE(files::FileExists(env.DataFolder + backup::kHl2BackupFile));
      }
    }

    // A script of the user's in the Half-Life 2 folder is asked about and kept; the
    // series' own goes without a question.
    const bool asked = !c.lostCoast && c.userScript;
    const std::string answer = "no";
    StartedProcess second = env.StartProgram(seams("second.log", answer));
    ASSERT_TRUE(env.WaitForWindow(second.Id, 60000)) << "no window at the next start";

    std::optional<std::string> expectedScript;
    if (c.userScript) expectedScript = kUserScript;
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

// ---------------------------------------------------------------------------------------
// The user's game settings through every way out of real series.

const std::string kUserLostCoastScript = "// Lost Coast binds\r\nbind \"F8\" \"jpeg\"\r\n";

// A machine for one real series of one 640 x 480 run: the stand-ins, the diagnostics values
// cached, and the user's own state in both games (the six values, valve.rc and, when asked
// for, an autoexec.cfg of their own).
class SeriesMachine {
 public:
  SeriesMachine(const std::string& name, bool lostCoast, bool userScripts, int playMs)
      : env(name), lostCoast_(lostCoast), userScripts_(userScripts) {
    results_ = env.Root + "Results\\";
    files::ForceDirectories(results_);
    env.CreateSettingsKey({{"640", "1"},
                           {"RunNumber", "1"},
                           {"Demo", lostCoast ? "2" : "1"},
                           {"AFLevel", "3"},
                           {"AALevel", "1"},
                           {"HDR", "2"},
                           {"ResultPath", results_.c_str()},
                           {"Display Memory", " 256.0 MB"},
                           {"Driver Version", "6.14.10.6614"},
                           {"Sound", "Stand-in sound"},
                           {backup::kNoErrorWarningValue, "0"}});
    env.CreateSteamKey();
    env.InstallGames();
    SetGameValues(env, false, kHl2BeforeSeries);
    SetGameValues(env, true, kLostCoastBeforeSeries);
    WriteFile(env.AccountFolder + "half-life 2\\standin.ini",
              "[hl2]\r\nPlayMs=" + std::to_string(playMs) + "\r\n");
    for (bool lc : {false, true}) {
      if (userScripts) WriteFile(Cfg(lc) + steam::kAutoexec, UserScript(lc));
      WriteFile(Cfg(lc) + steam::kValveRc, kUserValveRc);
    }
    env.StartSteam();
  }

  std::string GameFolder(bool lostCoast) const {
    return env.AccountFolder +
           (lostCoast ? steam::kLostCoastGameSubfolder : steam::kHl2GameSubfolder);
  }
  std::string Cfg(bool lostCoast) const { return GameFolder(lostCoast) + steam::kCfgSubfolder; }
  std::string Log(const std::string& name) const { return env.Root + name; }
  static const std::string& UserScript(bool lostCoast) {
    return lostCoast ? kUserLostCoastScript : kUserScript;
  }

  // Starts the program; `killAt` names the checkpoint at which it ends itself.
  StartedProcess Start(const std::string& log, const std::string& killAt = "") {
    return env.StartProgram({{"QUORVEL_SEAM_LOG", Log(log)},
                             {"QUORVEL_SEAM_ANSWERS", "no,no,no"},
                             {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"},
                             {"QUORVEL_SEAM_NO_SHELL", "1"},
                             {"QUORVEL_SEAM_WAIT_DIVISOR", "20"},
                             {"QUORVEL_SEAM_KILL_AT", killAt}});
  }

  // The main window once start-up has finished (the run button enabled); null otherwise.
  HWND WaitReady(StartedProcess& program) {
    if (!env.WaitForWindow(program.Id, 60000)) return nullptr;
    HWND main = ::FindWindowA(QUORVEL_MAIN_WINDOW_CLASS, nullptr);
    HWND run = main ? testing::FindChildById(main, IDC_BENCHBUTTON) : nullptr;
    if (!run || !WaitUntil(30000, [&] { return ::IsWindowEnabled(run) != FALSE; })) return nullptr;
    return main;
  }

  static void PressRun(HWND main) {
    HWND run = testing::FindChildById(main, IDC_BENCHBUTTON);
    ::PostMessageA(::GetParent(run), WM_COMMAND, MAKEWPARAM(IDC_BENCHBUTTON, BN_CLICKED),
                   reinterpret_cast<LPARAM>(run));
  }

  static bool PressExit(HWND main) {
    HWND exit = ::ChildWindowFromPointEx(main, POINT{500, 13}, CWP_SKIPINVISIBLE);
    if (!exit || exit == main) return false;
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(exit), BN_CLICKED),
                   reinterpret_cast<LPARAM>(exit));
    return true;
  }

  // The end of a Windows session as the system runs it: the query, the end, and then the
  // process ended by the system.
  void LogOff(StartedProcess& program, HWND main) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 20000,
                          &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program refused the log-off";
    ::SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 20000, &answer);
    env.Kill(program);
  }

  bool LogHas(const std::string& log, const std::string& line) const {
    return FileBytes(Log(log)).value_or("").find(line + "\n") != std::string::npos;
  }
  bool GamePlaying() const {
    return FileBytes(GameFolder(lostCoast_) + "standin_hl2.log").value_or("").find("timedemo: ") !=
           std::string::npos;
  }
  static bool WaitGameGone(DWORD timeoutMs = 60000) {
    return WaitUntil(timeoutMs, [] { return testing::ProcessIdsNamed("hl2.exe").empty(); });
  }

  // How the user's state differs from what it was before the first start; empty when it is
  // all theirs, byte for byte.
  std::vector<std::string> Differences() {
    std::vector<std::string> out;
    auto describe = [](const GameValues& values) {
      std::string text;
      for (const auto& [name, value] : values) text += name + "=" + std::to_string(value) + " ";
      return text;
    };
    for (bool lc : {false, true}) {
      const char* game = lc ? "Lost Coast" : "Half-Life 2";
      GameValues expected = lc ? kLostCoastBeforeSeries : kHl2BeforeSeries;
      GameValues now = GameValuesNow(env, lc);
      if (now != expected) out.push_back(std::string(game) + " values: " + describe(now));
      std::optional<std::string> script = FileBytes(Cfg(lc) + steam::kAutoexec);
      std::optional<std::string> expectedScript;
      if (userScripts_) expectedScript = UserScript(lc);
      if (script != expectedScript)
        out.push_back(std::string(game) + " autoexec.cfg: " +
                      (script ? "\"" + script->substr(0, 40) + "...\"" : "missing"));
      for (const char* leftover : {steam::kAutoexecOld, steam::kValveRcOld})
        if (files::FileExists(Cfg(lc) + leftover))
          out.push_back(std::string(game) + " " + leftover + " left");
      if (FileBytes(Cfg(lc) + steam::kValveRc) != kUserValveRc)
        out.push_back(std::string(game) + " valve.rc changed");
    }
    return out;
  }

  ProgramEnvironment env;

 private:
  bool lostCoast_;
  bool userScripts_;
  std::string results_;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += (out.empty() ? "" : "; ") + line;
  return out;
}

// Where the program dies. A checkpoint kill ends it exactly there; the others are kills
// from outside at a moment the test sees.
enum class Stage { Idle, InSeries, GamePlays, AtExit };
struct KillPoint {
  const char* name;
  Stage stage;
  const char* checkpoint;
};

const KillPoint kKillPoints[] = {
    {"before the series", Stage::Idle, ""},
    {"backup secured", Stage::InSeries, "series: backup secured"},
    {"script set aside", Stage::InSeries, "series: script set aside"},
    {"demo installed", Stage::InSeries, "series: demo installed"},
    {"run registry written", Stage::InSeries, "series: run registry written"},
    {"detail registry written", Stage::InSeries, "series: detail registry written"},
    {"series script written", Stage::InSeries, "series: script written"},
    {"launch options built", Stage::InSeries, "series: launch options built"},
    {"while the game plays", Stage::GamePlays, ""},
    {"after the series", Stage::InSeries, "series: ended"},
    {"exit: Half-Life 2 restored", Stage::AtExit, "registry restore: Half-Life 2 back"},
    {"exit: both restored", Stage::AtExit, "registry restore: both back"},
};

// Runs the first program up to the kill point and kills it there; "" when it went as
// planned, else what went wrong.
std::string KillAt(SeriesMachine& m, const KillPoint& point) {
  StartedProcess first = m.Start("first.log", point.checkpoint);
  HWND main = m.WaitReady(first);
  if (!main) return "the program did not start";
  if (point.stage == Stage::Idle) {
    m.env.Kill(first);
    return "";
  }
  SeriesMachine::PressRun(main);
  if (point.stage == Stage::GamePlays) {
    if (!WaitUntil(60000, [&] { return m.GamePlaying(); })) return "the game never played";
    m.env.Kill(first);
    return "";
  }
  if (point.stage == Stage::AtExit) {
    if (!WaitUntil(90000, [&] { return m.LogHas("first.log", "checkpoint: series: ended"); }))
      return "the series never ended";
    if (!SeriesMachine::PressExit(main)) return "no exit button";
  }
  if (m.env.WaitExit(first, 90000) != 9) {
    m.env.Kill(first);
    return "the checkpoint was never reached";
  }
  return "";
}

// The real program killed at every distinct point of a series and of its exit, for both
// games, with and without the user's own scripts; started again and left by the exit button,
// the user's six values of each game, autoexec.cfg and valve.rc are theirs byte for byte.
TEST(CrashRecovery, KilledAtEveryPointOfASeriesTheUsersSettingsComeBack) {
  struct Variant {
    const char* name;
    bool lostCoast;
    bool userScripts;
  };
  const Variant variants[] = {{"HL2", false, false},
                              {"HL2+script", false, true},
                              {"LC", true, false},
                              {"LC+script", true, true}};
  std::vector<std::vector<std::string>> table;
  std::vector<std::string> details;
  int cells = 0, good = 0;
  for (size_t p = 0; p < std::size(kKillPoints); ++p) {
    const KillPoint& point = kKillPoints[p];
    table.emplace_back();
    for (const Variant& v : variants) {
      SCOPED_TRACE(std::string(point.name) + ", " + v.name);
      SeriesMachine m("kill" + std::to_string(p) + "_" + v.name, v.lostCoast, v.userScripts, 2500);
      std::string problem = KillAt(m, point);
      std::vector<std::string> differences;
      if (problem.empty()) {
        // Started again and left by the exit button, which waits for a game still playing.
        StartedProcess second = m.Start("second.log");
        HWND main = m.WaitReady(second);
        if (!main || !SeriesMachine::PressExit(main))
          problem = "the program did not start again";
        else if (m.env.WaitExit(second, 90000) != 0)
          problem = "the exit button did not end the program";
        SeriesMachine::WaitGameGone();
        differences = m.Differences();
        for (const std::string& line : QuestionsAndErrors(m.Log("second.log")))
          if (line.rfind("error: ", 0) == 0) differences.push_back(line);
      }
      if (!problem.empty()) differences.insert(differences.begin(), problem);
      ++cells;
      good += differences.empty() ? 1 : 0;
      table.back().push_back(differences.empty() ? "ok" : "LOST");
      if (!differences.empty())
        details.push_back(std::string(point.name) + ", " + v.name + ": " + Joined(differences));
      EXPECT_TRUE(differences.empty()) << Joined(differences);
    }
  }
  std::printf("\nkill point                   ");
  for (const Variant& v : variants) std::printf("%-12s", v.name);
  std::printf("\n");
  for (size_t p = 0; p < table.size(); ++p) {
    std::printf("%-29s", kKillPoints[p].name);
    for (const std::string& cell : table[p]) std::printf("%-12s", cell.c_str());
    std::printf("\n");
  }
  std::printf("user's settings back at %d of %d points (%d %%)\n", good, cells,
              cells ? good * 100 / cells : 0);
  for (const std::string& line : details) std::printf("  %s\n", line.c_str());
  std::fflush(stdout);
}

// After a series the window is closed by the system (or the session ends), twice more the
// program is started and closed that way, and then left by its exit button: at every start
// and at the end the values are the user's.
TEST(CrashRecovery, SystemCloseOrLogOffAfterASeriesNeverCostsTheUsersValues) {
  for (bool logOff : {false, true}) {
    for (bool lostCoast : {false, true}) {
      const std::string name =
          std::string(logOff ? "logoff" : "close") + (lostCoast ? "_lostcoast" : "_hl2");
      SCOPED_TRACE(name);
      SeriesMachine m(name, lostCoast, false, 500);
      auto leave = [&](StartedProcess& program, HWND main) {
        if (logOff) {
          m.LogOff(program, main);
        } else {
          ::PostMessageA(main, WM_CLOSE, 0, 0);
          EXPECT_EQ(m.env.WaitExit(program, 30000), 0);
        }
      };
      StartedProcess first = m.Start("first.log");
      HWND main = m.WaitReady(first);
      ASSERT_TRUE(main);
      SeriesMachine::PressRun(main);
      ASSERT_TRUE(WaitUntil(90000, [&] {
        return m.LogHas("first.log", "checkpoint: series: ended");
      })) << FileBytes(m.Log("first.log")).value_or("");
      ASSERT_NE(GameValuesNow(m.env, lostCoast),
                lostCoast ? kLostCoastBeforeSeries : kHl2BeforeSeries);
      leave(first, main);
      for (int start = 2; start <= 4; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        const std::string log = "start" + std::to_string(start) + ".log";
        StartedProcess next = m.Start(log);
        HWND window = m.WaitReady(next);
        ASSERT_TRUE(window);
        EXPECT_EQ(m.Differences(), std::vector<std::string>{});
        EXPECT_EQ(QuestionsAndErrors(m.Log(log)), std::vector<std::string>{});
        if (start < 4) {
          leave(next, window);
        } else {
          ASSERT_TRUE(SeriesMachine::PressExit(window));
          EXPECT_EQ(m.env.WaitExit(next, 30000), 0);
        }
        EXPECT_EQ(m.Differences(), std::vector<std::string>{});
      }
      EXPECT_FALSE(files::FileExists(m.env.DataFolder + backup::kHl2BackupFile));
      EXPECT_FALSE(files::FileExists(m.env.DataFolder + backup::kLostCoastBackupFile));
    }
  }
}

// The window left while the game of a series plays, and the game then quits by itself and
// stores its screen size: the exit button puts the values back only after that; the
// system's close leaves them to the next start.
TEST(CrashRecovery, LeftWhileTheGamePlaysTheValuesComeBackAfterItQuit) {
  for (WayOut way : {WayOut::ExitButton, WayOut::SystemClose}) {
    for (bool lostCoast : {false, true}) {
      const std::string name = std::string(way == WayOut::ExitButton ? "exit" : "close") +
                               "_playing" + (lostCoast ? "_lostcoast" : "_hl2");
      SCOPED_TRACE(name);
      SeriesMachine m(name, lostCoast, true, 4000);
      StartedProcess first = m.Start("first.log");
      HWND main = m.WaitReady(first);
      ASSERT_TRUE(main);
      SeriesMachine::PressRun(main);
      ASSERT_TRUE(WaitUntil(60000, [&] { return m.GamePlaying(); }));
      if (way == WayOut::ExitButton) {
        ASSERT_TRUE(SeriesMachine::PressExit(main));
        // The window stays and says why.
        HWND status = testing::FindChildById(main, IDC_STATUSINFO);
        EXPECT_TRUE(WaitUntil(10000, [&] {
          char text[256] = {};
          ::GetWindowTextA(status, text, sizeof(text));
          return std::string(text) ==
                 "Waiting for the game to quit; then your game settings are put back and the "
                 "program ends.";
        }));
        EXPECT_EQ(m.env.WaitExit(first, 60000), 0);
        // The program ended after the game, with everything back.
        EXPECT_TRUE(testing::ProcessIdsNamed("hl2.exe").empty());
        SeriesMachine::WaitGameGone();
        EXPECT_EQ(m.Differences(), std::vector<std::string>{});
      } else {
        ::PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(m.env.WaitExit(first, 30000), 0);
        ASSERT_TRUE(SeriesMachine::WaitGameGone());
        EXPECT_EQ(m.env.GameSetting(lostCoast, "ScreenWidth"), 640);  // the game's own store
        StartedProcess second = m.Start("second.log");
        HWND window = m.WaitReady(second);
        ASSERT_TRUE(window);
        EXPECT_EQ(m.Differences(), std::vector<std::string>{});
        ASSERT_TRUE(SeriesMachine::PressExit(window));
        EXPECT_EQ(m.env.WaitExit(second, 30000), 0);
        EXPECT_EQ(m.Differences(), std::vector<std::string>{});
      }
    }
  }
}

// A backup that cannot be written stops the series before the game is touched, with a
// message that says why.
TEST(CrashRecovery, SeriesRefusedWhenTheBackupCannotBeWritten) {
  SeriesMachine m("readonly_backup", false, true, 500);
  const std::string backupFile = m.env.DataFolder + backup::kHl2BackupFile;
  const std::string stale = "[ScreenWidth]\r\nValue=320\r\n";
  WriteFile(backupFile, stale);
  // Another program holds the file open, as a virus scanner or an editor may.
  UniqueHandle lock(::CreateFileA(backupFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  StartedProcess first = m.Start("first.log");
  HWND main = m.WaitReady(first);
  ASSERT_TRUE(main);
  SeriesMachine::PressRun(main);
  ASSERT_TRUE(WaitUntil(60000, [&] {
    return FileBytes(m.Log("first.log")).value_or("").find("message: ") != std::string::npos;
  }));
  const std::string log = FileBytes(m.Log("first.log")).value_or("");
  EXPECT_NE(log.find("message: The benchmark did not start: your game settings could not be "
                     "saved to " +
                     backupFile),
            std::string::npos)
      << log;
  // Nothing of the game was touched, and leaving changes nothing either.
  EXPECT_EQ(m.Differences(), std::vector<std::string>{});
  EXPECT_FALSE(files::FileExists(m.GameFolder(false) + "standin_hl2.log"));
  ASSERT_TRUE(SeriesMachine::PressExit(main));
  EXPECT_EQ(m.env.WaitExit(first, 30000), 0);
  EXPECT_EQ(m.Differences(), std::vector<std::string>{});
}

}  // namespace
}  // namespace quorvel
