#pragma once
// Helpers of the start-up tests: folder trees on the build tree's drive, Unix commands for
// what Win32 cannot make under Wine (symbolic links, very deep paths), and programs beside
// the test executable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/handles_win.h"

namespace quorvel::testing {

// The Windows form (Z: drive) of a Unix path.
inline std::string WindowsPath(const std::string& unixPath) {
  std::string out = "Z:" + unixPath;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

// Starts a program and waits for its end; its exit code, or -1 when it could not be started
// or did not end within `timeoutMs` (it is then killed).
inline int RunAndWait(const std::string& program, const std::string& commandLine,
                      DWORD timeoutMs = 30000) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  std::string line = commandLine;
  if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return -1;
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 99);
    ::WaitForSingleObject(process.Get(), 5000);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

// Runs a Unix command (Wine starts Unix programs too, but hands back no handle to wait on:
// the shell leaves the exit status in a marker file that is polled for). Arguments must not
// hold quotes.
inline void RunUnix(const std::vector<std::string>& argv) {
  static int runs = 0;
  const char* build = std::getenv("QUORVEL_BUILD");
  const std::string marker = std::string(build && *build ? build : "/tmp") + "/unix_run_" +
                             std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++runs);
  std::string command;
  for (const std::string& arg : argv) command += "'" + arg + "' ";
  command += "; echo $? > " + marker + ".tmp; mv " + marker + ".tmp " + marker;
  std::string line = "/bin/sh -c \"" + command + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(::CreateProcessA(WindowsPath("/bin/sh").c_str(), line.data(), nullptr, nullptr, FALSE,
                               0, nullptr, nullptr, &startup, &info))
      << line;
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  std::optional<std::string> status;
  for (int i = 0; i < 600 && !status; ++i) {
    status = files::ReadAll(WindowsPath(marker));
    if (!status) ::Sleep(50);
  }
  ASSERT_TRUE(status) << "no end of " << line;
  ::DeleteFileA(WindowsPath(marker).c_str());
  ASSERT_EQ(*status, "0\n") << line;
}

// A folder tree of its own, removed at the end of the test. Paths given to its functions are
// relative, with "\" separators. It lies below a short folder of /tmp rather than the build
// tree, so that the deep game folders the tests lay out stay within the longest Windows path
// however long the checkout's path is; the test run's own prefix (its name and a number from its
// whole path) keeps runs of different checkouts apart.
class Tree {
 public:
  explicit Tree(const std::string& name) {
    std::string run = "run";
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
      std::string path = prefix;
      while (!path.empty() && path.back() == '/') path.pop_back();
      run = path.substr(path.find_last_of('/') + 1) + "_" +
            std::to_string(std::hash<std::string>{}(path) % 1000000);
    }
    unixRoot_ =
        "/tmp/quorvel-trees/" + run + "/" + name + "_" + std::to_string(::GetCurrentProcessId());
    RunUnix({"/bin/rm", "-rf", unixRoot_});
    root_ = WindowsPath(unixRoot_) + "\\";
    files::ForceDirectories(root_);
  }
  ~Tree() { RunUnix({"/bin/rm", "-rf", unixRoot_}); }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  // The tree's folder, ending with "\".
  const std::string& Root() const { return root_; }
  std::string Unix(const std::string& relative) const {
    std::string out = unixRoot_ + "/" + relative;
    for (char& c : out)
      if (c == '\\') c = '/';
    return out;
  }

  void Folder(const std::string& relative) const {
    ASSERT_TRUE(files::ForceDirectories(root_ + relative)) << relative;
  }
  // An empty file, with the folders above it.
  void File(const std::string& relative) const {
    size_t cut = relative.find_last_of('\\');
    if (cut != std::string::npos) Folder(relative.substr(0, cut));
    ASSERT_TRUE(files::WriteAll(root_ + relative, "")) << relative;
  }
  // A symbolic link named `relative` to `target` (as Unix sees it).
  void Link(const std::string& relative, const std::string& target) const {
    RunUnix({"/bin/ln", "-s", target, Unix(relative)});
  }
  // The names of a folder's subfolders in the order the file system lists them.
  std::vector<std::string> Listed(const std::string& relative) const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((root_ + relative + "\\*").c_str(), &entry));
    if (!find) return names;
    do {
      std::string name = entry.cFileName;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
        names.push_back(name);
    } while (::FindNextFileA(find.Get(), &entry));
    return names;
  }

 private:
  std::string unixRoot_;
  std::string root_;
};

// A drive letter of the test's own Wine prefix that leads to a Unix folder, for paths whose
// length the test controls whatever the checkout's path; removed again at the end.
class DriveLink {
 public:
  DriveLink(char letter, const std::string& unixTarget) {
    const char* prefix = std::getenv("WINEPREFIX");
    EXPECT_TRUE(prefix && *prefix) << "no WINEPREFIX";
    if (!prefix || !*prefix) return;
    link_ = std::string(prefix) + "/dosdevices/" + static_cast<char>(letter | 0x20) + ":";
    RunUnix({"/bin/ln", "-sfn", unixTarget, link_});
    root_ = std::string(1, letter) + ":\\";
  }
  ~DriveLink() {
    if (!link_.empty()) RunUnix({"/bin/rm", "-f", link_});
  }
  DriveLink(const DriveLink&) = delete;
  DriveLink& operator=(const DriveLink&) = delete;
  // "X:\", or "" when the link could not be made.
  const std::string& Root() const { return root_; }

 private:
  std::string link_;
  std::string root_;
};

// A Steam folder of today, tree.Root() + "Steam\\": `files` empty files spread over 100 game
// folders of "steamapps\\common\\", and Half-Life 2 (its "hl2.exe", "hl2\\cfg\\") in
// "steamapps\\common\\Half-Life 2\\". Made by the shell, which is much quicker at it.
inline void MakeLargeSteamFolder(const Tree& tree, long files) {
  const std::string script =
      "cd \"$1\" || exit 1\n"
      "mkdir -p Steam/steamapps/common || exit 1\n"
      "seq 0 99 | sed 's|^|Steam/steamapps/common/game|' | xargs mkdir -p || exit 1\n"
      "seq 0 $(($2 - 1)) | awk '{printf \"Steam/steamapps/common/game%d/file%d.dat\\n\", "
      "$1 % 100, $1}' | xargs touch || exit 1\n"
      "mkdir -p 'Steam/steamapps/common/Half-Life 2/hl2/cfg' || exit 1\n"
      "touch 'Steam/steamapps/common/Half-Life 2/hl2.exe'\n";
  ASSERT_TRUE(files::WriteAll(tree.Root() + "make.sh", script));
  RunUnix({"/bin/sh", tree.Unix("make.sh"), tree.Unix(""), std::to_string(files)});
}

// A built program beside the test executable.
inline std::string BesideTests(const std::string& name) { return files::ProgramFolder() + name; }

}  // namespace quorvel::testing
