#pragma once
// Keeping the user's game settings safe: the six registry values of each game saved in the
// account's own data folder (GamePaths::DataFolder) at start and written back at exit, the game's
// "autoexec.cfg" set aside for a series and put back after it, and the repair at start-up after a
// series that never ended (crash, power loss, the program killed or left by its exit button
// mid-series). The value "RestorePending" of the account's own key (`userStore`, HKEY_CURRENT_USER)
// is "1" from before a series first changes a game until the account's values are back; while it is
// set the backup files are never written over, and every start of that account that finds it
// (after a system close, a log-off, a kill) puts the values back. The game's settings, the
// backups and that mark are per account, so two accounts on one PC never touch each other's.
// `store` is the machine's settings key. Everything runs on the user-interface thread.
#include <optional>
#include <string>
#include <vector>

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
// backup file in the account's data folder. A key that cannot be opened is skipped and its file
// left as it was. Throws AppError "Failed to get data for '<name>'" or "Invalid data type for
// '<name>'" for a value that is missing or not a REG_DWORD; entries written before it stay.
// Returns the backup files that could not be written completely (read back as written);
// empty when every game with settings has its copy safely on disk.
std::vector<std::string> BackupRegistry(const GamePaths& paths);

// Writes the six values from each existing backup file back into the game's key and deletes
// the file (also when the key cannot be opened). An entry that is missing or not a number
// never replaces a value the key holds; only a value missing from the key gets the default.
// Throws AppError "Failed to set data for '<name>'" when the key refuses a write.
void RestoreRegistry(const GamePaths& paths);

// Whether the settings value "RestorePending" says the backup files hold the user's values
// and the keys may hold a series' ones.
bool RestorePending(SettingsStore& userStore);

// Start-up, after Recover: the backup of the games' values, unless the files still hold the
// user's values that a series has not yet had put back. Throws what BackupRegistry throws.
void BackupAtStart(const GamePaths& paths, SettingsStore& userStore);

// Before a series touches `game`: the reason it must not start, or nullopt. Without a
// pending restore the backup is made afresh and must read back complete; "RestorePending"
// then becomes "1" (on disk) before the caller changes anything. With a pending restore the
// files already hold the user's values and are kept. Either way "SeriesUser" then names this
// account. Also refuses when the game's cfg folder holds both "autoexec.cfg" and
// "autoexec_old.cfg" (setting the script aside would replace one of the user's scripts).
// Throws what the stores throw.
std::optional<std::string> SecureBackupForSeries(const GamePaths& paths, SettingsStore& store,
                                                 SettingsStore& userStore, steam::Game game);

// A series ended cleanly: "NoErrorWarning" back to "0" (machine and account) and no account's
// series left anything in the game's files. Throws what the stores throw.
void MarkSeriesEnded(SettingsStore& store, SettingsStore& userStore);

// The exit button's restore. With a pending restore: RestoreRegistry, then "RestorePending"
// back to "0". Without one (no series changed the keys) only the backup files are deleted.
// Throws what RestoreRegistry and the store throw; the marker then stays for the next start.
void RestoreGameSettings(const GamePaths& paths, SettingsStore& userStore);

// At the start of a series: moves the series game's "autoexec.cfg", when there is one, to
// "autoexec_old.cfg" and records the game as pending. Returns false when the user's script
// could not be moved, or when an "autoexec_old.cfg" is already there beside it (it is never
// replaced): the script is then still in "autoexec.cfg", the state is left as it was, and the
// caller must not write the series' script over it.
bool SetAsideAutoexec(AutoexecRestorePending& state, const GamePaths& paths, steam::Game game,
                      HWND owner);

// Puts the user's script back in the series game's cfg folder, only while pending: the
// series' "autoexec.cfg" is deleted and "autoexec_old.cfg" moved back, or, when the user had
// no script, the series' one is deleted. Clears the pending state. A failed move leaves the
// user's script in "autoexec_old.cfg", where the next start's Recover finds it. Never throws.
void RestoreAutoexec(AutoexecRestorePending& state, const GamePaths& paths, HWND owner);

// The repair at start-up, before BackupAtStart. With the account's pending restore, writes
// its backup files back into its keys. Unless "SeriesUser" names another account (whose
// series' files only that account's start repairs), also: puts every left-over
// "autoexec_old.cfg" back as "autoexec.cfg", deletes an "autoexec.cfg" whose bytes are
// exactly `seriesScript` (a series' own, in either game), sets "NoErrorWarning" to "1" when
// files show an unfinished series, and restores from existing backup files also without the
// account's mark when the files prove a series never ended (its own script or a
// "valve_old.rc", as a crashed earlier version leaves them) or the machine's key holds an
// earlier version's "RestorePending"; backups that an earlier version left in the program
// folder serve when the account has none of its own. A restore owed while
// `gameRunning` (a game that would store its own values over them when it quits) waits for
// the exit button or the next start, marked as pending. While "NoErrorWarning" is "1" puts
// "valve_old.rc" back and asks whether a script left in the Half-Life 2 cfg folder is to be
// deleted; the value goes back to "0" when nothing is left over. Throws what the stores and
// RestoreRegistry throw.
void Recover(const GamePaths& paths, SettingsStore& store, SettingsStore& userStore, HWND owner,
             const std::string& seriesScript, bool gameRunning);

}  // namespace quorvel
