// Steam stand-in (a test tool, never shipped): does what the benchmark relies on in Steam and
// nothing more.
//
//   steam.exe                       runs as the Steam instance: a hidden window of the class
//                                   "QuorvelStandinSteam", until the window gets WM_CLOSE or
//                                   "steam.exe -shutdown" is run. A second instance ends at
//                                   once. The process is ready for input as soon as its
//                                   window exists.
//   steam.exe -silent -applaunch <app> <arguments...>
//                                   hands the launch (the application number and the raw text
//                                   after it) to the running instance with WM_COPYDATA and
//                                   ends; with no instance running it does nothing and ends.
//   steam.exe -shutdown             closes the running instance and waits (up to 10 s) for it
//                                   to end.
//
// The instance starts the game as "<folder>\hl2.exe" followed by the arguments after the
// application number, with <folder> as its working folder and SteamAppId=<app> in its
// environment. The game is the hl2.exe named by "standin.ini" beside steam.exe
// ([steam] Game=<full path>), otherwise found as the program finds it: the last hl2.exe
// below the Steam folder (files before subfolders, depth first); its parent is the account
// folder, and "half-life 2\hl2.exe" (220) or "half-life 2 lostcoast\hl2.exe" (340) of that
// account is preferred when it exists. Steam's layout of today goes first: with
// "steamapps\libraryfolders.vdf" the game is the one the app manifests name (the Steam folder
// and every listed library, "steamapps\appmanifest_<app>.acf", else that of 220, then
// "steamapps\common\<installdir>\" with "hl2_win64.exe" or "hl2.exe"), whatever other
// hl2.exe lies anywhere.
//
// Knobs ("standin.ini" beside steam.exe, section [steam], else the environment variable):
//   Game        QUORVEL_STANDIN_STEAM_GAME        the game program, see above
//   HandoverMs  QUORVEL_STANDIN_STEAM_HANDOVER_MS pause before "-applaunch" ends (default 0)
//
// Log: "standin_steam.log" beside steam.exe, one line per event (instance start and end,
// every launch received and the game started for it).
#include <optional>
#include <string>
#include <vector>

#include "app/steam_library.h"
#include "platform/handles_win.h"
#include "platform/win.h"
#include "settings/steam_game.h"
#include "standin_common_win.h"

namespace {

constexpr const char* kWindowClass = "QuorvelStandinSteam";
constexpr ULONG_PTR kLaunchMagic = 0x51535445;  // "QSTE"

void Log(const std::string& line) {
  standin::AppendLine(standin::ExeFolder() + "standin_steam.log", line);
}

// Depth first, the files of a folder before its subfolders; the last match wins.
void FindLastGame(const std::string& folder, std::string& found) {
  WIN32_FIND_DATAA data;
  {
    quorvel::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
    if (find) {
      do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            standin::EqualsNoCase(data.cFileName, quorvel::steam::kGameProgram))
          found = folder + data.cFileName;
      } while (::FindNextFileA(find.Get(), &data));
    }
  }
  quorvel::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
  if (!find) return;
  do {
    std::string name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      FindLastGame(folder + name + "\\", found);
  } while (::FindNextFileA(find.Get(), &data));
}

std::string ReadText(const std::string& path) {
  std::string text;
  for (const std::string& line : standin::ReadLines(path)) text += line + "\n";
  return text;
}

// The game as Steam's records place it: the Steam folder and the libraries of
// "steamapps\libraryfolders.vdf", each asked for the manifest of `app` and then of Half-Life 2
// (Lost Coast of today lies inside Half-Life 2). nullopt without a list; "" when no manifest
// names a folder holding the game.
std::optional<std::string> GameInLibraries(const std::string& app) {
  namespace library = quorvel::library;
  namespace steam = quorvel::steam;
  const std::string listPath =
      library::SteamAppsFolder(standin::ExeFolder()) + steam::kLibraryFoldersFile;
  if (!standin::FileExists(listPath)) return std::nullopt;
  std::vector<std::string> libraries{standin::ExeFolder()};
  for (const std::string& folder : library::LibraryFolders(ReadText(listPath)))
    libraries.push_back(folder);
  for (const char* wanted : {app.c_str(), steam::kHl2AppId}) {
    for (const std::string& folder : libraries) {
      std::optional<std::string> dir =
          library::ManifestInstallDir(ReadText(library::ManifestPath(folder, wanted)));
      if (!dir) continue;
      std::string game = library::InstalledGameFolder(folder, *dir, steam::kGameProgram64);
      if (game.empty()) continue;
      // Today's 64-bit game first, as Steam starts it where it is installed.
      for (const char* program : {steam::kGameProgram64, steam::kGameProgram})
        if (standin::FileExists(game + program)) return game + program;
    }
  }
  return std::string();
}

std::string GameFor(const std::string& app) {
  std::string configured = standin::Knob("steam", "Game", "QUORVEL_STANDIN_STEAM_GAME", "");
  if (!configured.empty()) return configured;
  if (std::optional<std::string> recorded = GameInLibraries(app)) return *recorded;
  std::string found;
  FindLastGame(standin::ExeFolder(), found);
  if (found.empty()) return std::string();
  std::string folder = found.substr(0, found.find_last_of('\\'));
  std::string account = folder.substr(0, folder.find_last_of('\\') + 1);
  std::string preferred =
      account +
      (app == quorvel::steam::kLostCoastAppId ? "half-life 2 lostcoast\\" : "half-life 2\\") +
      quorvel::steam::kGameProgram;
  return standin::FileExists(preferred) ? preferred : found;
}

void Launch(const std::string& app, const std::string& arguments) {
  Log("launch " + app + ": " + arguments);
  std::string game = GameFor(app);
  if (game.empty() || !standin::FileExists(game)) {
    Log("no game found for " + app);
    return;
  }
  std::string folder = game.substr(0, game.find_last_of('\\') + 1);
  std::string command = "\"" + game + "\"" + (arguments.empty() ? "" : " " + arguments);
  ::SetEnvironmentVariableA("SteamAppId", app.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessA(game.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
    Log("could not start " + game + ", error " + std::to_string(::GetLastError()));
    return;
  }
  quorvel::UniqueHandle process(info.hProcess);
  quorvel::UniqueHandle thread(info.hThread);
  Log("started " + command + " in " + folder + " (process " + std::to_string(info.dwProcessId) +
      ")");
}

LRESULT CALLBACK InstanceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->dwData != kLaunchMagic || !data->lpData) return FALSE;
      std::string payload(static_cast<const char*>(data->lpData), data->cbData);
      size_t cut = payload.find('\n');
      if (cut == std::string::npos) return FALSE;
      Launch(payload.substr(0, cut), payload.substr(cut + 1));
      return TRUE;
    }
    case WM_CLOSE:
      ::DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int RunInstance(HINSTANCE instance) {
  if (::FindWindowA(kWindowClass, nullptr)) return 0;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = InstanceProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  if (!::RegisterClassA(&windowClass)) return 1;
  HWND window = ::CreateWindowExA(0, kWindowClass, "Steam", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
  if (!window) return 1;
  Log("instance started (process " + std::to_string(::GetCurrentProcessId()) + ")");
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  Log("instance ended");
  return 0;
}

int HandOver(const std::string& app, const std::string& arguments) {
  HWND instance = ::FindWindowA(kWindowClass, nullptr);
  if (!instance) return 0;
  std::string payload = app + "\n" + arguments;
  COPYDATASTRUCT data = {};
  data.dwData = kLaunchMagic;
  data.cbData = static_cast<DWORD>(payload.size());
  data.lpData = payload.data();
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                        10000, &answer);
  long pause = standin::KnobNumber("steam", "HandoverMs", "QUORVEL_STANDIN_STEAM_HANDOVER_MS", 0);
  if (pause > 0) ::Sleep(static_cast<DWORD>(pause));
  return 0;
}

int Shutdown() {
  HWND instance = ::FindWindowA(kWindowClass, nullptr);
  if (!instance) return 0;
  DWORD id = 0;
  ::GetWindowThreadProcessId(instance, &id);
  quorvel::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
  ::PostMessageA(instance, WM_CLOSE, 0, 0);
  if (process) ::WaitForSingleObject(process.Get(), 10000);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string commandLine = ::GetCommandLineA();
  auto tokens = standin::Tokens(commandLine);
  for (size_t i = 1; i < tokens.size(); ++i) {
    if (standin::EqualsNoCase(tokens[i].text, "-shutdown")) return Shutdown();
    if (standin::EqualsNoCase(tokens[i].text, "-applaunch")) {
      if (i + 1 >= tokens.size()) return 0;
      return HandOver(tokens[i + 1].text, standin::RestAfter(commandLine, tokens[i + 1].end));
    }
  }
  return RunInstance(instance);
}
