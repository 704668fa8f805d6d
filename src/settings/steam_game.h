#pragma once
// Everything the program relies on in Steam and the game, in one place: program names,
// folders, registry keys and values, launch arguments and file names. Nothing else in the
// program spells these out.
#include <string>

namespace quorvel::steam {

// The two games the program benchmarks.
enum class Game { HalfLife2, LostCoast };

// Steam's own key under HKEY_CURRENT_USER and the value naming steam.exe ("/" separators).
inline constexpr const char* kSteamKey = "Software\\Valve\\Steam";
inline constexpr const char* kSteamExeValue = "SteamExe";

// Program file names as they appear in the process list and on disk.
inline constexpr const char* kSteamProgram = "steam.exe";
inline constexpr const char* kGameProgram = "hl2.exe";
// Today's Half-Life 2 runs on 64-bit Windows as this program, beside "hl2.exe" in its
// folder; a process under either name is the game.
inline constexpr const char* kGameProgram64 = "hl2_win64.exe";

// Folders below a Steam account folder (each ends with a backslash).
inline constexpr const char* kHl2GameSubfolder = "half-life 2\\hl2\\";
inline constexpr const char* kLostCoastGameSubfolder = "half-life 2 lostcoast\\lostcoast\\";
inline constexpr const char* kCfgSubfolder = "cfg\\";
// Steam's layout of today: Lost Coast's game folder inside the Half-Life 2 folder.
inline constexpr const char* kLostCoastInsideHl2Subfolder = "half-life 2\\lostcoast\\";

// Steam's list of its library folders, in its "steamapps\" folder.
inline constexpr const char* kLibraryFoldersFile = "libraryfolders.vdf";

// Steam application numbers.
inline constexpr const char* kHl2AppId = "220";
inline constexpr const char* kLostCoastAppId = "340";
inline const char* AppId(Game game) {
  return game == Game::LostCoast ? kLostCoastAppId : kHl2AppId;
}

// The program part of a command line that starts Steam: steam.exe in `steamFolder`, in
// double quotes, so that the platform does not try "C:\Program.exe" and the like first
// for a folder with blanks such as "C:\Program Files (x86)\Steam\".
inline std::string SteamProgramCommand(const std::string& steamFolder) {
  return "\"" + steamFolder + kSteamProgram + "\"";
}

// Hands a launch to the running Steam: "steam.exe -silent -applaunch <app> <game args>".
inline constexpr const char* kApplaunchArguments = "-silent -applaunch ";
// Game argument that plays a demo (its name without ".dem") and quits.
inline constexpr const char* kTimedemoQuit = "+timedemoquit";

// The game's settings: HKEY_USERS\<sid> + this key; values are REG_DWORD.
inline constexpr const char* kHl2SettingsKey = "\\Software\\Valve\\Source\\hl2\\Settings";
inline constexpr const char* kLostCoastSettingsKey =
    "\\Software\\Valve\\Source\\lostcoast\\Settings";
inline const char* SettingsKeySuffix(Game game) {
  return game == Game::LostCoast ? kLostCoastSettingsKey : kHl2SettingsKey;
}

// Files in a game's cfg folder.
inline constexpr const char* kAutoexec = "autoexec.cfg";
inline constexpr const char* kAutoexecOld = "autoexec_old.cfg";
inline constexpr const char* kValveRc = "valve.rc";
inline constexpr const char* kValveRcOld = "valve_old.rc";

// The game's timedemo result, written into its game folder.
inline constexpr const char* kResultFile = "sourcebench.csv";
inline constexpr const char* kDemoExtension = ".dem";

}  // namespace quorvel::steam
