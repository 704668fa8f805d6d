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
};

// The game for start-up: the search of FindAccountFolder; when it finds nothing, Half-Life
// 2 in one of Steam's other library folders ("steamapps\libraryfolders.vdf" and each
// library's "steamapps\appmanifest_220.acf"), its account folder being the parent of the
// folder that holds "hl2.exe" there too. Files of Steam that are missing, unreadable,
// larger than 1 MB or not as expected count as naming no library. An empty result soon
// after `stop` becomes true.
GameLocation LocateGame(const std::string& steamFolder, const std::atomic<bool>* stop = nullptr);

// The textual SID of the user running the program; "" when it cannot be determined.
std::string CurrentUserSid();

// The "FileVersion" string of the program file's version resource; "" when it has none.
std::string ReadFileVersion(const std::string& programPath);

}  // namespace quorvel
