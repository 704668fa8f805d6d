#pragma once
// Writes a series' game configuration into the series game: its settings key under
// HKEY_USERS and its cfg folder. User-interface thread only.
#include "settings/game_paths.h"
#include "settings/steam_game.h"

namespace quorvel::bench {

// Writes the values of RunRegistryValues(afIndex, aaIndex) as REG_DWORD into the game's
// settings key (GamePaths::GameSettingsKey under HKEY_USERS), which is opened, never created.
// Returns false, having written nothing, when the key cannot be opened. A refused write
// throws AppError "Failed to set data for '<name>'".
bool WriteRunRegistry(const GamePaths& paths, steam::Game game, int afIndex, int aaIndex);

// The same for DetailRegistryValues(hdrIndex); the key is opened afresh.
bool WriteDetailRegistry(const GamePaths& paths, steam::Game game, int hdrIndex);

// Creates or overwrites "autoexec.cfg" in the game's cfg folder with AutoexecText().
// Returns false when the file cannot be written (missing folder, no access); the series goes
// on without it.
bool WriteAutoexec(const GamePaths& paths, steam::Game game);

}  // namespace quorvel::bench
