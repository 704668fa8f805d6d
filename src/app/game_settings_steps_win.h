#pragma once
// Where start-up hands over to the game settings backup: the crash recovery and the backup
// of the game's registry settings (start-up steps 18 and 19, after the user's SID is known).
// User-interface thread only; errors go to the caller, which ends the start-up there.

namespace quorvel {

class MainWindow;

void RecoverAndBackUpGameSettings(MainWindow& window);

}  // namespace quorvel
