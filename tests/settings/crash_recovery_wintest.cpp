// The real program killed in the middle of a series and started again: the user's game
// settings must all come back.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/game_backup.h"
#include "settings/steam_game.h"
#include "support/program_env_win.h"

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

}  // namespace
}  // namespace quorvel
