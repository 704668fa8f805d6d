#pragma once
// The folders and the user identity through which the program reaches Steam and the game.
// Derived once at start-up, read-only afterwards. Every folder text ends with a backslash
// (or is a bare relative text when nothing was found).
#include <string>

#include "settings/steam_game.h"

namespace quorvel {

struct GamePaths {
  std::string ProgramFolder;
  std::string SteamFolder;
  std::string AccountFolder;
  std::string Hl2GameFolder;
  std::string Hl2CfgFolder;
  std::string LostCoastGameFolder;
  std::string LostCoastCfgFolder;
  std::string UserSid;
  // The account's own folder for the backups of its game settings, ending with "\"; empty
  // when it cannot be reached (nothing is then backed up or restored).
  std::string DataFolder;

  const std::string& GameFolder(steam::Game game) const {
    return game == steam::Game::LostCoast ? LostCoastGameFolder : Hl2GameFolder;
  }
  const std::string& CfgFolder(steam::Game game) const {
    return game == steam::Game::LostCoast ? LostCoastCfgFolder : Hl2CfgFolder;
  }
  // The game's settings key below HKEY_USERS: UserSid + "\Software\Valve\Source\...\Settings".
  std::string GameSettingsKey(steam::Game game) const {
    return UserSid + steam::SettingsKeySuffix(game);
  }
};

// Lost Coast's game and cfg folders moved to "half-life 2\lostcoast\" below the account
// folder, where Steam of today keeps them.
void UseLostCoastInsideHalfLife2(GamePaths& paths);

// The game folders where Steam's records place them, each ending with a backslash, with
// their cfg folders; an empty text keeps the folder as it is.
void UseRecordedGameFolders(GamePaths& paths, const std::string& hl2GameFolder,
                            const std::string& lostCoastGameFolder);

// Fills the game folders from the account folder by plain concatenation.
GamePaths DeriveGamePaths(const std::string& programFolder, const std::string& steamFolder,
                          const std::string& accountFolder, const std::string& userSid);

}  // namespace quorvel
