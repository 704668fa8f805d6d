#include "app/game_settings_steps_win.h"

#include "ui/main_window_win.h"

namespace quorvel {

// The recovery and the backup join here; until then start-up goes straight on to the
// About view.
void RecoverAndBackUpGameSettings(MainWindow& window) { (void)window; }

}  // namespace quorvel
