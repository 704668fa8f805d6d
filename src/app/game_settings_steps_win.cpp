#include "app/game_settings_steps_win.h"

#include "settings/game_backup_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

void RecoverAndBackUpGameSettings(MainWindow& window) {
  // The exit paths put back what this start saved, so they are connected once start-up has
  // come as far as the backup, even when the recovery or the backup fails below.
  window.RestoreRegistryAtExit = [&window] { RestoreRegistry(window.Paths()); };
  window.RestoreScriptAtClose = [&window] {
    RestoreAutoexec(window.AutoexecPending, window.Paths(), window.Handle());
  };
  Recover(window.Paths(), window.Store(), window.Handle());
  BackupRegistry(window.Paths());
}

}  // namespace quorvel
