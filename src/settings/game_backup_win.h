#pragma once
// Keeping the user's game settings safe: the six registry values of each game saved in the
// program folder at start and written back at exit, the game's "autoexec.cfg" set aside for
// a series and put back after it, and the repair at start-up after a series that never
// ended (crash, power loss, the program killed or left by its exit button mid-series).
// Everything runs on the user-interface thread.
#include "platform/win.h"
#include "settings/game_paths.h"
#include "settings/settings_store.h"
#include "settings/steam_game.h"

namespace quorvel {

// Whether a series has set the game's "autoexec.cfg" aside and it is not back yet, and the
// game of that series. Owned by the main window; false at program start.
struct AutoexecRestorePending {
  bool Pending = false;
  steam::Game SeriesGame = steam::Game::HalfLife2;
};

// Saves the six values of each game's settings key (Half-Life 2, then Lost Coast) into its
// backup file in the program folder. A key that cannot be opened is skipped and its file
// left as it was. Throws AppError "Failed to get data for '<name>'" or "Invalid data type for
// '<name>'" for a value that is missing or not a REG_DWORD; entries written before it stay.
void BackupRegistry(const GamePaths& paths);

// Writes the six values from each existing backup file back into the game's key and deletes
// the file (also when the key cannot be opened). Entries that are missing or not a number
// restore the value's default. Throws AppError "Failed to set data for '<name>'" when the
// key refuses a write.
void RestoreRegistry(const GamePaths& paths);

// At the start of a series: moves the series game's "autoexec.cfg", when there is one, to
// "autoexec_old.cfg" (replacing a left-over) and records the game as pending. Returns false
// only when the user's script could not be moved: it is then still in "autoexec.cfg", the
// state is left as it was, and the caller must not write the series' script over it.
bool SetAsideAutoexec(AutoexecRestorePending& state, const GamePaths& paths, steam::Game game,
                      HWND owner);

// Puts the user's script back in the series game's cfg folder, only while pending: the
// series' "autoexec.cfg" is deleted and "autoexec_old.cfg" moved back, or, when the user had
// no script, the series' one is deleted. Clears the pending state. A failed move leaves the
// user's script in "autoexec_old.cfg", where the next start's Recover finds it. Never throws.
void RestoreAutoexec(AutoexecRestorePending& state, const GamePaths& paths, HWND owner);

// The repair at start-up, before BackupRegistry: puts every left-over "autoexec_old.cfg"
// back as "autoexec.cfg", sets the settings value "NoErrorWarning" to "1" when files show an
// unfinished series, and while it is "1" puts "valve_old.rc" back, restores the registry
// from the backup files and asks whether a script left in the Half-Life 2 cfg folder is to
// be deleted. Throws what the store and RestoreRegistry throw.
void Recover(const GamePaths& paths, SettingsStore& store, HWND owner);

}  // namespace quorvel
