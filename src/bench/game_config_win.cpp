#include "bench/game_config_win.h"

#include <vector>

#include "bench/game_config.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"

namespace quorvel::bench {

namespace {
bool WriteValues(const GamePaths& paths, steam::Game game, const std::vector<GameValue>& values) {
  RegKey key = reg::Open(HKEY_USERS, paths.GameSettingsKey(game), KEY_SET_VALUE);
  if (!key) return false;
  for (const GameValue& value : values) reg::WriteDword(key.Get(), value.Name, value.Number);
  return true;
}
}  // namespace

bool WriteRunRegistry(const GamePaths& paths, steam::Game game, int afIndex, int aaIndex) {
  return WriteValues(paths, game, RunRegistryValues(afIndex, aaIndex));
}

bool WriteDetailRegistry(const GamePaths& paths, steam::Game game, int hdrIndex) {
  return WriteValues(paths, game, DetailRegistryValues(hdrIndex));
}

bool WriteAutoexec(const GamePaths& paths, steam::Game game) {
  return files::WriteAll(paths.CfgFolder(game) + steam::kAutoexec, AutoexecText());
}

}  // namespace quorvel::bench
