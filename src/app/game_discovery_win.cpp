#include "app/game_discovery_win.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "app/discovery.h"
#include "app/steam_library.h"
#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/steam_game.h"

namespace quorvel {

bool SteamKeyExists() { return reg::KeyExists(HKEY_CURRENT_USER, steam::kSteamKey); }

std::string ReadSteamFolder() {
  RegKey key = reg::Open(HKEY_CURRENT_USER, steam::kSteamKey);
  if (!key) return std::string();
  try {
    std::optional<std::string> steamExe = reg::ReadString(key.Get(), steam::kSteamExeValue);
    return steamExe ? SteamFolderFromSteamExe(*steamExe) : std::string();
  } catch (const AppError&) {
    // A "SteamExe" that is not text names no program: Steam counts as not found, so the
    // game search is skipped instead of ending the start-up.
    return std::string();
  }
}

namespace {

// Case-insensitive match of a listed name against "hl2.exe"; plain ASCII is enough
// for a name made of ASCII letters, digits and a dot.
bool IsGameProgram(const char* name) {
  const char* want = steam::kGameProgram;
  for (; *want; ++name, ++want) {
    char c = *name;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *want) return false;
  }
  return *name == '\0';
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Where a folder really lies, upper-cased with a trailing "\" ("" when it cannot be
// opened), so that links are compared by what they point to.
std::string FinalFolder(const std::string& folder) {
  UniqueHandle handle(::CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::string();
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD length = ::GetFinalPathNameByHandleA(handle.Get(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), 0);
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = ::GetFinalPathNameByHandleA(handle.Get(), buffer.data(),
                                         static_cast<DWORD>(buffer.size()), 0);
  }
  if (length == 0 || length >= buffer.size()) return std::string();
  std::string path(buffer.data(), length);
  if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
  return text::WithBackslash(text::Upper(path));
}

// The depth-first walk. One listing per folder: files are checked while the folder is
// listed, its subfolders are remembered and visited once the listing is closed, so no
// search handle stays open during the descent. The listing asks for the basic entry (no
// short names) in large batches. The path text and the per-level name lists are reused
// buffers; a listed file costs a name comparison only.
class GameSearch {
 public:
  explicit GameSearch(const std::atomic<bool>* stop) : stop_(stop) {}

  // The folder holding the last "hl2.exe" in visiting order, with its trailing ""; "" when
  // there is none or the search was told to stop.
  std::string Run(const std::string& steamFolder) {
    path_ = text::WithBackslash(steamFolder);
    std::string root = FinalFolder(path_);
    walkedRoots_.push_back(root.empty() ? text::Upper(path_) : root);
    Walk(0);
    return Stopped() ? std::string() : match_;
  }

 private:
  bool Stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

  void Walk(size_t depth) {
    const size_t length = path_.size();
    // The "A" functions take at most MAX_PATH characters; deeper folders cannot be
    // listed, and this also bounds the depth of the walk.
    if (length + 2 > MAX_PATH || Stopped()) return;
    path_.push_back('*');
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileExA(path_.c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    path_.pop_back();
    if (!find) return;
    if (subfolders_.size() <= depth) subfolders_.resize(depth + 1);
    std::string& names = subfolders_[depth];
    names.clear();
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (IsDotEntry(entry.cFileName)) continue;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !EnterLink(entry.cFileName))
          continue;
        names.append(entry.cFileName);
        names.push_back('\0');
      } else if (IsGameProgram(entry.cFileName)) {
        match_.assign(path_);
      }
    } while (::FindNextFileA(find.Get(), &entry));
    find.Reset();

    // subfolders_ is a deque: deeper levels added below keep this level's list in place.
    for (size_t at = 0; at < names.size();) {
      size_t nameLength = std::strlen(names.data() + at);
      path_.resize(length);
      path_.append(names, at, nameLength);
      path_.push_back('\\');
      Walk(depth + 1);
      at += nameLength + 1;
    }
    path_.resize(length);
  }

  // A junction or symbolic link is followed once, to a place outside everything walked
  // so far; one that leads back into the tree (a loop) or to a place already walked is
  // skipped.
  bool EnterLink(const char* name) {
    std::string target = FinalFolder(path_ + name);
    if (target.empty()) return false;
    for (const std::string& walked : walkedRoots_)
      if (target.compare(0, walked.size(), walked) == 0) return false;
    walkedRoots_.push_back(std::move(target));
    return true;
  }

  const std::atomic<bool>* stop_;
  std::string path_;
  std::string match_;
  std::deque<std::string> subfolders_;
  std::vector<std::string> walkedRoots_;
};

// Steam's own small text files; anything larger than this is not one of them and is not
// read.
constexpr LONGLONG kMaxSteamFileBytes = 1 << 20;

std::optional<std::string> ReadSteamFile(const std::string& path) {
  if (path.size() > library::kMaxPath) return std::nullopt;
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.Get() == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxSteamFileBytes)
    return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return std::nullopt;
  bytes.resize(read);
  return bytes;
}

// What Steam's records say about one game: the folder a manifest names that holds the
// game, or only that some manifest named a folder (which does not hold it).
struct RecordedGame {
  std::string folder;  // "...\steamapps\common\<installdir>\"; "" when none holds the game
  bool named = false;
};

RecordedGame FindRecordedGame(const std::vector<std::string>& libraries, const char* app) {
  RecordedGame game;
  for (const std::string& library : libraries) {
    std::optional<std::string> manifest = ReadSteamFile(library::ManifestPath(library, app));
    if (!manifest) continue;
    std::optional<std::string> installDir = library::ManifestInstallDir(*manifest);
    if (!installDir) continue;
    std::string folder = library::InstalledGameFolder(library, *installDir, steam::kGameProgram64);
    if (folder.empty()) continue;
    game.named = true;
    if (HoldsGameProgram(folder)) {
      game.folder = std::move(folder);
      return game;
    }
  }
  return game;
}

// The game through Steam's library list and app manifests; nullopt when Steam keeps no list
// to go by, or when a manifest names a folder without the game (the search decides then).
std::optional<GameLocation> LocateThroughSteamRecords(const std::string& steamFolder) {
  std::optional<std::string> listText =
      ReadSteamFile(library::SteamAppsFolder(steamFolder) + steam::kLibraryFoldersFile);
  if (!listText) return std::nullopt;
  std::optional<std::vector<std::string>> listed = library::ReadLibraryList(*listText);
  if (!listed) return std::nullopt;
  // The Steam folder is a library of its own, whether the list names it (today) or not.
  std::vector<std::string> libraries{steamFolder};
  for (std::string& folder : *listed)
    if (!text::EqualsNoCase(folder, steamFolder)) libraries.push_back(std::move(folder));

  RecordedGame hl2 = FindRecordedGame(libraries, steam::kHl2AppId);
  RecordedGame lostCoast = FindRecordedGame(libraries, steam::kLostCoastAppId);
  GameLocation found;
  // A manifest whose folder lacks the game leaves it to the search.
  if (hl2.folder.empty() && (hl2.named || (lostCoast.folder.empty() && lostCoast.named)))
    return std::nullopt;
  const std::string& home = !hl2.folder.empty() ? hl2.folder : lostCoast.folder;
  // No library names the game: Steam has not installed it.
  if (home.empty()) return found;
  found.AccountFolder = AccountFolderFromMatch(home);
  if (!hl2.folder.empty()) found.Hl2GameFolder = hl2.folder + "hl2\\";
  // Lost Coast: its own manifest's folder, else inside Half-Life 2 (today's Steam installs it
  // there), else the folder derived from the account.
  for (const std::string& candidate : {lostCoast.folder, hl2.folder}) {
    if (candidate.empty()) continue;
    const std::string folder = candidate + "lostcoast\\";
    if (files::DirectoryExists(folder)) {
      found.LostCoastGameFolder = folder;
      break;
    }
  }
  return found;
}

}  // namespace

bool HoldsGameProgram(const std::string& folder) {
  return files::FileExists(folder + steam::kGameProgram) ||
         files::FileExists(folder + steam::kGameProgram64);
}

std::string FindAccountFolder(const std::string& steamFolder, const std::atomic<bool>* stop) {
  if (steamFolder.empty()) return std::string();
  std::string matchFolder = GameSearch(stop).Run(steamFolder);
  return matchFolder.empty() ? std::string() : AccountFolderFromMatch(matchFolder);
}

GameLocation LocateGame(const std::string& steamFolder, const std::atomic<bool>* stop) {
  GameLocation found;
  if (steamFolder.empty()) return found;
  if (std::optional<GameLocation> recorded =
          LocateThroughSteamRecords(text::WithBackslash(steamFolder)))
    return *recorded;
  std::string matchFolder = GameSearch(stop).Run(steamFolder);
  if (matchFolder.empty() || (stop && stop->load())) return found;
  found.AccountFolder = AccountFolderFromMatch(matchFolder);
  found.LostCoastInsideHalfLife2 =
      !found.AccountFolder.empty() &&
      !files::DirectoryExists(found.AccountFolder + steam::kLostCoastGameSubfolder) &&
      files::DirectoryExists(found.AccountFolder + steam::kLostCoastInsideHl2Subfolder);
  return found;
}

std::string CurrentUserSid() {
  HANDLE rawToken = nullptr;
  if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &rawToken)) {
    if (::GetLastError() != ERROR_NO_TOKEN) return std::string();
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return std::string();
  }
  UniqueHandle token(rawToken);
  DWORD size = 0;
  ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return std::string();
  // TOKEN_USER holds pointers: keep the buffer aligned for them.
  std::vector<std::uint64_t> buffer((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
    return std::string();
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  if (!sid || !::IsValidSid(sid)) return std::string();
  const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(sid);
  std::uint8_t bytes[6];
  std::memcpy(bytes, authority->Value, sizeof(bytes));
  std::vector<std::uint32_t> subAuthorities;
  const UCHAR count = *::GetSidSubAuthorityCount(sid);
  for (UCHAR i = 0; i < count; ++i) subAuthorities.push_back(*::GetSidSubAuthority(sid, i));
  return FormatSid(bytes, subAuthorities);
}

std::string ReadFileVersion(const std::string& programPath) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(programPath.c_str(), &ignored);
  if (size == 0) return std::string();
  std::vector<char> info(size);
  if (!::GetFileVersionInfoA(programPath.c_str(), 0, size, info.data())) return std::string();

  struct Translation {
    WORD language;
    WORD codePage;
  };
  void* table = nullptr;
  UINT tableSize = 0;
  if (!::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &table, &tableSize) ||
      tableSize < sizeof(Translation))
    return std::string();
  const Translation* first = static_cast<const Translation*>(table);
  std::string query =
      text::Format("\\StringFileInfo\\%04x%04x\\FileVersion", first->language, first->codePage);
  void* value = nullptr;
  UINT valueLength = 0;
  if (!::VerQueryValueA(info.data(), query.c_str(), &value, &valueLength) || !value)
    return std::string();
  const char* chars = static_cast<const char*>(value);
  return std::string(chars, strnlen(chars, valueLength));
}

}  // namespace quorvel
