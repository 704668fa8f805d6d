#pragma once
// Start-up's rules for finding Steam, the game and the user, as plain text functions.
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// The Steam folder from the "SteamExe" value: "/" becomes "\" and the last nine characters
// (the length of "steam.exe") are removed, whatever they are. Shorter texts give "".
std::string SteamFolderFromSteamExe(const std::string& steamExe);

// The account folder from the folder holding a found "hl2.exe" (with its trailing "\"):
// the trailing "\" and the last folder name are removed. "" when no "\" remains.
std::string AccountFolderFromMatch(const std::string& matchFolder);

// The textual form of a SID: "S-1-<authority>-<sub>-<sub>...". The authority is decimal when
// its two most significant bytes are zero, otherwise "0x" and twelve lower-case hex digits.
std::string FormatSid(const std::uint8_t (&authority)[6],
                      const std::vector<std::uint32_t>& subAuthorities);

}  // namespace quorvel
