#include "support/program_env_win.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "settings/steam_game.h"
#include "support/process_helpers_win.h"

namespace quorvel::testing {

std::string BuildFolder() { return files::ProgramFolder(); }

void WriteFile(const std::string& path, const std::string& bytes) {
  size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos) files::ForceDirectories(path.substr(0, cut));
  files::WriteAll(path, bytes);
}

namespace {
std::string GameKey(bool lostCoast) {
  // Under Wine HKEY_CURRENT_USER is the user's key below HKEY_USERS, the key the program
  // reaches through the user's SID.
  std::string suffix =
      steam::SettingsKeySuffix(lostCoast ? steam::Game::LostCoast : steam::Game::HalfLife2);
  return suffix.substr(1);
}

void CopyFromBuild(const std::string& relative, const std::string& to) {
  size_t cut = to.find_last_of('\\');
  files::ForceDirectories(to.substr(0, cut));
  ::CopyFileA((BuildFolder() + relative).c_str(), to.c_str(), FALSE);
}
}  // namespace

ProgramEnvironment::ProgramEnvironment(const std::string& name) {
  Root = "C:\\qtests\\" + name + "\\";
  RemoveTree(Root);
  files::ForceDirectories(Root);
  InstallFolder = Root + "Zarvent\\";
  ProgramPath = InstallFolder + "quorvel_testhost.exe";
  SteamFolder = Root + "Steam\\";
  AccountFolder = SteamFolder + "steamapps\\player\\";
  CurrentFolder = Root + "current folder\\";
  CopyFromBuild("quorvel_testhost.exe", ProgramPath);
  files::ForceDirectories(SteamFolder);
  // The account's own data folder and key start empty too, as for a new account.
  DataFolder = files::UserDataFolder();
  if (!DataFolder.empty()) RemoveTree(DataFolder);
  ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zarvent\\Quorvel");
}

ProgramEnvironment::~ProgramEnvironment() {
  for (DWORD id : started_) {
    UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process.Get(), 1);
      ::WaitForSingleObject(process.Get(), 5000);
    }
  }
  // The game and Steam stand-ins were started by Steam, not by us: end them by name.
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  if (snapshot && ::Process32First(snapshot.Get(), &entry)) {
    do {
      if (text::EqualsNoCase(entry.szExeFile, "hl2.exe") ||
          text::EqualsNoCase(entry.szExeFile, "hl2_win64.exe") ||
          text::EqualsNoCase(entry.szExeFile, "steam.exe")) {
        UniqueHandle p(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (p) {
          ::TerminateProcess(p.Get(), 1);
          ::WaitForSingleObject(p.Get(), 5000);
        }
      }
    } while (::Process32Next(snapshot.Get(), &entry));
  }
  if (createdSteamKey_) DeleteSteamKey();
  DeleteSettingsKey();
  ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Valve\\Source");
}

void ProgramEnvironment::CreateSettingsKey(
    std::initializer_list<std::pair<const char*, const char*>> values) {
  DeleteSettingsKey();
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
  RegKey owned(key);
  for (const auto& [name, value] : values) reg::WriteString(owned.Get(), name, value);
}

void ProgramEnvironment::DeleteSettingsKey() {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
}

void ProgramEnvironment::SetSetting(const std::string& name, const std::string& value) {
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS);
  reg::WriteString(key.Get(), name, value);
}

std::string ProgramEnvironment::Setting(const std::string& name) {
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ);
  if (!key) return "";
  return reg::ReadString(key.Get(), name).value_or("");
}

void ProgramEnvironment::CreateSteamKey() {
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, steam::kSteamKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
  RegKey owned(key);
  reg::WriteString(owned.Get(), steam::kSteamExeValue,
                   text::ReplaceAll(SteamFolder + steam::kSteamProgram, "\\", "/"));
  createdSteamKey_ = true;
}

void ProgramEnvironment::DeleteSteamKey() { ::RegDeleteTreeA(HKEY_CURRENT_USER, steam::kSteamKey); }

void ProgramEnvironment::InstallGames(bool halfLife2, bool lostCoast) {
  CopyFromBuild("standins\\steam.exe", SteamFolder + steam::kSteamProgram);
  if (halfLife2) {
    files::ForceDirectories(AccountFolder + steam::kHl2GameSubfolder + steam::kCfgSubfolder);
    CopyFromBuild("standins\\hl2.exe", AccountFolder + "half-life 2\\" + steam::kGameProgram);
  }
  if (lostCoast) {
    files::ForceDirectories(AccountFolder + steam::kLostCoastGameSubfolder + steam::kCfgSubfolder);
    if (!halfLife2)
      CopyFromBuild("standins\\hl2.exe",
                    AccountFolder + "half-life 2 lostcoast\\" + steam::kGameProgram);
  }
  for (const char* demo : {"zrv_highway.dem", "zrv_lost_coast.dem", "zrv_anticitizen.dem"})
    WriteFile(InstallFolder + "Demos\\" + demo, std::string("demo data of ") + demo);
}

void ProgramEnvironment::InstallGamesInLibrary(const std::string& library) {
  CopyFromBuild("standins\\steam.exe", SteamFolder + steam::kSteamProgram);
  // In KeyValues text a backslash of a path is written twice.
  auto quoted = [](const std::string& path) {
    return "\"" + text::ReplaceAll(path.substr(0, path.size() - 1), "\\", "\\\\") + "\"";
  };
  WriteFile(
      SteamFolder + "steamapps\\libraryfolders.vdf",
      "\"libraryfolders\"\r\n{\r\n\t\"0\"\r\n\t{\r\n\t\t\"path\"\t\t" + quoted(SteamFolder) +
          "\r\n\t\t\"apps\"\r\n\t\t{\r\n\t\t}\r\n\t}\r\n\t\"1\"\r\n\t{\r\n\t\t\"path\"\t\t" +
          quoted(library) +
          "\r\n\t\t\"apps\"\r\n\t\t{\r\n\t\t\t\"220\"\t\t\"6512847201\"\r\n\t\t}\r\n\t}\r\n}\r\n");
  WriteFile(library + "steamapps\\appmanifest_220.acf",
            "\"AppState\"\r\n{\r\n\t\"appid\"\t\t\"220\"\r\n\t\"name\"\t\t\"Half-Life 2\"\r\n"
            "\t\"installdir\"\t\t\"Half-Life 2\"\r\n}\r\n");
  AccountFolder = library + "steamapps\\common\\";
  const std::string game = AccountFolder + "Half-Life 2\\";
  files::ForceDirectories(game + "hl2\\cfg");
  files::ForceDirectories(game + "lostcoast\\cfg");
  CopyFromBuild("standins\\hl2.exe", game + steam::kGameProgram);
  for (const char* demo : {"zrv_highway.dem", "zrv_lost_coast.dem", "zrv_anticitizen.dem"})
    WriteFile(InstallFolder + "Demos\\" + demo, std::string("demo data of ") + demo);
}

void ProgramEnvironment::InstallDiagnosticsStandin() {
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  ::CopyFileA((BuildFolder() + "standins\\dxdiag.exe").c_str(),
              (std::string(system) + "\\dxdiag.exe").c_str(), FALSE);
  HKEY overrides = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &overrides, nullptr);
  RegKey owned(overrides);
  reg::WriteString(owned.Get(), "dxdiag.exe", "native");
}

void ProgramEnvironment::CreateGameSettings(
    bool lostCoast, std::initializer_list<std::pair<const char*, DWORD>> values) {
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, GameKey(lostCoast).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
  RegKey owned(key);
  std::pair<const char*, DWORD> defaults[] = {{"mat_antialias", 0},  {"mat_forceaniso", 1},
                                              {"mat_trilinear", 0},  {"mat_hdr_level", 2},
                                              {"ScreenHeight", 600}, {"ScreenWidth", 800}};
  for (const auto& [name, value] : defaults) reg::WriteDword(owned.Get(), name, value);
  for (const auto& [name, value] : values) reg::WriteDword(owned.Get(), name, value);
}

long long ProgramEnvironment::GameSetting(bool lostCoast, const std::string& name) {
  RegKey key = reg::Open(HKEY_CURRENT_USER, GameKey(lostCoast), KEY_READ);
  if (!key) return -1;
  try {
    return reg::ReadDword(key.Get(), name);
  } catch (...) {
    return -1;
  }
}

StartedProcess ProgramEnvironment::Start(
    const std::string& commandLine, const std::vector<std::pair<std::string, std::string>>& env,
    const std::string& outputFile) {
  for (const auto& [name, value] : env) ::SetEnvironmentVariableA(name.c_str(), value.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  UniqueHandle output;
  if (!outputFile.empty()) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    output.Reset(::CreateFileA(outputFile.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
  }
  PROCESS_INFORMATION info = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  // Started from a folder of this machine's own, never from the test's: whatever a program
  // writes relative to its current folder stays inside the machine.
  files::ForceDirectories(CurrentFolder);
  BOOL ok = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, output ? TRUE : FALSE, 0,
                             nullptr, CurrentFolder.c_str(), &startup, &info);
  for (const auto& [name, value] : env) ::SetEnvironmentVariableA(name.c_str(), nullptr);
  StartedProcess started;
  if (!ok) return started;
  ::CloseHandle(info.hThread);
  started.Process.Reset(info.hProcess);
  started.Id = info.dwProcessId;
  started_.push_back(info.dwProcessId);
  return started;
}

StartedProcess ProgramEnvironment::StartProgram(
    const std::vector<std::pair<std::string, std::string>>& env) {
  return Start(ProgramPath, env);
}

void ProgramEnvironment::StartSteam() {
  StartedProcess steam = Start(SteamFolder + steam::kSteamProgram);
  if (steam.Process) ::WaitForInputIdle(steam.Process.Get(), 10000);
}

long long ProgramEnvironment::WaitExit(StartedProcess& process, DWORD timeoutMs) {
  if (!process.Process) return -1;
  if (::WaitForSingleObject(process.Process.Get(), timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(process.Process.Get(), &code);
  return code;
}

namespace {
struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  // The program's window takes input only once its start-up has ended.
  if (owner == search->processId && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND ProgramEnvironment::WaitForWindow(DWORD processId, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < timeoutMs) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    ::Sleep(100);
  }
  return nullptr;
}

void ProgramEnvironment::Kill(StartedProcess& process) {
  if (!process.Process) return;
  ::TerminateProcess(process.Process.Get(), 1);
  ::WaitForSingleObject(process.Process.Get(), 10000);
}

}  // namespace quorvel::testing
