// The start-up's game search against a bare FindFirstFileA walk of the same Steam folder, at
// 100 000 and at 1 000 000 files, and the time from starting the program to its first
// window on the screen and to an enabled run button with that Steam folder, with Steam's
// records of today (library list and app manifest) and without them (2004-08: the full
// search), next to a bare windowed program's first window.
// Builds each Steam folder once (with the shell, in "perf_trees\" beside the program),
// reuses it later, warms the file cache, then times both walks in turns and prints their
// medians, minimums and ratio next to the goal.
//   perf_game_search.exe [100000|1000000 ...]   (default: both)
//   perf_game_search.exe --startup [N ...]      only the program's start-up in both layouts
//   perf_game_search.exe --walk-once N          one bare walk of the tree of N files, for
//                                              looking at it from outside (strace -c)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/game_discovery_win.h"
#include "measure.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"
#include "ui/resource_ids.h"

namespace {

using quorvel::perf::Median;

constexpr double kGoal = 0.8;
constexpr double kScreenGoalSeconds = 0.5;
constexpr double kRunButtonGoalSeconds = 0.5;
constexpr int kFilesPerGame = 20000;  // 1 000 folders of 20 files

// The Unix form of a Z: path (where the build tree lies).
std::string UnixPath(const std::string& windowsPath) {
  std::string out = windowsPath.substr(2);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

// Runs a shell script and waits for it (Wine hands back no handle for a Unix program to
// wait on, so the script leaves a marker file).
bool RunShell(const std::string& script, const std::string& folder) {
  const std::string scriptPath = folder + "make.sh";
  const std::string marker = folder + "made.txt";
  ::DeleteFileA(marker.c_str());
  if (!quorvel::files::WriteAll(scriptPath, script + "echo $? > \"" + UnixPath(marker) + "\"\n"))
    return false;
  std::string line = "/bin/sh \"" + UnixPath(scriptPath) + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return false;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  for (int i = 0; i < 20 * 60 * 30; ++i) {  // up to 30 minutes
    if (auto status = quorvel::files::ReadAll(marker)) return *status == "0\n";
    ::Sleep(50);
  }
  return false;
}

// Steam\steamapps\common\gameN\dataK\partJ\fileI.dat: `games` games of 20 000 files in
// 1 000 folders; "hl2.exe" in an account of the 2004-08 layout and in today's
// "steamapps\common\Half-Life 2\" (visited later, so it wins).
bool BuildTree(const std::string& root, int games) {
  const std::string unixRoot = UnixPath(root);
  std::string script = "set -e\ncd \"" + unixRoot + "\"\n";
  script += "mkdir -p 'Steam/steamapps/player/half-life 2' 'Steam/steamapps/common/Half-Life 2'\n";
  script +=
      "touch Steam/steam.exe 'Steam/steamapps/player/half-life 2/hl2.exe' "
      "'Steam/steamapps/common/Half-Life 2/hl2.exe'\n";
  script += "seq 0 " + std::to_string(games - 1) +
            " | while read g; do for k in 0 1 2 3 4 5 6 7 8 9; do "
            "seq 0 99 | sed \"s|^|Steam/steamapps/common/game$g/data$k/part|\"; done; done"
            " | xargs mkdir -p\n";
  script += "seq 0 " + std::to_string(games * kFilesPerGame - 1) +
            " | awk '{n=$1; g=int(n/20000); r=n%20000; f=int(r/20); "
            "printf \"Steam/steamapps/common/game%d/data%d/part%d/file%d.dat\\n\", "
            "g, int(f/100), f%100, r%20}' | xargs touch\n";
  return RunShell(script, root);
}

// The least a recursive walk does: list every folder, descend into every subfolder.
long BareWalk(std::string& path) {
  long entries = 0;
  const size_t length = path.size();
  path += '*';
  WIN32_FIND_DATAA entry;
  quorvel::FindHandle find(::FindFirstFileA(path.c_str(), &entry));
  path.resize(length);
  if (!find) return 0;
  do {
    const char* name = entry.cFileName;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    ++entries;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      path += name;
      path += '\\';
      entries += BareWalk(path);
      path.resize(length);
    }
  } while (::FindNextFileA(find.Get(), &entry));
  return entries;
}

// The same walk listing with FindFirstFileExA (basic entries, large fetch), as the search
// does: shows what those flags save on this platform.
long BareWalkEx(std::string& path) {
  long entries = 0;
  const size_t length = path.size();
  path += '*';
  WIN32_FIND_DATAA entry;
  quorvel::FindHandle find(::FindFirstFileExA(path.c_str(), FindExInfoBasic, &entry,
                                              FindExSearchNameMatch, nullptr,
                                              FIND_FIRST_EX_LARGE_FETCH));
  path.resize(length);
  if (!find) return 0;
  do {
    const char* name = entry.cFileName;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    ++entries;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      path += name;
      path += '\\';
      entries += BareWalkEx(path);
      path.resize(length);
    }
  } while (::FindNextFileA(find.Get(), &entry));
  return entries;
}

double Now() {
  LARGE_INTEGER frequency, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct WindowSearch {
  DWORD process;
  bool enabled;  // only a window that takes input
  HWND found;
};

BOOL CALLBACK VisibleWindowOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && ::IsWindowVisible(window) &&
      (!search->enabled || ::IsWindowEnabled(window))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Seconds from the start of `started` to its first visible window, to a window of it taking
// input (the program's start-up ended) and, with `runButton`, to an enabled run button in it;
// negative when it does not come within 10 minutes.
struct ScreenTimes {
  double shown = -1;
  double ready = -1;
  double runButton = -1;
};

ScreenTimes WatchWindow(const quorvel::testing::StartedProcess& started, double t0,
                        bool runButton = false) {
  ScreenTimes times;
  while (Now() - t0 < 600) {
    if (times.shown < 0) {
      WindowSearch search{started.Id, false, nullptr};
      ::EnumWindows(VisibleWindowOf, reinterpret_cast<LPARAM>(&search));
      if (search.found) times.shown = Now() - t0;
    }
    WindowSearch ready{started.Id, true, nullptr};
    ::EnumWindows(VisibleWindowOf, reinterpret_cast<LPARAM>(&ready));
    if (ready.found) {
      if (times.ready < 0) times.ready = Now() - t0;
      if (!runButton) return times;
      HWND button = quorvel::testing::FindChildById(ready.found, IDC_BENCHBUTTON);
      if (button && ::IsWindowEnabled(button)) {
        times.runButton = Now() - t0;
        return times;
      }
      // The start-up has ended with the run button off: it stays off.
      if (times.ready >= 0 && Now() - t0 > times.ready + 5) return times;
    }
    if (::WaitForSingleObject(started.Process.Get(), 2) == WAIT_OBJECT_0) return times;
  }
  return times;
}

void Close(quorvel::testing::ProgramEnvironment& machine,
           quorvel::testing::StartedProcess& started) {
  WindowSearch search{started.Id, true, nullptr};
  ::EnumWindows(VisibleWindowOf, reinterpret_cast<LPARAM>(&search));
  if (search.found) ::PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (machine.WaitExit(started, 30000) < 0) machine.Kill(started);
}

bool MeasureStartup(const std::string& steam);

// Only the program's start-up, not the walks (--startup).
bool startupOnly = false;

bool Measure(const std::string& base, long files) {
  const int games = static_cast<int>(files / kFilesPerGame);
  const std::string root = base + "game_search_" + std::to_string(files) + "\\";
  const std::string steam = root + "Steam\\";
  const std::string ready = root + "ready.txt";
  std::printf("== %ld files\n", files);
  if (!quorvel::files::FileExists(ready)) {
    std::printf("building the Steam folder in %s ...\n", steam.c_str());
    std::fflush(stdout);
    quorvel::files::ForceDirectories(root);
    if (!BuildTree(root, games)) {
      std::printf("cannot build the tree\n");
      return false;
    }
    quorvel::files::WriteAll(ready, "built\n");
  }

  std::string path = steam;
  const long entries = BareWalk(path);  // warms the cache
  if (startupOnly) {
    std::printf("entries: %ld\n", entries);
    return MeasureStartup(steam);
  }
  // Which of the two accounts is visited last depends on the file system's listing order.
  const std::string found = quorvel::FindAccountFolder(steam);
  if (found != steam + "steamapps\\common\\" && found != steam + "steamapps\\player\\") {
    std::printf("wrong account folder: \"%s\"\n", found.c_str());
    return false;
  }
  std::printf("entries: %ld, account folder: %s\n", entries, found.c_str());

  const int rounds = files > 200000 ? 3 : 9;
  std::vector<double> search;
  std::vector<double> bare;
  std::vector<double> bareEx;
  for (int round = 0; round < rounds; ++round) {
    const double t0 = Now();
    std::string result = quorvel::FindAccountFolder(steam);
    const double t1 = Now();
    path = steam;
    long walked = BareWalk(path);
    const double t2 = Now();
    path = steam;
    long walkedEx = BareWalkEx(path);
    const double t3 = Now();
    bareEx.push_back(t3 - t2);
    if (result != found || walked != entries || walkedEx != entries) {
      std::printf("walks disagree between rounds\n");
      return false;
    }
    search.push_back(t1 - t0);
    bare.push_back(t2 - t1);
  }
  const double searchMedian = Median(search);
  const double bareMedian = Median(bare);
  const double searchMin = *std::min_element(search.begin(), search.end());
  const double bareMin = *std::min_element(bare.begin(), bare.end());
  std::printf("game search:  median %.3f s, minimum %.3f s (%d rounds)\n", searchMedian, searchMin,
              rounds);
  std::printf("bare walk:    median %.3f s, minimum %.3f s\n", bareMedian, bareMin);
  std::printf(
      "bare walk with FindFirstFileExA (basic, large fetch): median %.3f s, minimum "
      "%.3f s, ratio to the bare walk %.3f\n",
      Median(bareEx), *std::min_element(bareEx.begin(), bareEx.end()), Median(bareEx) / bareMedian);
  std::printf("ratio search/bare: median %.3f, minimum %.3f (goal <= %.1f) %s\n",
              searchMedian / bareMedian, searchMin / bareMin, kGoal,
              searchMedian / bareMedian <= kGoal ? "met" : "NOT MET");

  return MeasureStartup(steam);
}

// Steam's records of today for the tree: its library list naming the Steam folder alone and
// Half-Life 2's app manifest; without them the tree is a Steam folder of 2004-08.
void UseSteamRecords(const std::string& steam, bool today) {
  const std::string list = steam + "steamapps\\libraryfolders.vdf";
  const std::string manifest = steam + "steamapps\\appmanifest_220.acf";
  ::DeleteFileA(list.c_str());
  ::DeleteFileA(manifest.c_str());
  if (!today) return;
  std::string escaped;
  for (char c : steam.substr(0, steam.size() - 1))
    escaped += c == '\\' ? "\\\\" : std::string(1, c);
  quorvel::files::WriteAll(
      list, "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + escaped + "\"\n\t}\n}\n");
  quorvel::files::WriteAll(manifest,
                           "\"AppState\"\n{\n\t\"appid\"\t\t\"220\"\n\t\"installdir\"\t\t"
                           "\"Half-Life 2\"\n}\n");
}

// The program started on a machine whose Steam folder is the tree, in both layouts side by
// side: time to its first window and to an enabled run button.
bool MeasureStartup(const std::string& steam) {
  quorvel::testing::ProgramEnvironment machine("perf_game_search");
  machine.CreateSettingsKey();
  machine.SteamFolder = steam;
  machine.CreateSteamKey();
  const std::vector<std::pair<std::string, std::string>> env = {{"QUORVEL_SEAM_NO_SHELL", "1"}};
  bool ok = true;
  for (bool today : {true, false}) {
    UseSteamRecords(steam, today);
    std::vector<double> shown, readyTimes, runButton, bareShown;
    for (int start = 0; start < 3; ++start) {
      double t0 = Now();
      quorvel::testing::StartedProcess program = machine.StartProgram(env);
      ScreenTimes programTimes = WatchWindow(program, t0, true);
      Close(machine, program);
      // A bare windowed program: what Wine itself needs to start a process and show a window.
      t0 = Now();
      quorvel::testing::StartedProcess bareProgram =
          machine.Start(quorvel::testing::BuildFolder() + "guard_tool.exe");
      ScreenTimes bareTimes = WatchWindow(bareProgram, t0);
      Close(machine, bareProgram);
      shown.push_back(programTimes.shown);
      readyTimes.push_back(programTimes.ready);
      runButton.push_back(programTimes.runButton);
      bareShown.push_back(bareTimes.shown);
    }
    const double shownMedian = Median(shown);
    const double buttonMedian = Median(runButton);
    const bool buttonMet = buttonMedian >= 0 && buttonMedian <= kRunButtonGoalSeconds;
    std::printf(
        "%s: first window %.3f s after the start (median of 3; goal <= %.1f s) %s; "
        "start-up ended %.3f s; run button enabled %.3f s%s\n",
        today ? "today's layout (Steam's records)" : "2004-08 layout (full search)", shownMedian,
        kScreenGoalSeconds,
        shownMedian >= 0 && shownMedian <= kScreenGoalSeconds ? "met" : "NOT MET",
        Median(readyTimes), buttonMedian,
        today ? (buttonMet ? std::string(" (goal <= 0.5 s) met")
                           : std::string(" (goal <= 0.5 s) NOT MET"))
                    .c_str()
              : "");
    std::printf("  bare windowed program: window on screen %.3f s after the start (median of 3)\n",
                Median(bareShown));
    if (buttonMedian < 0) ok = false;
  }
  UseSteamRecords(steam, false);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string base = quorvel::files::ProgramFolder() + "perf_trees\\";
  if (argc == 3 && std::string(argv[1]) == "--walk-once") {
    std::string path = base + "game_search_" + argv[2] + "\\Steam\\";
    std::printf("entries: %ld\n", BareWalk(path));
    return 0;
  }
  std::vector<long> sizes;
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "--startup") {
    startupOnly = true;
    first = 2;
  }
  for (int i = first; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  bool ok = true;
  for (long files : sizes)
    if (files >= kFilesPerGame) ok = Measure(base, files) && ok;
  return ok ? 0 : 1;
}
