// The start-up's game search against a bare FindFirstFileA walk of the same Steam folder.
// Builds (once, then reuses) a Steam folder of 100 000 files in 5 000 folders with hl2.exe
// in two accounts, warms the file cache, then times both walks in turns and prints their
// medians, minimums and ratio next to the goal.
//   perf_game_search.exe [folder for the tree]   (default: "perf_trees\" beside the program)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/game_discovery_win.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"

namespace {

constexpr int kAccounts = 10;
constexpr int kGamesPerAccount = 10;
constexpr int kFoldersPerGame = 48;  // + the game folder itself and its "bin" folder
constexpr int kFilesPerFolder = 20;
constexpr int kRounds = 9;
constexpr double kGoal = 1.1;

std::string Account(int a) { return "account" + std::to_string(a); }

bool MakeFile(const std::string& path) { return quorvel::files::WriteAll(path, "x"); }

// Steam\SteamApps\accountN\gameM\{bin, dataK}\...: 5 000 folders below the accounts'
// games, 20 files each. Accounts 3 and 7 have Half-Life 2.
bool BuildTree(const std::string& steam, long* folders, long* files) {
  *folders = 0;
  *files = 0;
  if (!quorvel::files::ForceDirectories(steam)) return false;
  MakeFile(steam + "steam.exe");
  for (int a = 0; a < kAccounts; ++a) {
    for (int g = 0; g < kGamesPerAccount; ++g) {
      const std::string game = steam + "SteamApps\\" + Account(a) + "\\" +
                               (g == 0 ? std::string("half-life 2") : "game " + std::to_string(g)) +
                               "\\";
      std::vector<std::string> leaves = {game, game + "bin\\"};
      for (int f = 0; f < kFoldersPerGame; ++f)
        leaves.push_back(game + "data" + std::to_string(f / 8) + "\\part" + std::to_string(f) +
                         "\\");
      for (const std::string& folder : leaves) {
        if (!quorvel::files::ForceDirectories(folder)) return false;
        ++*folders;
        for (int i = 0; i < kFilesPerFolder; ++i) {
          if (!MakeFile(folder + "file" + std::to_string(i) + ".dat")) return false;
          ++*files;
        }
      }
      if (g == 0 && (a == 3 || a == 7)) {
        MakeFile(game + "hl2.exe");
        ++*files;
      }
    }
  }
  return true;
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

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string base = argc > 1 ? quorvel::text::WithBackslash(argv[1])
                                    : quorvel::files::ProgramFolder() + "perf_trees\\";
  const std::string steam = base + "game_search\\Steam\\";
  const std::string ready = base + "game_search\\ready.txt";
  if (!quorvel::files::FileExists(ready)) {
    std::printf("building the Steam folder in %s ...\n", steam.c_str());
    long folders = 0;
    long files = 0;
    if (!BuildTree(steam, &folders, &files)) {
      std::printf("cannot build the tree\n");
      return 1;
    }
    quorvel::files::WriteAll(
        ready, std::to_string(folders) + " folders, " + std::to_string(files) + " files\n");
  }
  std::printf("tree: %s", quorvel::files::ReadAll(ready).value_or("?\n").c_str());

  const std::string expected = steam + "SteamApps\\";
  std::string path = steam;
  const long entries = BareWalk(path);  // warms the cache
  const std::string found = quorvel::FindAccountFolder(steam);
  if (found != expected + Account(3) + "\\" && found != expected + Account(7) + "\\") {
    std::printf("wrong account folder: \"%s\"\n", found.c_str());
    return 1;
  }
  std::printf("entries: %ld, account folder: %s\n", entries, found.c_str());

  std::vector<double> search;
  std::vector<double> bare;
  for (int round = 0; round < kRounds; ++round) {
    LARGE_INTEGER t0, t1, t2;
    ::QueryPerformanceCounter(&t0);
    std::string result = quorvel::FindAccountFolder(steam);
    ::QueryPerformanceCounter(&t1);
    path = steam;
    long walked = BareWalk(path);
    ::QueryPerformanceCounter(&t2);
    if (result != found || walked != entries) {
      std::printf("walks disagree between rounds\n");
      return 1;
    }
    search.push_back(Seconds(t0, t1));
    bare.push_back(Seconds(t1, t2));
  }
  const double searchMedian = Median(search);
  const double bareMedian = Median(bare);
  const double searchMin = *std::min_element(search.begin(), search.end());
  const double bareMin = *std::min_element(bare.begin(), bare.end());
  std::printf("game search:  median %.3f s, minimum %.3f s (%d rounds)\n", searchMedian, searchMin,
              kRounds);
  std::printf("bare walk:    median %.3f s, minimum %.3f s\n", bareMedian, bareMin);
  std::printf("ratio search/bare: median %.3f, minimum %.3f (goal <= %.1f) %s\n",
              searchMedian / bareMedian, searchMin / bareMin, kGoal,
              searchMedian / bareMedian <= kGoal ? "met" : "NOT MET");
  return 0;
}
