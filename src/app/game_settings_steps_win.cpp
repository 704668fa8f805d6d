#include "app/game_settings_steps_win.h"

#include "bench/game_config.h"
#include "settings/game_backup_win.h"
#include "sysinfo/process_presence_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

void RecoverAndBackUpGameSettings(MainWindow& window) {
  Recover(window.Paths(), window.Store(), window.UserStore(), window.Handle(),
          bench::AutoexecText(), ProcessPresence().GameProcessRunning());
  BackupAtStart(window.Paths(), window.UserStore());
}

}  // namespace quorvel
