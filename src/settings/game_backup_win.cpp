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

// The game's backup file in the account's data folder; "" when the account has none (its
// local application data cannot be reached), so nothing is ever saved or read elsewhere.
std::string BackupFilePath(const GamePaths& paths, Game game) {
  if (paths.DataFolder.empty()) return "";
  return paths.DataFolder + backup::BackupFileName(game);
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

// The game's backup. Returns the file's path when its copy is not safely on disk (an entry
// could not be written or does not read back as written), "" when it is or when the game
// has no settings to save.
std::string BackupGame(const GamePaths& paths, Game game) {
  RegKey key = OpenGameKey(paths, game, KEY_QUERY_VALUE);
  if (!key) return "";
  const std::string file = BackupFilePath(paths, game);
  if (file.empty()) return backup::BackupFileName(game);
  std::vector<std::string> written;
  bool ok = true;
  {
    ProfileFlush flush(file);
    for (const backup::SavedValue& value : backup::kSavedValues) {
      std::uint32_t number = reg::ReadDword(key.Get(), value.Name);
      written.push_back(backup::EntryText(number));
      if (!::WritePrivateProfileStringA(value.Name, backup::kEntryName, written.back().c_str(),
                                        file.c_str()))
        ok = false;
    }
  }
  if (!ok) return file;
  // What counts is what is in the file itself, not what the profile functions may still
  // hold for it in memory.
  std::optional<std::string> bytes = files::ReadAll(file);
  if (!bytes) return file;
  for (size_t i = 0; i < written.size(); ++i)
    if (backup::ProfileEntry(*bytes, backup::kSavedValues[i].Name, backup::kEntryName) !=
        written[i])
      return file;
  // The copy must outlive a power loss as surely as the marker that points to it.
  UniqueHandle handle(::CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle || !::FlushFileBuffers(handle.Get())) return file;
  return "";
}

bool ValueExists(HKEY key, const char* name) {
  return ::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void RestoreGame(const GamePaths& paths, Game game) {
  const std::string file = BackupFilePath(paths, game);
  if (file.empty() || !files::FileExists(file)) return;
  if (RegKey key = OpenGameKey(paths, game, KEY_SET_VALUE | KEY_QUERY_VALUE)) {
    for (const backup::SavedValue& value : backup::kSavedValues) {
      std::optional<std::int32_t> number = backup::ParseEntryNumber(ReadEntry(file, value.Name));
      if (!number) {
        // The file never got the user's value (a backup cut short, a damaged file): what
        // the key holds is closer to it than any default.
        if (ValueExists(key.Get(), value.Name)) continue;
        number = value.Default;
      }
      reg::WriteDword(key.Get(), value.Name, static_cast<std::uint32_t>(*number));
    }
    // The values must be on disk before their only copy is deleted.
    ::RegFlushKey(key.Get());
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

// Whether the folder's "autoexec.cfg" holds exactly a series' own script.
bool HoldsSeriesScript(const std::string& cfgFolder, const std::string& seriesScript) {
  const std::string script = cfgFolder + steam::kAutoexec;
  return !seriesScript.empty() && files::FileExists(script) &&
         files::ReadAll(script) == seriesScript;
}

// A script whose bytes are exactly a series' own was written by a series: never the user's.
void RemoveSeriesScript(const std::string& cfgFolder, const std::string& seriesScript) {
  if (HoldsSeriesScript(cfgFolder, seriesScript))
    files::DeleteQuietly(cfgFolder + steam::kAutoexec);
}

bool AnyBackupExists(const GamePaths& paths) {
  for (Game game : kGames) {
    const std::string file = BackupFilePath(paths, game);
    if (!file.empty() && files::FileExists(file)) return true;
  }
  return false;
}

// An earlier version kept the backups in the program folder, shared by every account, and
// its restore mark in the machine's key. Its copies become the account's own when the account
// has none, so that an unfinished series of that version comes back as it would have there;
// they leave the program folder where this account may delete them.
void AdoptEarlierBackups(const GamePaths& paths) {
  if (paths.DataFolder.empty() || paths.ProgramFolder.empty()) return;
  for (Game game : kGames) {
    const std::string earlier = paths.ProgramFolder + backup::BackupFileName(game);
    if (!files::FileExists(earlier)) continue;
    if (::CopyFileA(earlier.c_str(), BackupFilePath(paths, game).c_str(), FALSE))
      files::DeleteQuietly(earlier);
  }
}

// The left-over marker is kept twice: in the machine's key, where it has always been, and in
// the account's own key, where the uninstaller run by that account finds it.
void WriteLeftoverMarker(SettingsStore& store, SettingsStore& userStore, const char* text) {
  store.WriteString(backup::kNoErrorWarningValue, text);
  userStore.WriteString(backup::kNoErrorWarningValue, text);
}

}  // namespace

std::vector<std::string> BackupRegistry(const GamePaths& paths) {
  std::vector<std::string> unsafe;
  for (Game game : kGames) {
    std::string file = BackupGame(paths, game);
    if (!file.empty()) unsafe.push_back(file);
  }
  return unsafe;
}

void RestoreRegistry(const GamePaths& paths) {
  RestoreGame(paths, Game::HalfLife2);
  CurrentSeams().Checkpoint("registry restore: Half-Life 2 back");
  RestoreGame(paths, Game::LostCoast);
}

bool RestorePending(SettingsStore& userStore) {
  return userStore.ReadString(backup::kRestorePendingValue) == backup::kMarkerSet;
}

void BackupAtStart(const GamePaths& paths, SettingsStore& userStore) {
  if (RestorePending(userStore)) return;
  BackupRegistry(paths);
}

std::optional<std::string> SecureBackupForSeries(const GamePaths& paths, SettingsStore& store,
                                                 SettingsStore& userStore, Game game) {
  const std::string& folder = paths.CfgFolder(game);
  if (files::FileExists(folder + steam::kAutoexec) &&
      files::FileExists(folder + steam::kAutoexecOld))
    return "The benchmark did not start: the folder " + folder +
           " holds both autoexec.cfg and autoexec_old.cfg. For a benchmark your autoexec.cfg "
           "is moved to autoexec_old.cfg, which would replace the file that is there. Please "
           "keep the script you want as autoexec.cfg, move or delete autoexec_old.cfg, and "
           "press RUN again.";
  // From here on the game's files may hold this account's series' state.
  store.WriteString(backup::kSeriesUserValue, paths.UserSid);
  store.Flush();
  // The files still hold the user's values from before an earlier series: keep them.
  if (RestorePending(userStore)) return std::nullopt;
  std::vector<std::string> unsafe;
  try {
    unsafe = BackupRegistry(paths);
  } catch (const std::exception& error) {
    return std::string("The benchmark did not start: your game settings could not be read (") +
           error.what() +
           "), so they could not be saved to be put back afterwards. Please start the game "
           "once and leave it through its menu, so that it stores its settings, then press RUN "
           "again.";
  }
  if (!unsafe.empty())
    return "The benchmark did not start: your game settings could not be saved to " +
           unsafe.front() +
           ", so they could not be put back afterwards. Please make sure that this file is not "
           "read-only or open in another program and that its folder can be written, then "
           "press RUN again.";
  userStore.WriteString(backup::kRestorePendingValue, backup::kMarkerSet);
  userStore.Flush();
  return std::nullopt;
}

void MarkSeriesEnded(SettingsStore& store, SettingsStore& userStore) {
  WriteLeftoverMarker(store, userStore, backup::kMarkerClear);
  store.WriteString(backup::kSeriesUserValue, "");
}

void RestoreGameSettings(const GamePaths& paths, SettingsStore& userStore) {
  if (!RestorePending(userStore)) {
    // No series changed the keys since the backup: they hold the user's values, newer than
    // the copy if the user has played since. Only the copies go.
    for (Game game : kGames)
      if (std::string file = BackupFilePath(paths, game); !file.empty()) files::DeleteQuietly(file);
    return;
  }
  RestoreRegistry(paths);
  CurrentSeams().Checkpoint("registry restore: both back");
  userStore.WriteString(backup::kRestorePendingValue, backup::kMarkerClear);
}

bool SetAsideAutoexec(AutoexecRestorePending& state, const GamePaths& paths, Game game,
                      HWND owner) {
  const std::string& folder = paths.CfgFolder(game);
  const std::string script = folder + steam::kAutoexec;
  if (files::FileExists(script)) {
    // A script set aside earlier and never put back is the user's as much as this one.
    if (files::FileExists(folder + steam::kAutoexecOld)) return false;
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

void Recover(const GamePaths& paths, SettingsStore& store, SettingsStore& userStore, HWND owner,
             const std::string& seriesScript, bool gameRunning) {
  // A series changes only its own account's game keys, and marks that before it starts: the
  // account's mark alone says whether its copies must go back. A game still running from the
  // last series stores its screen size when it quits, over whatever is put back now: the
  // restore then waits for the exit button or the next start.
  auto restoreOwed = [&] {
    if (gameRunning) {
      userStore.WriteString(backup::kRestorePendingValue, backup::kMarkerSet);
      return;
    }
    RestoreRegistry(paths);
    userStore.WriteString(backup::kRestorePendingValue, backup::kMarkerClear);
  };
  // The cfg folders are shared by every account; what another account's series left there
  // is that account's to repair (its game may even still be running).
  const std::string seriesUser = store.ReadString(backup::kSeriesUserValue);
  if (!seriesUser.empty() && seriesUser != paths.UserSid) {
    if (RestorePending(userStore)) restoreOwed();
    return;
  }

  const std::string& hl2 = paths.Hl2CfgFolder;
  const std::string& lostCoast = paths.LostCoastCfgFolder;
  auto leftovers = [&] {
    return files::FileExists(hl2 + steam::kValveRcOld) ||
           files::FileExists(lostCoast + steam::kValveRcOld) ||
           files::FileExists(hl2 + steam::kAutoexec) ||
           files::FileExists(lostCoast + steam::kAutoexec);
  };
  // Look first, then touch: the marker must see the state the last run left behind. A
  // left-over "autoexec_old.cfg" counts too, since only an unfinished series leaves one.
  const bool unfinished = leftovers() || files::FileExists(hl2 + steam::kAutoexecOld) ||
                          files::FileExists(lostCoast + steam::kAutoexecOld);
  // Proof that a series never ended, whichever version ran it and whether or not its mark
  // survived: its own script still in place, or the game's "valve.rc" still set aside. A
  // user's own "autoexec.cfg" proves nothing.
  const bool seriesLeftState = HoldsSeriesScript(hl2, seriesScript) ||
                               HoldsSeriesScript(lostCoast, seriesScript) ||
                               files::FileExists(hl2 + steam::kValveRcOld) ||
                               files::FileExists(lostCoast + steam::kValveRcOld);
  // The user's own scripts go back before anything else, whatever the marker says:
  // otherwise the game keeps running the series' script and the next series would
  // overwrite the only copy of the user's. A script that is exactly a series' own is ours.
  for (const std::string* folder : {&hl2, &lostCoast}) {
    PutBackLeftoverScript(*folder, owner);
    RemoveSeriesScript(*folder, seriesScript);
  }
  if (unfinished) WriteLeftoverMarker(store, userStore, backup::kMarkerSet);
  const bool earlierPending = store.ReadString(backup::kRestorePendingValue) == backup::kMarkerSet;
  if ((earlierPending || seriesLeftState) && !AnyBackupExists(paths)) AdoptEarlierBackups(paths);
  if (RestorePending(userStore) || ((seriesLeftState || earlierPending) && AnyBackupExists(paths)))
    restoreOwed();
  // The earlier version's mark has served once its values are back.
  if (earlierPending && !gameRunning)
    store.WriteString(backup::kRestorePendingValue, backup::kMarkerClear);
  if (store.ReadString(backup::kNoErrorWarningValue) != backup::kMarkerSet) return;

  for (const std::string* folder : {&hl2, &lostCoast}) {
    const std::string savedRc = *folder + steam::kValveRcOld;
    if (!files::FileExists(savedRc)) continue;
    files::DeleteQuietly(*folder + steam::kValveRc);
    files::ShellMove(owner, savedRc, *folder + steam::kValveRc);
  }

  const std::string hl2Script = hl2 + steam::kAutoexec;
  if (files::FileExists(hl2Script)) {
    if (CurrentSeams().Confirm(owner, backup::kLeftoverScriptQuestion)) {
      files::DeleteQuietly(hl2Script);
      MarkSeriesEnded(store, userStore);
    }
  } else if (!leftovers()) {
    // Nothing of a series is left: the next start has nothing to repair.
    MarkSeriesEnded(store, userStore);
  }
}

}  // namespace quorvel
