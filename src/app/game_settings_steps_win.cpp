#include "app/game_settings_steps_win.h"

#include "bench/game_config.h"
#include "settings/game_backup_win.h"
#include "sysinfo/process_presence_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

void RecoverAndBackUpGameSettings(MainWindow& window) {
  // Without the game its folders are bare relative texts: nothing of a series can lie
  // there, and nothing is touched in whatever folder the program was started from. An
  // unfinished series' registry values stay marked and go back at the exit button or at
  // the next start that finds the game.
  if (!window.Paths().AccountFolder.empty())
    Recover(window.Paths(), window.Store(), window.UserStore(), window.Handle(),
            bench::AutoexecText(), GameRuns());
  BackupAtStart(window.Paths(), window.UserStore());
}

}  // namespace quorvel
