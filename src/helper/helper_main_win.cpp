// The installation helper, a program of its own ("ZrvUpdHelper.exe"), in two parts.
//
// The install part is started by the program through Windows' administrator consent
// ("/install /pid=<program> /staging=<folder>"). It waits, with a time limit, for the program
// to end; checks the maker's signature of the staged information file and the SHA-256 of
// every staged file (itself, on its own copies in the destination folders, so that a file
// swapped in the user's staging folder is never installed); and replaces the files in two
// phases: every new file is put in place with the old one kept aside, and only when all are
// in place are the old ones deleted; when one replace fails, every file already replaced is
// put back. It never starts the program: a process it starts would run as the administrator.
//
// The restart part is started by the program as the user ("/restart /pid=<install part>"). It
// waits for the install part to end and starts the program again, quoted, with the restart
// parameters, so the program comes back with the user's own rights and registry.
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/win.h"
#include "update/helper_command.h"
#include "update/update_crypto_win.h"
#include "update/update_info.h"
#include "update/update_signature.h"

namespace {

using quorvel::UniqueHandle;
using quorvel::update::HelperCommand;
using quorvel::update::HelperPart;

constexpr char kCaption[] = "Zarvent update helper";
constexpr char kNewSuffix[] = ".updnew";
constexpr char kOldSuffix[] = ".updold";
// How long the install part waits for the program to end after OK, and the restart part for
// the install (which copies and checks every file before it replaces any).
constexpr DWORD kProgramEndLimitMs = 60 * 1000;
constexpr DWORD kInstallLimitMs = 15 * 60 * 1000;
// How long an external setup program may run before the helper stops waiting for it.
constexpr DWORD kSetupLimitMs = 60 * 60 * 1000;

enum ExitCode : int {
  kInstalled = 0,
  kNothingToDo = 1,
  kRefused = 2,
  kProgramStillRunning = 3,
  kRolledBack = 4,
};

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Tells the user. Tests name a file in QUORVEL_HELPER_LOG that receives the text instead of a
// message box nobody could click.
void Tell(const std::string& message) {
  char log[MAX_PATH + 1] = {};
  DWORD n = ::GetEnvironmentVariableA("QUORVEL_HELPER_LOG", log, sizeof log);
  if (n > 0 && n < sizeof log) {
    UniqueHandle file(::CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, 0, nullptr));
    std::string line = message + "\r\n";
    DWORD written = 0;
    if (file)
      ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  ::MessageBoxA(nullptr, message.c_str(), kCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// Waits for the process `id` to end; true when it has ended (or is gone already).
bool WaitForProcess(unsigned long id, DWORD limitMs) {
  if (id == 0) return true;
  UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
  if (!process) return true;
  return ::WaitForSingleObject(process.Get(), limitMs) == WAIT_OBJECT_0;
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length > MAX_PATH) return std::string();
  std::string folder(buffer, length);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::string ShellFolder(const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  quorvel::RegKey owned(key);
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  return buffer;
}

std::string ReadSmallFile(const std::string& path, std::int64_t limit) {
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > limit) return {};
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty() &&
      !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
    return {};
  bytes.resize(got);
  return bytes;
}

void DeleteFile(const std::string& path) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileA(path.c_str());
}

// One file of the update: its staged download, its destination and the maker's hash.
struct Planned {
  std::string Staged, Destination;
  quorvel::update::FileHash Hash;
  bool HadOld = false;      // the destination existed and was set aside
  DWORD OldAttributes = 0;  // its attributes, given back when it is put back
  bool Replaced = false;    // the new file is in place
};

// The files of the signed information file that were downloaded, with their destinations
// resolved here; false when the file is not the maker's or a listed file has no hash.
bool Plan(const HelperCommand& command, std::vector<Planned>& plan) {
  using namespace quorvel::update;
  const std::string file = ReadSmallFile(command.StagingFolder + kStagedInfoName, kMaxInfoFileSize);
  auto content = VerifiedInfoContent(file);
  if (!content) return false;
  char windows[MAX_PATH + 1] = {}, system[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  ::GetSystemDirectoryA(system, MAX_PATH);
  std::string temp = TempFolder();
  PlaceholderFolders folders =
      MakePlaceholderFolders(command.ProgramFolder, ShellFolder("Desktop"), ShellFolder("Personal"),
                             ShellFolder("My Pictures"), ShellFolder("AppData"), windows, system,
                             temp, !temp.empty() && Exists(temp));
  std::vector<ListedFile> entries = InfoFileEntries(*content);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto hash = InfoFileHash(*content, entries[i].Key);
    if (!hash || !IsHttpsEntry(entries[i].Entry)) return false;
    std::string staged = command.StagingFolder + "file" + std::to_string(i) + kTempSuffix;
    // A file the user skipped (or that was not needed) was not downloaded.
    if (!Exists(staged)) continue;
    plan.push_back({staged, ResolveDestination(SplitEntry(entries[i].Entry), folders), *hash});
  }
  return true;
}

// Copies every staged file next to its destination and checks the copy's hash: what is
// checked is exactly what is put in place. False (and no copy left) when one fails.
bool CopyAndCheck(const std::vector<Planned>& plan) {
  using namespace quorvel::update;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const Planned& p = plan[i];
    for (const std::string& level : FolderLevels(p.Destination))
      if (!Exists(level)) ::CreateDirectoryA(level.c_str(), nullptr);
    std::string copy = p.Destination + kNewSuffix;
    DeleteFile(copy);
    bool good = ::CopyFileA(p.Staged.c_str(), copy.c_str(), FALSE);
    if (good) {
      auto hash = Sha256OfFile(copy);
      good = hash && hash->Size == p.Hash.Size && hash->Sha256 == p.Hash.Sha256;
    }
    if (!good) {
      for (std::size_t k = 0; k <= i; ++k) DeleteFile(plan[k].Destination + kNewSuffix);
      return false;
    }
  }
  return true;
}

// Puts every checked copy in place, the old file kept aside; on a failure puts back what was
// replaced. True when every file is in place.
bool ReplaceAll(std::vector<Planned>& plan) {
  bool failed = false;
  for (Planned& p : plan) {
    const std::string copy = p.Destination + kNewSuffix, old = p.Destination + kOldSuffix;
    DWORD attributes = ::GetFileAttributesA(p.Destination.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      ::SetFileAttributesA(p.Destination.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFile(old);
      if (!::MoveFileExA(p.Destination.c_str(), old.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ::SetFileAttributesA(p.Destination.c_str(), attributes);
        failed = true;
        break;
      }
      p.HadOld = true;
      p.OldAttributes = attributes;
    }
    if (!::MoveFileExA(copy.c_str(), p.Destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
      failed = true;
      break;
    }
    p.Replaced = true;
    ::SetFileAttributesA(p.Destination.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  }
  if (failed) {
    for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
      const std::string old = it->Destination + kOldSuffix;
      if (it->Replaced) DeleteFile(it->Destination);
      if (it->HadOld && ::MoveFileExA(old.c_str(), it->Destination.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ::SetFileAttributesA(it->Destination.c_str(), it->OldAttributes);
      DeleteFile(it->Destination + kNewSuffix);
    }
    return false;
  }
  for (const Planned& p : plan)
    if (p.HadOld) DeleteFile(p.Destination + kOldSuffix);
  return true;
}

void EmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA data;
  quorvel::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
  if (!find) return;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFile(folder + data.cFileName);
  } while (::FindNextFileA(find.Get(), &data));
}

// Starts `commandLine` and, with `wait`, waits up to `limitMs` for it to end.
bool Run(const std::string& commandLine, const std::string& folder, bool wait, DWORD limitMs) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return false;
  UniqueHandle thread(process.hThread), owned(process.hProcess);
  return !wait || ::WaitForSingleObject(owned.Get(), limitMs) == WAIT_OBJECT_0;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char a = s[s.size() - tail.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != tail[i]) return false;
  }
  return true;
}

// The limit of the wait for the program; tests shorten it through QUORVEL_HELPER_WAIT_MS so
// that a program that never ends does not hold them for a minute.
DWORD ProgramEndLimit() {
  char value[16] = {};
  DWORD n = ::GetEnvironmentVariableA("QUORVEL_HELPER_WAIT_MS", value, sizeof value);
  if (n == 0 || n >= sizeof value) return kProgramEndLimitMs;
  DWORD ms = 0;
  for (DWORD i = 0; i < n; ++i) {
    if (value[i] < '0' || value[i] > '9') return kProgramEndLimitMs;
    ms = ms * 10 + static_cast<DWORD>(value[i] - '0');
    if (ms > kProgramEndLimitMs) return kProgramEndLimitMs;
  }
  return ms;
}

int Install(const HelperCommand& command) {
  if (command.StagingFolder.empty() || command.ProgramFolder.empty()) return kNothingToDo;
  if (!WaitForProcess(command.ProcessId, ProgramEndLimit())) {
    Tell(
        "The update was not installed: the program did not end within a minute after the "
        "download.\n\nNothing was changed. Close the program and try the update again.");
    return kProgramStillRunning;
  }
  std::vector<Planned> plan;
  if (!Plan(command, plan) || !CopyAndCheck(plan)) {
    EmptyFolder(command.StagingFolder);
    Tell(
        "The update was not installed: its files are not exactly the ones the developer "
        "signed.\n\nNothing was changed.");
    return kRefused;
  }
  if (!ReplaceAll(plan)) {
    EmptyFolder(command.StagingFolder);
    Tell(
        "The update could not be completed (a file of the program was in use), so every file "
        "was put back as it was.\n\nThe program starts again in its old version.");
    return kRolledBack;
  }
  EmptyFolder(command.StagingFolder);
  // External setup: the first program file of the update that is not the program itself
  // runs (elevated, as a setup must) and is deleted once it has ended.
  if (command.Method == '1') {
    for (const Planned& p : plan) {
      if (!EndsWithNoCase(p.Destination, "exe") ||
          ::lstrcmpiA(p.Destination.c_str(), command.ProgramPath.c_str()) == 0)
        continue;
      ::SetFileAttributesA(p.Destination.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
      if (Run("\"" + p.Destination + "\" " + command.RestartParams, command.ProgramFolder, true,
              kSetupLimitMs))
        DeleteFile(p.Destination);
      break;
    }
  }
  return kInstalled;
}

int Restart(const HelperCommand& command) {
  if (command.ProgramPath.empty()) return kNothingToDo;
  if (!WaitForProcess(command.ProcessId, kInstallLimitMs)) {
    Tell(
        "The installation of the update has not ended after 15 minutes.\n\nStart the program "
        "yourself once it has ended.");
    return kProgramStillRunning;
  }
  Run("\"" + command.ProgramPath + "\" " + command.RestartParams, command.ProgramFolder, false, 0);
  return kInstalled;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Libraries that the helper loads itself (CNG) come from the system folder only, never
  // from the folder it was started from.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  HelperCommand command = quorvel::update::ParseHelperArguments(arguments);
  if (command.Part == HelperPart::Install) return Install(command);
  if (command.Part == HelperPart::Restart) return Restart(command);
  // A command line without a part (an older program's) installs nothing: what it would move
  // was never checked.
  if (!arguments.empty()) return kNothingToDo;
  ::MessageBoxA(nullptr,
                "Installs the downloaded update of the Zarvent benchmark once the program has "
                "ended, and starts the program again.",
                kCaption, MB_OK | MB_ICONINFORMATION);
  return kNothingToDo;
}
