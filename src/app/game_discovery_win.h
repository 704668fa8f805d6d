#pragma once
// Finding Steam, the game and the user at start-up. All run on the user-interface thread
// and never throw: what cannot be found is returned as "".
#include <string>

namespace quorvel {

// True when HKEY_CURRENT_USER\Software\Valve\Steam exists.
bool SteamKeyExists();

// The Steam folder from "SteamExe"; "" when the value (or the key) is missing.
std::string ReadSteamFolder();

// Searches `steamFolder` and all its subfolders for "hl2.exe" (files before subfolders,
// depth first, last match wins) and returns the account folder of the last match; "" when
// there is none or `steamFolder` is "".
std::string FindAccountFolder(const std::string& steamFolder);

// The textual SID of the user running the program; "" when it cannot be determined.
std::string CurrentUserSid();

// The "FileVersion" string of the program file's version resource; "" when it has none.
std::string ReadFileVersion(const std::string& programPath);

}  // namespace quorvel
