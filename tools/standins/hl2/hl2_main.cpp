// Game stand-in (hl2.exe, a test tool, never shipped): does what the benchmark relies on in
// Half-Life 2 and Lost Coast and nothing more. Its frame rates are SIMULATED: a fixed model
// of the screen size and the settings it read, not a measurement.
//
// Started by the Steam stand-in from "<account>\<game>\hl2.exe" (working folder = its own).
//   - Game: SteamAppId from the environment ("340" Lost Coast, anything else Half-Life 2), or
//     "-game hl2" / "-game lostcoast" on the command line. Game folder: the account folder
//     (the parent of hl2.exe's folder) + "half-life 2\hl2\" or "half-life 2 lostcoast\lostcoast\";
//     for Lost Coast, when that folder does not exist, "lostcoast\" beside hl2.exe (Steam's
//     layout of today, Lost Coast inside Half-Life 2).
//   - Reads "cfg\autoexec.cfg" of the game folder (lines: name "value") and the REG_DWORD
//     values of HKEY_USERS\<user's SID>\Software\Valve\Source\<hl2|lostcoast>\Settings;
//     "+name value" on the command line comes last and wins.
//   - Size: -width / -height, else ScreenWidth / ScreenHeight from its settings, else 640x480.
//   - "+timedemoquit NAME": when NAME.dem is in the game folder, "plays" it and appends the
//     run to "sourcebench.csv" in the game folder, then quits. Without the demo it quits with
//     no result. Without "+timedemoquit" it stays in its "menu" until its window (class
//     "QuorvelStandinGame") gets WM_CLOSE.
//   - On quitting it stores ScreenWidth / ScreenHeight it ran at into its settings key
//     (creating the key when missing).
//   - Appends what it got and did to "standin_hl2.log" in the game folder (beside hl2.exe when
//     the game folder is missing): "commandline: <full command line>", "app: ...",
//     "autoexec: ...", "autoexec line: ...", "setting NAME=VALUE" per registry value,
//     "size: WxH", "timedemo: NAME found|missing", "result: F fps (simulated)", "exit: N".
//
// "sourcebench.csv" layouts (every header and data line ends with ","; CRLF line breaks):
//   classic (default): line 1 "Half-Life 2 Benchmark Results", line 2 empty, line 3 the
//     column names, then one data line per run; frames/sec is the third field ("%.2f").
//   engine: one header line with a column "fps" (4th), then one data line per run, the frame
//     rate printed with "%5.1f".
//   A run appends only its data line to an existing file.
//
// Knobs ("standin.ini" beside hl2.exe, section [hl2], else the environment variable):
//   PlayMs    QUORVEL_STANDIN_PLAY_MS    how long a timedemo plays, ms (default 3000)
//   Layout    QUORVEL_STANDIN_LAYOUT     "classic" (default) or "engine"
//   Fps       QUORVEL_STANDIN_FPS        a fixed frames/sec text instead of the model
//   ExitCode  QUORVEL_STANDIN_EXIT_CODE  the exit code of the game (default 0)
//   MenuMs    QUORVEL_STANDIN_MENU_MS    without "+timedemoquit": quit after this long
//                                        (default 0: stay until closed)
#include <cmath>
#include <cstdint>
#include <map>
#include <string>

#include "platform/handles_win.h"
#include "platform/win.h"
#include "settings/steam_game.h"
#include "standin_common_win.h"

namespace {

constexpr const char* kWindowClass = "QuorvelStandinGame";
constexpr UINT_PTR kPlayTimer = 1;
constexpr UINT_PTR kMenuTimer = 2;

struct Game {
  bool lostCoast = false;
  std::string gameFolder;
  std::string logPath;
  std::string settingsKey;                  // below HKEY_USERS
  std::map<std::string, std::string> vars;  // lower-case names
  long width = 640;
  long height = 480;
  std::string demo;
  bool timedemo = false;
  bool demoFound = false;
  int exitCode = 0;
};

Game g_game;

void Log(const std::string& line) { standin::AppendLine(g_game.logPath, line); }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

double Var(const char* name, double fallback) {
  auto it = g_game.vars.find(name);
  if (it == g_game.vars.end() || it->second.empty()) return fallback;
  char* end = nullptr;
  double value = std::strtod(it->second.c_str(), &end);
  return end == it->second.c_str() ? fallback : value;
}

void ReadRegistry() {
  HKEY raw = nullptr;
  if (::RegOpenKeyExA(HKEY_USERS, g_game.settingsKey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
    Log("settings key missing: HKEY_USERS\\" + g_game.settingsKey);
    return;
  }
  quorvel::RegKey key(raw);
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof(name);
    DWORD type = 0;
    BYTE data[64];
    DWORD dataLength = sizeof(data);
    LONG status =
        ::RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type, data, &dataLength);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_DWORD || dataLength != sizeof(DWORD)) continue;
    DWORD value = *reinterpret_cast<DWORD*>(data);
    Log("setting " + std::string(name) + "=" + std::to_string(value));
    g_game.vars[Lower(name)] = std::to_string(value);
  }
}

void ReadAutoexec() {
  std::string path = g_game.gameFolder + quorvel::steam::kCfgSubfolder + quorvel::steam::kAutoexec;
  if (!standin::FileExists(path)) {
    Log("autoexec: none at " + path);
    return;
  }
  auto lines = standin::ReadLines(path);
  Log("autoexec: " + path + " (" + std::to_string(lines.size()) + " lines)");
  for (const std::string& line : lines) {
    Log("autoexec line: " + line);
    auto tokens = standin::Tokens(line);
    if (tokens.size() >= 2 && tokens[0].text.rfind("//", 0) != 0)
      g_game.vars[Lower(tokens[0].text)] = tokens[1].text;
  }
}

// Frames per second of a simulated machine: a fixed cost per frame plus a cost per pixel
// that grows with anti-aliasing, filtering and HDR; a small heap and Lost Coast cost more.
double SimulatedFps() {
  double pixels = static_cast<double>(g_game.width) * static_cast<double>(g_game.height);
  double aa = Var("mat_antialias", 0);
  double aniso = Var("mat_forceaniso", 1);
  double hdr = Var("mat_hdr_level", 0);
  double heap = Var("heapsize", 64000);
  double shading = 1.0 + 0.14 * (aa > 1 ? aa : 0) + 0.035 * std::log2(aniso < 1 ? 1 : aniso) +
                   (Var("mat_trilinear", 0) > 0 ? 0.02 : 0) + 0.13 * (hdr < 0 ? 0 : hdr);
  if (Var("r_fastzreject", 0) > 0) shading *= 0.97;
  double frameCost = heap < 64000 ? 3.6 : heap >= 256000 ? 2.85 : heap >= 128000 ? 2.9 : 3.0;
  // Every demo has its own load, fixed by its name.
  std::uint32_t hash = 2166136261u;
  for (char c : Lower(g_game.demo)) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  double demoLoad = 0.9 + (hash % 1000) / 1000.0 * 0.25;
  double gameLoad = g_game.lostCoast ? 1.2 : 1.0;
  double ms = (frameCost + pixels / 1.0e6 * 9.0 * shading) * demoLoad * gameLoad;
  return 1000.0 / ms;
}

std::string FormatNumber(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), format, value);
  return buffer;
}

void WriteResult() {
  std::string path = g_game.gameFolder + quorvel::steam::kResultFile;
  std::string fixed = standin::Knob("hl2", "Fps", "QUORVEL_STANDIN_FPS", "");
  double fps = fixed.empty() ? SimulatedFps() : std::strtod(fixed.c_str(), nullptr);
  long frames = 1800 + static_cast<long>(g_game.demo.size()) * 37;
  double seconds = fps > 0 ? frames / fps : 0;
  bool engine =
      standin::EqualsNoCase(standin::Knob("hl2", "Layout", "QUORVEL_STANDIN_LAYOUT", ""), "engine");
  bool exists = standin::FileExists(path);
  std::string out;
  std::string w = std::to_string(g_game.width);
  std::string h = std::to_string(g_game.height);
  if (engine) {
    if (!exists) out += "demofile,width,height,fps,numframes,totaltime,frame data,\r\n";
    out += g_game.demo + "," + w + "," + h + "," +
           (fixed.empty() ? FormatNumber("%5.1f", fps) : fixed) + "," + std::to_string(frames) +
           "," + FormatNumber("%.3f", seconds) + ",simulated,\r\n";
  } else {
    if (!exists)
      out +=
          "Half-Life 2 Benchmark Results\r\n\r\n"
          "demofile,frame data spreadsheet,frames/sec,framerate variability,totaltime (sec),"
          "width,height,numframes,antialias,aniso,hdr level,heapsize,\r\n";
    out += g_game.demo + ",simulated," + (fixed.empty() ? FormatNumber("%.2f", fps) : fixed) + "," +
           FormatNumber("%.4f", 0.05 + 2.0 / (fps > 1 ? fps : 1)) + "," +
           FormatNumber("%.3f", seconds) + "," + w + "," + h + "," + std::to_string(frames) + "," +
           FormatNumber("%.0f", Var("mat_antialias", 0)) + "," +
           FormatNumber("%.0f", Var("mat_forceaniso", 1)) + "," +
           FormatNumber("%.0f", Var("mat_hdr_level", 0)) + "," +
           FormatNumber("%.0f", Var("heapsize", 64000)) + ",\r\n";
  }
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) {
    Log("result: could not write " + path);
    return;
  }
  std::fwrite(out.data(), 1, out.size(), f);
  std::fclose(f);
  Log("result: " + (fixed.empty() ? FormatNumber("%.2f", fps) : fixed) + " fps (simulated) in " +
      path);
}

void StoreScreenSize() {
  HKEY raw = nullptr;
  if (::RegCreateKeyExA(HKEY_USERS, g_game.settingsKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    Log("could not store the screen size");
    return;
  }
  quorvel::RegKey key(raw);
  DWORD width = static_cast<DWORD>(g_game.width);
  DWORD height = static_cast<DWORD>(g_game.height);
  ::RegSetValueExA(key.Get(), "ScreenWidth", 0, REG_DWORD, reinterpret_cast<BYTE*>(&width),
                   sizeof(width));
  ::RegSetValueExA(key.Get(), "ScreenHeight", 0, REG_DWORD, reinterpret_cast<BYTE*>(&height),
                   sizeof(height));
}

LRESULT CALLBACK GameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      ::KillTimer(hwnd, wParam);
      if (wParam == kPlayTimer) WriteResult();
      ::DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE:
      Log("closed");
      ::DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void ReadCommandLine(const std::string& commandLine) {
  auto tokens = standin::Tokens(commandLine);
  for (size_t i = 1; i < tokens.size(); ++i) {
    const std::string& t = tokens[i].text;
    bool hasValue = i + 1 < tokens.size();
    if (standin::EqualsNoCase(t, "-width") && hasValue) {
      g_game.width = std::strtol(tokens[++i].text.c_str(), nullptr, 10);
    } else if (standin::EqualsNoCase(t, "-height") && hasValue) {
      g_game.height = std::strtol(tokens[++i].text.c_str(), nullptr, 10);
    } else if (standin::EqualsNoCase(t, "-heapsize") && hasValue) {
      g_game.vars["heapsize"] = tokens[++i].text;
    } else if (standin::EqualsNoCase(t, "-refresh") && hasValue) {
      g_game.vars["refresh"] = tokens[++i].text;
    } else if (standin::EqualsNoCase(t, "-game") && hasValue) {
      ++i;
    } else if (standin::EqualsNoCase(t, quorvel::steam::kTimedemoQuit) && hasValue) {
      g_game.timedemo = true;
      g_game.demo = tokens[++i].text;
    } else if (t.size() > 1 && t[0] == '+' && hasValue) {
      g_game.vars[Lower(t.substr(1))] = tokens[++i].text;
    }
  }
}

bool LostCoastWanted(const std::string& commandLine) {
  auto tokens = standin::Tokens(commandLine);
  for (size_t i = 1; i + 1 < tokens.size(); ++i)
    if (standin::EqualsNoCase(tokens[i].text, "-game"))
      return standin::EqualsNoCase(tokens[i + 1].text, "lostcoast");
  const char* app = std::getenv("SteamAppId");
  return app && std::string(app) == quorvel::steam::kLostCoastAppId;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string commandLine = ::GetCommandLineA();
  std::string exeFolder = standin::ExeFolder();
  std::string withoutSlash = exeFolder.substr(0, exeFolder.size() - 1);
  std::string account = withoutSlash.substr(0, withoutSlash.find_last_of('\\') + 1);
  g_game.lostCoast = LostCoastWanted(commandLine);
  g_game.gameFolder = account + (g_game.lostCoast ? quorvel::steam::kLostCoastGameSubfolder
                                                  : quorvel::steam::kHl2GameSubfolder);
  if (g_game.lostCoast && !standin::DirectoryExists(g_game.gameFolder) &&
      standin::DirectoryExists(exeFolder + "lostcoast\\"))
    g_game.gameFolder = exeFolder + "lostcoast\\";
  g_game.logPath = (standin::DirectoryExists(g_game.gameFolder) ? g_game.gameFolder : exeFolder) +
                   "standin_hl2.log";
  g_game.settingsKey =
      standin::UserSid() +
      (g_game.lostCoast ? quorvel::steam::kLostCoastSettingsKey : quorvel::steam::kHl2SettingsKey);
  g_game.exitCode =
      static_cast<int>(standin::KnobNumber("hl2", "ExitCode", "QUORVEL_STANDIN_EXIT_CODE", 0));

  Log("commandline: " + commandLine);
  Log(std::string("app: ") + (g_game.lostCoast ? "340 lostcoast" : "220 hl2") + " in " +
      g_game.gameFolder);
  ReadRegistry();
  ReadAutoexec();
  if (g_game.vars.count("screenwidth")) g_game.width = std::lround(Var("screenwidth", 640));
  if (g_game.vars.count("screenheight")) g_game.height = std::lround(Var("screenheight", 480));
  ReadCommandLine(commandLine);
  Log("size: " + std::to_string(g_game.width) + "x" + std::to_string(g_game.height));

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = GameProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowExA(0, kWindowClass,
                                  g_game.lostCoast ? "HALF-LIFE 2: LOST COAST" : "HALF-LIFE 2",
                                  WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (window) {
    if (g_game.timedemo) {
      g_game.demoFound =
          standin::FileExists(g_game.gameFolder + g_game.demo + quorvel::steam::kDemoExtension);
      Log("timedemo: " + g_game.demo + (g_game.demoFound ? " found" : " missing"));
      if (g_game.demoFound) {
        long play = standin::KnobNumber("hl2", "PlayMs", "QUORVEL_STANDIN_PLAY_MS", 3000);
        ::SetTimer(window, kPlayTimer, static_cast<UINT>(play > 0 ? play : 1), nullptr);
      } else {
        ::DestroyWindow(window);
      }
    } else {
      long menu = standin::KnobNumber("hl2", "MenuMs", "QUORVEL_STANDIN_MENU_MS", 0);
      if (menu > 0) ::SetTimer(window, kMenuTimer, static_cast<UINT>(menu), nullptr);
    }
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  StoreScreenSize();
  Log("exit: " + std::to_string(g_game.exitCode));
  return g_game.exitCode;
}
