// The real main window's ways out while a series has the game changed: what each puts back,
// and what the next start still finds to repair.
#include "settings/game_backup_win.h"

#include "settings/game_backup.h"
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

using steam::Game;

const std::string kUserScript = "// mine\r\nbind \"F1\" \"kill\"\r\n";
const std::string kSeriesScript = "// Tovrel - Maximum details\r\n\r\nsv_cheats \"1\"\r\n";

class ExitPathsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Install({{backup::kNoErrorWarningValue, "0"}});
    machine->CreateGameSettings(false, {{"ScreenWidth", 1680}, {"ScreenHeight", 1050}});
    machine->CreateGameSettings(true, {{"ScreenWidth", 1280}, {"ScreenHeight", 720}});
  }

  std::string Cfg(Game game, const char* file) const {
    return window->Paths().CfgFolder(game) + file;
  }
  std::string Backup(Game game) const {
    return machine->InstallFolder + backup::BackupFileName(game);
  }
  static std::optional<std::string> Bytes(const std::string& path) {
    if (!files::FileExists(path)) return std::nullopt;
    return files::ReadAll(path);
  }

  // A series of `game` under way: the user's script set aside, the series' in its place and
  // the last run's screen size in both keys.
  void SeriesUnderWay(Game game) {
    WriteFile(Cfg(game, steam::kAutoexec), kUserScript);
    ASSERT_TRUE(SetAsideAutoexec(window->AutoexecPending, window->Paths(), game, window->Handle()));
    WriteFile(Cfg(game, steam::kAutoexec), kSeriesScript);
    for (bool lostCoast : {false, true})
      machine->CreateGameSettings(lostCoast, {{"ScreenWidth", 640}, {"ScreenHeight", 480}});
  }
};

TEST_F(ExitPathsTest, ExitButtonPutsTheValuesBackAndTheNextStartTheScript) {
  Open();
  ASSERT_TRUE(completed);
  ASSERT_TRUE(files::FileExists(Backup(Game::HalfLife2)));
  ASSERT_TRUE(files::FileExists(Backup(Game::LostCoast)));
  SeriesUnderWay(Game::HalfLife2);

  Click(window->SpeedButton1);
  EXPECT_EQ(programEnded, 1);
  EXPECT_EQ(machine->GameSetting(false, "ScreenWidth"), 1680);
  EXPECT_EQ(machine->GameSetting(false, "ScreenHeight"), 1050);
  EXPECT_EQ(machine->GameSetting(true, "ScreenWidth"), 1280);
  EXPECT_FALSE(files::FileExists(Backup(Game::HalfLife2)));
  EXPECT_FALSE(files::FileExists(Backup(Game::LostCoast)));
  // This way out leaves the script as the series had it ...
  EXPECT_EQ(Bytes(Cfg(Game::HalfLife2, steam::kAutoexecOld)), kUserScript);
  picker.reset();
  window.reset();

  // ... and the next start gives the user's script back before asking about it.
  seams.answers = {false};
  Open();
  ASSERT_TRUE(completed);
  EXPECT_EQ(Bytes(Cfg(Game::HalfLife2, steam::kAutoexec)), kUserScript);
  EXPECT_FALSE(files::FileExists(Cfg(Game::HalfLife2, steam::kAutoexecOld)));
  EXPECT_TRUE(WasShown(std::string("confirm: ") + backup::kLeftoverScriptQuestion + " -> no"));
  EXPECT_EQ(Setting(backup::kNoErrorWarningValue), "1");
  EXPECT_EQ(machine->GameSetting(false, "ScreenWidth"), 1680);
  EXPECT_FALSE(AnyError());
}

TEST_F(ExitPathsTest, SystemClosePutsTheScriptBackAndKeepsTheBackup) {
  Open();
  ASSERT_TRUE(completed);
  SeriesUnderWay(Game::LostCoast);
  const std::optional<std::string> backupFile = Bytes(Backup(Game::LostCoast));

  ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(programEnded, 1);
  EXPECT_EQ(Bytes(Cfg(Game::LostCoast, steam::kAutoexec)), kUserScript);
  EXPECT_FALSE(files::FileExists(Cfg(Game::LostCoast, steam::kAutoexecOld)));
  // The registry is not put back on this way out; the backup files wait for the next start.
  EXPECT_EQ(Bytes(Backup(Game::LostCoast)), backupFile);
  EXPECT_TRUE(files::FileExists(Backup(Game::HalfLife2)));
  EXPECT_EQ(machine->GameSetting(true, "ScreenWidth"), 640);
  EXPECT_FALSE(AnyError());
}

TEST_F(ExitPathsTest, SystemCloseWithoutASeriesTouchesNoScript) {
  Open();
  ASSERT_TRUE(completed);
  WriteFile(machine->AccountFolder + "half-life 2\\hl2\\cfg\\autoexec_old.cfg", kUserScript);
  WriteFile(machine->AccountFolder + "half-life 2\\hl2\\cfg\\autoexec.cfg", kSeriesScript);
  ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(programEnded, 1);
  EXPECT_EQ(Bytes(machine->AccountFolder + "half-life 2\\hl2\\cfg\\autoexec_old.cfg"), kUserScript);
  EXPECT_EQ(Bytes(machine->AccountFolder + "half-life 2\\hl2\\cfg\\autoexec.cfg"), kSeriesScript);
}

}  // namespace
}  // namespace quorvel::testing
