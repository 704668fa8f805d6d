#pragma once
// A private world for the game settings tests: a folder tree below the temp folder with the
// program folder, the Windows account's data folder and a Steam account holding both games'
// cfg folders, and the games' settings keys under HKEY_USERS\<sid>. Both are created by the
// test and removed after it. A second Windows account on the same PC shares the Steam folders
// and has a SID and a data folder of its own.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"
#include "settings/game_backup.h"
#include "settings/game_paths.h"
#include "settings/settings_store.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"

namespace quorvel::testing {

using Values = std::array<std::uint32_t, 6>;

inline void PutFile(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(files::WriteAll(path, bytes)) << path;
}

// The file's bytes; nullopt when it does not exist.
inline std::optional<std::string> FileBytes(const std::string& path) {
  if (!files::FileExists(path)) return std::nullopt;
  return files::ReadAll(path);
}

// Settings key stand-in: the values in memory, as the store interface promises them.
class MemoryStore : public SettingsStore {
 public:
  bool KeyExists() override { return true; }
  std::string ReadString(const std::string& name) override {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  void WriteString(const std::string& name, const std::string& text) override {
    values[name] = text;
    writes.push_back(name + "=" + text);
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

// Program folder, Steam account with both games' cfg folders, and a SID of its own whose
// keys under HKEY_USERS are removed at the end.
class GameWorld {
 public:
  explicit GameWorld(std::string sid = NextSid()) {
    std::string root = folder_.Path();
    files::ForceDirectories(root + "program\\");
    std::string account = root + "steam\\steamapps\\player\\";
    paths = DeriveGamePaths(root + "program\\", root + "steam\\", account, sid);
    paths.DataFolder = root + "data\\";
    files::ForceDirectories(paths.DataFolder);
    files::ForceDirectories(paths.Hl2CfgFolder);
    files::ForceDirectories(paths.LostCoastCfgFolder);
    sid_ = sid;
    ::RegDeleteTreeA(HKEY_USERS, sid_.c_str());
  }
  ~GameWorld() {
    if (!sid_.empty()) ::RegDeleteTreeA(HKEY_USERS, sid_.c_str());
    for (const std::string& sid : otherSids_) ::RegDeleteTreeA(HKEY_USERS, sid.c_str());
  }

  // Another Windows account of the same PC: the same Steam and game folders, its own SID
  // (keys removed at the end) and data folder.
  GamePaths OtherAccount() {
    GamePaths other = paths;
    other.UserSid = NextSid();
    other.DataFolder = folder_.Path() + "data " + other.UserSid + "\\";
    files::ForceDirectories(other.DataFolder);
    ::RegDeleteTreeA(HKEY_USERS, other.UserSid.c_str());
    otherSids_.push_back(other.UserSid);
    return other;
  }
  GameWorld(const GameWorld&) = delete;
  GameWorld& operator=(const GameWorld&) = delete;

  static std::string NextSid() {
    return text::Format("S-1-5-21-4711-%lu-0-%d", ::GetCurrentProcessId(), NextNumber());
  }
  static int NextNumber() {
    static int counter = 0;
    return ++counter;
  }

  std::string Cfg(steam::Game game, const char* file) const { return paths.CfgFolder(game) + file; }
  std::string Backup(steam::Game game) const { return Backup(paths, game); }
  static std::string Backup(const GamePaths& account, steam::Game game) {
    return account.DataFolder + backup::BackupFileName(game);
  }

  // Creates the game's key (when missing) and stores the six values as REG_DWORD.
  void SetValues(steam::Game game, const Values& values) const { SetValues(paths, game, values); }
  static void SetValues(const GamePaths& paths, steam::Game game, const Values& values) {
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_USERS, paths.GameSettingsKey(game).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegKey key(k);
    for (size_t i = 0; i < values.size(); ++i) {
      DWORD v = values[i];
      ::RegSetValueExA(k, backup::kSavedValues[i].Name, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&v), sizeof(v));
    }
  }

  // The six values as REG_DWORD; nullopt for one that is missing or of another type.
  std::array<std::optional<std::uint32_t>, 6> ReadValues(steam::Game game) const {
    return ReadValues(paths, game);
  }
  static std::array<std::optional<std::uint32_t>, 6> ReadValues(const GamePaths& paths,
                                                                steam::Game game) {
    std::array<std::optional<std::uint32_t>, 6> out;
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_USERS, paths.GameSettingsKey(game).c_str(), 0, KEY_READ, &k) !=
        ERROR_SUCCESS)
      return out;
    RegKey key(k);
    for (size_t i = 0; i < out.size(); ++i) {
      DWORD type = 0, v = 0, size = sizeof(v);
      if (::RegQueryValueExA(k, backup::kSavedValues[i].Name, nullptr, &type,
                             reinterpret_cast<BYTE*>(&v), &size) == ERROR_SUCCESS &&
          type == REG_DWORD)
        out[i] = v;
    }
    return out;
  }

  bool KeyExists(steam::Game game) const {
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_USERS, paths.GameSettingsKey(game).c_str(), 0, KEY_READ, &k) !=
        ERROR_SUCCESS)
      return false;
    ::RegCloseKey(k);
    return true;
  }

  GamePaths paths;

 private:
  TempFolder folder_{text::Format("quorvel_backup_%lu_%d", ::GetCurrentProcessId(), NextNumber())};
  std::string sid_;
  std::vector<std::string> otherSids_;
};

inline std::array<std::optional<std::uint32_t>, 6> Expect(const Values& v) {
  std::array<std::optional<std::uint32_t>, 6> out;
  for (size_t i = 0; i < v.size(); ++i) out[i] = v[i];
  return out;
}

}  // namespace quorvel::testing
