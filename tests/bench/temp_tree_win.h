#pragma once
// A private folder tree for one test, removed with everything in it when the test ends.
#include <string>

#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/win.h"
#include "settings/game_paths.h"

namespace quorvel::bench_test {

inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  FindHandle find(::FindFirstFileA((folder + "*").c_str(), &found));
  if (find) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find.Get(), &found));
  }
  find.Reset();
  ::RemoveDirectoryA(folder.c_str());
}

class TempTree {
 public:
  explicit TempTree(const std::string& name) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "quorvel_" + name + "_" + std::to_string(::GetCurrentProcessId()) +
            "\\";
    RemoveTree(root_);
    files::ForceDirectories(root_);
  }
  ~TempTree() { RemoveTree(root_); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Folder below the root, created, ending with "\".
  std::string Folder(const std::string& relative) const {
    std::string path = root_ + relative;
    if (!path.empty() && path.back() != '\\') path += '\\';
    files::ForceDirectories(path);
    return path;
  }
  const std::string& Root() const { return root_; }

  // Program folder "prog\", Steam "steam\" and an account with both games' folders.
  GamePaths Games(const std::string& sid = "S-1-5-21-0-0-0-1000") const {
    GamePaths paths =
        DeriveGamePaths(Folder("prog"), Folder("steam"), Folder("steam\\steamapps\\gamer"), sid);
    Folder("steam\\steamapps\\gamer\\half-life 2\\hl2\\cfg");
    Folder("steam\\steamapps\\gamer\\half-life 2 lostcoast\\lostcoast\\cfg");
    return paths;
  }

 private:
  std::string root_;
};

}  // namespace quorvel::bench_test
