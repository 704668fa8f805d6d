#include "app/discovery.h"

#include <cstdio>

namespace quorvel {

namespace {
// The length of "steam.exe": what is cut from "SteamExe", whatever the name really is.
constexpr size_t kSteamExeNameLength = 9;
}  // namespace

std::string SteamFolderFromSteamExe(const std::string& steamExe) {
  if (steamExe.size() < kSteamExeNameLength) return std::string();
  std::string folder = steamExe.substr(0, steamExe.size() - kSteamExeNameLength);
  for (char& c : folder)
    if (c == '/') c = '\\';
  return folder;
}

std::string AccountFolderFromMatch(const std::string& matchFolder) {
  std::string folder = matchFolder;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  size_t cut = folder.find_last_of('\\');
  if (cut == std::string::npos) return std::string();
  folder.resize(cut + 1);
  return folder;
}

std::string FormatSid(const std::uint8_t (&authority)[6],
                      const std::vector<std::uint32_t>& subAuthorities) {
  std::string out = "S-1-";
  char number[32];
  if (authority[0] == 0 && authority[1] == 0) {
    std::uint32_t value = (std::uint32_t{authority[2]} << 24) |
                          (std::uint32_t{authority[3]} << 16) | (std::uint32_t{authority[4]} << 8) |
                          std::uint32_t{authority[5]};
    std::snprintf(number, sizeof(number), "%lu", static_cast<unsigned long>(value));
  } else {
    std::snprintf(number, sizeof(number), "0x%02x%02x%02x%02x%02x%02x", authority[0], authority[1],
                  authority[2], authority[3], authority[4], authority[5]);
  }
  out += number;
  for (std::uint32_t sub : subAuthorities) {
    std::snprintf(number, sizeof(number), "-%lu", static_cast<unsigned long>(sub));
    out += number;
  }
  return out;
}

}  // namespace quorvel
