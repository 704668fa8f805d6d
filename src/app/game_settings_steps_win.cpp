#include "app/game_settings_steps_win.h"

#include "bench/game_config.h"
#include "settings/game_backup_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

void RecoverAndBackUpGameSettings(MainWindow& window) {
  Recover(window.Paths(), window.Store(), window.Handle(), bench::AutoexecText());
  BackupAtStart(window.Paths(), window.Store());
}

}  // namespace quorvel
