// The real program started as a process on a prepared machine: what start-up writes, the
// single running instance, and leaving through the system close.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_test_support_win.h"
#include "platform/files_win.h"
#include "support/program_env_win.h"
#include "ui/main_window_win.h"

namespace quorvel::testing {
namespace {

struct WindowCount {
  int count = 0;
  HWND last = nullptr;
};

BOOL CALLBACK CountMainWindows(HWND window, LPARAM param) {
  char cls[64] = {};
  ::GetClassNameA(window, cls, sizeof cls);
  if (std::string(cls) == kMainWindowClass) {
    auto* found = reinterpret_cast<WindowCount*>(param);
    ++found->count;
    found->last = window;
  }
  return TRUE;
}

// The visible top-level windows of a process.
int VisibleWindowsOf(DWORD process) {
  struct Count {
    DWORD process;
    int count;
  } found{process, 0};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* count = reinterpret_cast<Count*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == count->process && ::IsWindowVisible(window)) ++count->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.count;
}

int MainWindows() {
  WindowCount found;
  ::EnumWindows(CountMainWindows, reinterpret_cast<LPARAM>(&found));
  return found.count;
}

// The account whose "hl2.exe" the search visits last: accounts in the order the file system
// lists them.
std::string LastListedAccount(const std::string& steamApps) {
  std::string last;
  WIN32_FIND_DATAA entry;
  FindHandle find(::FindFirstFileA((steamApps + "*").c_str(), &entry));
  if (!find) return last;
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (files::FileExists(steamApps + name + "\\half-life 2\\hl2.exe"))
      last = steamApps + name + "\\";
  } while (::FindNextFileA(find.Get(), &entry));
  return last;
}

TEST(ProgramTest, StartWritesTheLastVisitedAccountAndASecondStartWakesTheFirst) {
  ProgramEnvironment machine("ProgramTest_Start");
  machine.CreateSettingsKey({{"Path", "stale"}, {"News", "1"}});
  machine.CreateSteamKey();
  const std::string steamApps = machine.SteamFolder + "steamapps\\";
  for (const char* account : {"alice", "player", "zoe"})
    WriteFile(steamApps + account + "\\half-life 2\\hl2.exe", "game");
  files::ForceDirectories(steamApps + "nogame\\half-life 2");
  const std::string expected = LastListedAccount(steamApps);
  ASSERT_FALSE(expected.empty());

  const std::vector<std::pair<std::string, std::string>> env = {
      {"QUORVEL_SEAM_LOG", machine.Root + "seams.log"},
      {"QUORVEL_SEAM_NO_SHELL", "1"},
      {"QUORVEL_SEAM_MODES", "640x480,800x600,1024x768"}};
  StartedProcess first = machine.StartProgram(env);
  ASSERT_TRUE(first.Process);
  HWND window = machine.WaitForWindow(first.Id, 60000);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(machine.Setting("Path"), expected);
  EXPECT_EQ(MainWindows(), 1);

  ::ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(window));
  StartedProcess second = machine.StartProgram(env);
  ASSERT_TRUE(second.Process);
  EXPECT_EQ(machine.WaitExit(second, 60000), 0);
  EXPECT_EQ(MainWindows(), 1);
  EXPECT_FALSE(::IsIconic(window));  // restored
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetForegroundWindow(), window);
  EXPECT_EQ(machine.WaitExit(first, 0), -1);  // the first still runs

  // Closing through the system writes the exit values and ends the program.
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(machine.WaitExit(first, 30000), 0);
  EXPECT_EQ(machine.Setting("News"), "0");
  auto log = files::ReadAll(machine.Root + "seams.log");
  EXPECT_EQ(log.value_or(""), "");  // nothing was shown on the way
}

TEST(ProgramTest, ACopyInAnotherFolderIsAProgramOfItsOwn) {
  ProgramEnvironment machine("ProgramTest_Copy");
  machine.CreateSettingsKey();
  machine.CreateSteamKey();
  const std::string copy = machine.Root + "Other\\quorvel_testhost.exe";
  files::ForceDirectories(machine.Root + "Other");
  ASSERT_TRUE(::CopyFileA(machine.ProgramPath.c_str(), copy.c_str(), FALSE));
  const std::vector<std::pair<std::string, std::string>> env = {{"QUORVEL_SEAM_NO_SHELL", "1"}};
  StartedProcess first = machine.StartProgram(env);
  ASSERT_NE(machine.WaitForWindow(first.Id, 60000), nullptr);
  StartedProcess other = machine.Start(copy, env);
  EXPECT_NE(machine.WaitForWindow(other.Id, 60000), nullptr);
  EXPECT_EQ(machine.WaitExit(other, 0), -1);
  EXPECT_EQ(MainWindows(), 2);
}

TEST(ProgramTest, TwoStartsDuringALongGameSearchGiveOneInstanceInFront) {
  ProgramEnvironment machine("ProgramTest_TwoStarts");
  machine.CreateSettingsKey();
  Tree tree("two_starts");
  MakeLargeSteamFolder(tree, 100000);
  machine.SteamFolder = tree.Root() + "Steam\\";
  machine.CreateSteamKey();

  const std::vector<std::pair<std::string, std::string>> env = {{"QUORVEL_SEAM_NO_SHELL", "1"}};
  StartedProcess starts[2];
  starts[0] = machine.StartProgram(env);
  starts[1] = machine.StartProgram(env);
  ASSERT_TRUE(starts[0].Process);
  ASSERT_TRUE(starts[1].Process);
  // One of them ends by itself; the other is the program.
  int ended = -1;
  for (int wait = 0; wait < 600 && ended < 0; ++wait)
    for (int i = 0; i < 2 && ended < 0; ++i)
      if (machine.WaitExit(starts[i], i == 0 ? 100 : 0) >= 0) ended = i;
  ASSERT_GE(ended, 0) << "both starts still run";
  EXPECT_EQ(machine.WaitExit(starts[ended], 0), 0);
  StartedProcess& running = starts[1 - ended];
  HWND window = machine.WaitForWindow(running.Id, 120000);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(machine.WaitExit(running, 0), -1);
  EXPECT_EQ(MainWindows(), 1);
  // The small start-up window has gone: the main window is all there is.
  EXPECT_EQ(VisibleWindowsOf(running.Id), 1);
  EXPECT_EQ(::GetForegroundWindow(), window);
  EXPECT_EQ(machine.Setting("Path"), machine.SteamFolder + "steamapps\\common\\");
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(machine.WaitExit(running, 30000), 0);
}

}  // namespace
}  // namespace quorvel::testing
