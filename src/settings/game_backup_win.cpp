#include "settings/game_backup_win.h"

#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/seams_win.h"
#include "settings/game_backup.h"

namespace quorvel {

namespace {

using steam::Game;

constexpr Game kGames[] = {Game::HalfLife2, Game::LostCoast};

std::string BackupFilePath(const GamePaths& paths, Game game) {
  return paths.ProgramFolder + backup::BackupFileName(game);
}

// The game's settings key, or none when it cannot be opened. Without a user SID the key
// cannot be named at all.
RegKey OpenGameKey(const GamePaths& paths, Game game, REGSAM access) {
  if (paths.UserSid.empty()) return RegKey();
  return reg::Open(HKEY_USERS, paths.GameSettingsKey(game), access);
}

// Writes the cached profile to disk, so that a process killed right after the backup still
// leaves complete files behind.
class ProfileFlush {
 public:
  explicit ProfileFlush(const std::string& file) : file_(file) {}
  ~ProfileFlush() { ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str()); }
  ProfileFlush(const ProfileFlush&) = delete;
  ProfileFlush& operator=(const ProfileFlush&) = delete;

 private:
  const std::string& file_;
};

// The "Value" entry of `section`, whatever its length; "" when missing.
std::string ReadEntry(const std::string& file, const char* section) {
  std::vector<char> buffer(64);
  while (true) {
    DWORD got = ::GetPrivateProfileStringA(section, backup::kEntryName, "", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
    // A result that fills the buffer may have been cut short: ask again with more room.
    // No number is anywhere near this long, so past the cap the text is simply not one.
    if (got + 1 < buffer.size()) return std::string(buffer.data(), got);
    if (buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 4);
  }
}

void BackupGame(const GamePaths& paths, Game game) {
  RegKey key = OpenGameKey(paths, game, KEY_QUERY_VALUE);
  if (!key) return;
  const std::string file = BackupFilePath(paths, game);
  ProfileFlush flush(file);
  for (const backup::SavedValue& value : backup::kSavedValues) {
    std::uint32_t number = reg::ReadDword(key.Get(), value.Name);
    ::WritePrivateProfileStringA(value.Name, backup::kEntryName, backup::EntryText(number).c_str(),
                                 file.c_str());
  }
}

void RestoreGame(const GamePaths& paths, Game game) {
  const std::string file = BackupFilePath(paths, game);
  if (!files::FileExists(file)) return;
  if (RegKey key = OpenGameKey(paths, game, KEY_SET_VALUE)) {
    for (const backup::SavedValue& value : backup::kSavedValues) {
      std::int32_t number = backup::ParseEntry(ReadEntry(file, value.Name), value.Default);
      reg::WriteDword(key.Get(), value.Name, static_cast<std::uint32_t>(number));
    }
  }
  files::DeleteQuietly(file);
}

// A script that a series set aside and never got back: the user's own. It goes back in
// place of whatever "autoexec.cfg" the series left. When the move fails, the user's script
// stays where it is, untouched, for the next start to try again.
void PutBackLeftoverScript(const std::string& cfgFolder, HWND owner) {
  const std::string saved = cfgFolder + steam::kAutoexecOld;
  if (!files::FileExists(saved)) return;
  files::ShellMove(owner, saved, cfgFolder + steam::kAutoexec);
}

}  // namespace

void BackupRegistry(const GamePaths& paths) {
  for (Game game : kGames) BackupGame(paths, game);
}

void RestoreRegistry(const GamePaths& paths) {
  for (Game game : kGames) RestoreGame(paths, game);
}

bool SetAsideAutoexec(AutoexecRestorePending& state, const GamePaths& paths, Game game,
                      HWND owner) {
  const std::string& folder = paths.CfgFolder(game);
  const std::string script = folder + steam::kAutoexec;
  if (files::FileExists(script)) {
    files::ShellMove(owner, script, folder + steam::kAutoexecOld);
    // The shell may report success for a move it could not make; what counts is whether
    // the user's script is out of the way.
    if (files::FileExists(script)) return false;
  }
  state.Pending = true;
  state.SeriesGame = game;
  return true;
}

void RestoreAutoexec(AutoexecRestorePending& state, const GamePaths& paths, HWND owner) {
  if (!state.Pending) return;
  const std::string& folder = paths.CfgFolder(state.SeriesGame);
  const std::string script = folder + steam::kAutoexec;
  const std::string saved = folder + steam::kAutoexecOld;
  if (files::FileExists(saved)) {
    files::DeleteQuietly(script);
    // Gives a game that is just ending the moment to let go of its files.
    ::Sleep(250);
    files::ShellMove(owner, saved, script);
  } else {
    files::DeleteQuietly(script);
  }
  state.Pending = false;
}

void Recover(const GamePaths& paths, SettingsStore& store, HWND owner) {
  const std::string& hl2 = paths.Hl2CfgFolder;
  const std::string& lostCoast = paths.LostCoastCfgFolder;
  // Look first, then touch: the marker must see the state the last run left behind. A
  // left-over "autoexec_old.cfg" counts too, since only an unfinished series leaves one.
  const bool unfinished = files::FileExists(hl2 + steam::kValveRcOld) ||
                          files::FileExists(lostCoast + steam::kValveRcOld) ||
                          files::FileExists(hl2 + steam::kAutoexec) ||
                          files::FileExists(lostCoast + steam::kAutoexec) ||
                          files::FileExists(hl2 + steam::kAutoexecOld) ||
                          files::FileExists(lostCoast + steam::kAutoexecOld);
  // The user's own scripts go back before anything else, whatever the marker says:
  // otherwise the game keeps running the series' script and the next series would
  // overwrite the only copy of the user's.
  PutBackLeftoverScript(hl2, owner);
  PutBackLeftoverScript(lostCoast, owner);
  if (unfinished) store.WriteString(backup::kNoErrorWarningValue, backup::kMarkerSet);
  if (store.ReadString(backup::kNoErrorWarningValue) != backup::kMarkerSet) return;

  for (const std::string* folder : {&hl2, &lostCoast}) {
    const std::string savedRc = *folder + steam::kValveRcOld;
    if (!files::FileExists(savedRc)) continue;
    files::DeleteQuietly(*folder + steam::kValveRc);
    files::ShellMove(owner, savedRc, *folder + steam::kValveRc);
  }
  RestoreRegistry(paths);

  const std::string hl2Script = hl2 + steam::kAutoexec;
  if (files::FileExists(hl2Script) &&
      CurrentSeams().Confirm(owner, backup::kLeftoverScriptQuestion)) {
    files::DeleteQuietly(hl2Script);
    store.WriteString(backup::kNoErrorWarningValue, backup::kMarkerClear);
  }
}

}  // namespace quorvel
