#include "app/single_instance_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_test_support_win.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"

namespace quorvel {
namespace {

using testing::BesideTests;
using testing::Tree;

constexpr const char* kToolClass = "QuorvelGuardTool";

// The tool's windows now on the desktop, with their processes.
std::vector<std::pair<HWND, DWORD>> ToolWindows() {
  std::vector<std::pair<HWND, DWORD>> found;
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        char name[64] = {};
        ::GetClassNameA(window, name, sizeof(name));
        if (std::string(name) == kToolClass) {
          DWORD process = 0;
          ::GetWindowThreadProcessId(window, &process);
          reinterpret_cast<std::vector<std::pair<HWND, DWORD>>*>(param)->emplace_back(window,
                                                                                      process);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// One started guard tool; killed at the end of the test when still running.
class Tool {
 public:
  Tool(const std::string& program, const std::string& arguments) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string line = "guard_tool.exe " + arguments;
    started_ = ::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &info);
    process_.Reset(info.hProcess);
    UniqueHandle(info.hThread);
    id_ = info.dwProcessId;
  }
  ~Tool() {
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.Get(), 99);
      ::WaitForSingleObject(process_.Get(), 10000);
    }
  }
  bool Started() const { return started_; }

  // Its window once it shows one; null when it does not within 30 s.
  HWND Window() const {
    for (int i = 0; i < 600; ++i) {
      for (const auto& [window, process] : ToolWindows())
        if (process == id_ && ::IsWindowVisible(window)) return window;
      if (::WaitForSingleObject(process_.Get(), 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }
  // Its exit code once it has ended; -1 when it still runs after `ms`.
  int ExitCode(DWORD ms) const {
    if (::WaitForSingleObject(process_.Get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return static_cast<int>(code);
  }
  int Close() const {
    if (HWND window = Window()) ::PostMessageA(window, WM_CLOSE, 0, 0);
    return ExitCode(30000);
  }

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
  bool started_ = false;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = tree_.Root() + "guard.log";
    ::SetEnvironmentVariableA("QUORVEL_GUARD_LOG", log_.c_str());
  }
  void TearDown() override { ::SetEnvironmentVariableA("QUORVEL_GUARD_LOG", nullptr); }

  // The tool's log lines that start with `kind`.
  std::vector<std::string> Logged(const std::string& kind) const {
    std::vector<std::string> lines;
    for (const std::string& line : text::Split(files::ReadAll(log_).value_or(""), '\n'))
      if (line.rfind(kind, 0) == 0) lines.push_back(line);
    return lines;
  }

  // A window of the test's own in front, so that bringing the tool forward shows.
  HWND FrontWindow() {
    HWND window = ::CreateWindowA("STATIC", "in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                  100, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(window);
    Pump();
    return window;
  }
  static void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }

  Tree tree_{"guard"};
  std::string log_;
  const std::string tool_ = BesideTests("guard_tool.exe");
};

TEST_F(SingleInstanceTest, SecondStartBringsTheFirstForwardAndEnds) {
  Tool first(tool_, "--minimized");
  ASSERT_TRUE(first.Started());
  HWND window = first.Window();
  ASSERT_TRUE(window);
  EXPECT_TRUE(::IsIconic(window));
  HWND front = FrontWindow();
  ASSERT_EQ(::GetForegroundWindow(), front);

  Tool second(tool_, "second start 42");
  EXPECT_EQ(second.ExitCode(30000), 0);
  Pump();
  EXPECT_FALSE(::IsIconic(window));
  EXPECT_EQ(::GetForegroundWindow(), window);
  EXPECT_EQ(ToolWindows().size(), 1u);
  EXPECT_EQ(Logged("window ").size(), 1u);
  EXPECT_EQ(Logged("handed over ").size(), 1u);
  std::vector<std::string> handed = Logged("command line ");
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_NE(handed[0].find("second start 42"), std::string::npos) << handed[0];

  // A window already in view is only brought forward.
  ::SetForegroundWindow(front);
  Tool third(tool_, "third");
  EXPECT_EQ(third.ExitCode(30000), 0);
  EXPECT_EQ(::GetForegroundWindow(), window);
  EXPECT_EQ(Logged("handed over ").size(), 2u);
  ::DestroyWindow(front);

  // Once the first has ended, a new start runs by itself.
  EXPECT_EQ(first.Close(), 0);
  Tool after(tool_, "");
  EXPECT_TRUE(after.Window());
  // The tool logs its window just after showing it; under load the line may come later.
  for (int i = 0; i < 100 && Logged("window ").size() < 2u; ++i) ::Sleep(100);
  EXPECT_EQ(Logged("window ").size(), 2u);
  EXPECT_EQ(after.Close(), 0);
}

TEST_F(SingleInstanceTest, CopyInAnotherFolderIsNotStopped) {
  tree_.Folder("copy");
  const std::string copy = tree_.Root() + "copy\\guard_tool.exe";
  ASSERT_TRUE(::CopyFileA(tool_.c_str(), copy.c_str(), FALSE));
  Tool first(tool_, "");
  ASSERT_TRUE(first.Window());
  Tool other(copy, "");
  EXPECT_TRUE(other.Window());
  EXPECT_EQ(other.ExitCode(0), -1);
  EXPECT_EQ(ToolWindows().size(), 2u);
  EXPECT_EQ(Logged("handed over ").size(), 0u);
  // Each is now the first of its own program file.
  Tool again(copy, "again");
  EXPECT_EQ(again.ExitCode(30000), 0);
  EXPECT_EQ(Logged("handed over ").size(), 1u);
  EXPECT_EQ(first.Close(), 0);
  EXPECT_EQ(other.Close(), 0);
}

TEST_F(SingleInstanceTest, ABusyFirstInstanceIsNeverJoinedByASecond) {
  // The first shows its window and then keeps its thread busy for 20 s without answering.
  Tool first(tool_, "--busy");
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(first.Window());
  Tool second(tool_, "second");
  // The second gives up waiting for an answer and ends without a window of its own.
  EXPECT_EQ(second.ExitCode(15000), 0);
  EXPECT_EQ(ToolWindows().size(), 1u);
  EXPECT_EQ(Logged("window ").size(), 1u);
  EXPECT_EQ(Logged("handed over ").size(), 1u);
  EXPECT_EQ(first.ExitCode(0), -1);
}

TEST_F(SingleInstanceTest, StartsAtTheSameMomentGiveOneInstance) {
  std::vector<std::unique_ptr<Tool>> starts;
  for (int i = 0; i < 3; ++i) starts.push_back(std::make_unique<Tool>(tool_, "together"));
  int ended = 0;
  for (int wait = 0; wait < 300 && ended < 2; ++wait) {
    ::Sleep(100);
    ended = 0;
    for (auto& start : starts)
      if (start->ExitCode(0) == 0) ++ended;
  }
  ASSERT_EQ(ended, 2);
  for (auto& start : starts)
    if (start->ExitCode(0) == -1) EXPECT_TRUE(start->Window());
  EXPECT_EQ(ToolWindows().size(), 1u);
  EXPECT_EQ(Logged("window ").size(), 1u);
  EXPECT_EQ(Logged("handed over ").size(), 2u);
}

// Guards of one made-up program file inside this process, so every step can be watched.
TEST(SingleInstanceGuard, OnlyALiveAnsweringWindowIsActivatedAndNoSecondInstanceRuns) {
  const std::string program =
      "C:\\Quorvel Tests\\" + std::to_string(::GetCurrentProcessId()) + "\\quorvel.exe";
  {
    SingleInstanceGuard alone(program);
    EXPECT_FALSE(alone.ActivateOther());
  }
  auto first = std::make_unique<SingleInstanceGuard>(program);
  EXPECT_FALSE(first->ActivateOther());
  HWND window = ::CreateWindowA("STATIC", "first", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  ::ShowWindow(window, SW_SHOWMINIMIZED);
  first->SetMainWindow(window);
  std::string handed;
  first->OnCommandLine([&](const std::string& line) { handed = line; });
  {
    // The path's case does not matter: it names the same program file.
    SingleInstanceGuard second(text::Lower(program));
    EXPECT_TRUE(second.ActivateOther());
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(handed, ::GetCommandLineA());
  }
  // The hook passes the window's own messages on.
  ::SetWindowTextA(window, "renamed");
  char title[32] = {};
  ::GetWindowTextA(window, title, sizeof(title));
  EXPECT_STREQ(title, "renamed");

  // Without its window the first instance cannot be activated, but it still runs: after the
  // wait the next start ends all the same instead of running beside it.
  ::DestroyWindow(window);
  handed.clear();
  {
    SingleInstanceGuard third(program);
    EXPECT_TRUE(third.ActivateOther());
    EXPECT_EQ(handed, "");
  }
  // Once the first has ended, the next start is the running instance.
  first.reset();
  SingleInstanceGuard fourth(program);
  EXPECT_FALSE(fourth.ActivateOther());
}

}  // namespace
}  // namespace quorvel
