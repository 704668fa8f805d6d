#pragma once
// A machine as the program meets it, built inside the test's own Wine prefix: an install
// folder with the program, the settings key, Steam's key and folder, an account with the
// games, and the stand-ins for Steam and the game. Tests start the real program in it.
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/handles_win.h"

namespace quorvel::testing {

// The folder of the running test executable, ending with "\" (the build tree).
std::string BuildFolder();
// Deletes a folder with everything below it; true when it is gone.
bool RemoveTree(const std::string& folder);
// Writes bytes to a file, creating its folder.
void WriteFile(const std::string& path, const std::string& bytes);

struct StartedProcess {
  UniqueHandle Process;
  DWORD Id = 0;
};

class ProgramEnvironment {
 public:
  // Everything lives below C:\qtests\<name>\, emptied first.
  explicit ProgramEnvironment(const std::string& name);
  // Kills the processes it started and removes the keys it created.
  ~ProgramEnvironment();
  ProgramEnvironment(const ProgramEnvironment&) = delete;
  ProgramEnvironment& operator=(const ProgramEnvironment&) = delete;

  std::string Root;           // C:\qtests\<name>\.
  std::string InstallFolder;  // Root + "Zarvent\": the program, "Demos\"
  std::string ProgramPath;    // the test host program in InstallFolder
  std::string SteamFolder;    // Root + "Steam\"
  std::string AccountFolder;  // SteamFolder + "steamapps\player\"
  // The Windows account's own data folder (%LOCALAPPDATA%\Zarvent\Quorvel\), removed at
  // the start with the account's key HKCU\Software\Zarvent\Quorvel.
  std::string DataFolder;
  std::string CurrentFolder;  // Root + "current folder\": where started programs start from

  // The settings key HKLM\SOFTWARE\Zarvent\Quorvel, created afresh with these values.
  void CreateSettingsKey(std::initializer_list<std::pair<const char*, const char*>> values = {});
  void DeleteSettingsKey();
  void SetSetting(const std::string& name, const std::string& value);
  // "" when missing.
  std::string Setting(const std::string& name);

  // Steam's key under HKCU with "SteamExe" = SteamFolder + "steam.exe" in forward slashes.
  void CreateSteamKey();
  void DeleteSteamKey();

  // The game folders of the account (with their cfg folders) and the stand-in game;
  // the stand-in Steam in SteamFolder; the built-in demos in InstallFolder + "Demos\".
  void InstallGames(bool halfLife2 = true, bool lostCoast = true);

  // Steam's layout of today: the stand-in Steam in SteamFolder with
  // "steamapps\\libraryfolders.vdf" naming SteamFolder and `library` (a folder ending with "\\", on
  // any drive); Half-Life 2 only in `library`: its "steamapps\\appmanifest_220.acf" and
  // "steamapps\\common\\Half-Life 2\\" with the stand-in game, "hl2\\cfg\\" and "lostcoast\\cfg\\"
  // (Lost Coast inside Half-Life 2). AccountFolder becomes library + "steamapps\\common\\".
  // The built-in demos as InstallGames.
  void InstallGamesInLibrary(const std::string& library);

  // The stand-in diagnostics tool in the system folder, where the program runs it from, and
  // the Wine setting that makes Wine start it instead of its own.
  void InstallDiagnosticsStandin();

  // The game's settings key HKEY_USERS\<sid>\Software\Valve\Source\<game>\Settings with
  // the six values the program backs up.
  void CreateGameSettings(bool lostCoast,
                          std::initializer_list<std::pair<const char*, DWORD>> values = {});
  // A REG_DWORD of the game's settings; nullopt-like -1 when missing.
  long long GameSetting(bool lostCoast, const std::string& name);

  // Starts a program of the build tree copied here; environment entries are set for the child.
  // With `outputFile`, its standard output and error go to that file (created afresh), as a
  // command prompt's redirection would send them.
  StartedProcess Start(const std::string& commandLine,
                       const std::vector<std::pair<std::string, std::string>>& env = {},
                       const std::string& outputFile = "");
  StartedProcess StartProgram(const std::vector<std::pair<std::string, std::string>>& env = {});
  // Starts the stand-in Steam instance and waits until it is ready.
  void StartSteam();
  // Exit code, or -1 when the process did not end in time.
  long long WaitExit(StartedProcess& process, DWORD timeoutMs);
  // The first visible top-level window of the process that takes input (the program's main
  // window once its start-up has ended), waiting up to timeoutMs.
  HWND WaitForWindow(DWORD processId, DWORD timeoutMs);
  void Kill(StartedProcess& process);

 private:
  std::vector<DWORD> started_;
  bool createdSteamKey_ = false;
};

}  // namespace quorvel::testing
