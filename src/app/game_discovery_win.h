#pragma once
// Finding Steam, the game and the user at start-up. All run on the user-interface thread
// and never throw: what cannot be found is returned as "".
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
// place not walked yet, so loops end.
std::string FindAccountFolder(const std::string& steamFolder);

// The textual SID of the user running the program; "" when it cannot be determined.
std::string CurrentUserSid();

// The "FileVersion" string of the program file's version resource; "" when it has none.
std::string ReadFileVersion(const std::string& programPath);

}  // namespace quorvel
