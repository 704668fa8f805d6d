#pragma once
// Finding Steam, the game and the user at start-up. They never throw: what cannot be
// found is returned as "". The game search may run on any thread (it touches no window
// and no setting); the others run on the user-interface thread.
#include <atomic>
#include <string>

namespace quorvel {

// True when HKEY_CURRENT_USER\Software\Valve\Steam exists.
bool SteamKeyExists();

// The Steam folder from "SteamExe"; "" when the value (or the key) is missing or is not a
// text value (REG_SZ or REG_EXPAND_SZ, taken as it stands).
std::string ReadSteamFolder();

// Searches `steamFolder` and all its subfolders for "hl2.exe" (files before subfolders,
// depth first, last match wins) and returns the account folder of the last match; "" when
// there is none or `steamFolder` is "". `steamFolder` is taken as a folder even without its
// trailing "\". Folders that cannot be listed, and those whose path is longer than the "A"
// calls take (MAX_PATH), are skipped; a junction or symbolic link is followed only to a
// place not walked yet, so loops end. Returns "" soon after `stop` becomes true.
std::string FindAccountFolder(const std::string& steamFolder,
                              const std::atomic<bool>* stop = nullptr);

// Where start-up finds the game.
struct GameLocation {
  // The account folder ("" when the game was not found).
  std::string AccountFolder;
  // Lost Coast has no folder of its own beside Half-Life 2 but is the "lostcoast" game
  // folder inside it (Steam's layout of today).
  bool LostCoastInsideHalfLife2 = false;
  // The game folders as Steam's own records place them, each ending with "\"; "" where
  // they are the ones derived from the account folder.
  std::string Hl2GameFolder;
  std::string LostCoastGameFolder;
};

// Whether `folder` (ending with "\") holds the game's program, under either of its names.
bool HoldsGameProgram(const std::string& folder);

// The game for start-up. When Steam keeps its library list ("steamapps\libraryfolders.vdf"
// in the Steam folder), its records decide: the Steam folder and every listed library are
// asked in turn for the app manifest of Half-Life 2 ("appmanifest_220.acf"; Lost Coast's
// "appmanifest_340.acf" when Half-Life 2 has none), and the game is the manifest's
// "installdir" below "steamapps\common\", whatever other "hl2.exe" files lie anywhere. The
// account folder is the parent of that folder. No library naming the game means it is not
// installed; a manifest naming a folder that does not hold the game, and a list that is not
// one, leave it to the search of FindAccountFolder, which is also all there is without a
// list (Steam of 2004-08). Files of Steam that are missing, unreadable, larger than 1 MB or
// not as expected count as naming nothing. An empty result soon after `stop` becomes true.
GameLocation LocateGame(const std::string& steamFolder, const std::atomic<bool>* stop = nullptr);

// The textual SID of the user running the program; "" when it cannot be determined.
std::string CurrentUserSid();

// The "FileVersion" string of the program file's version resource; "" when it has none.
std::string ReadFileVersion(const std::string& programPath);

}  // namespace quorvel
