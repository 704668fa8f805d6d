#include "sysinfo/process_rules.h"

#include "platform/text.h"
#include "settings/steam_game.h"

namespace quorvel::process {

std::string JoinProcessNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    joined += name;
    joined += "\r\n";
  }
  return joined;
}

bool SteamInProcessList(const std::vector<std::string>& names) {
  return text::ContainsNoCase(JoinProcessNames(names), steam::kSteamProgram);
}

bool IsGameProcessName(std::string_view exeName) {
  return text::EqualsNoCase(exeName, steam::kGameProgram) ||
         text::EqualsNoCase(exeName, steam::kGameProgram64);
}

std::string BaseName(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string EnvironmentBlock(const std::vector<std::string>& entries) {
  std::string block;
  if (entries.empty()) return block;
  for (const std::string& entry : entries) {
    // An empty entry would end the block early, and a NUL inside one would split it.
    if (entry.empty() || entry.find('\0') != std::string::npos) continue;
    block += entry;
    block += '\0';
  }
  if (block.empty()) block += '\0';
  block += '\0';
  return block;
}

}  // namespace quorvel::process
