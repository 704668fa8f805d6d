#include "sysinfo/process_presence_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/files_win.h"
#include "support/process_helpers_win.h"
#include "support/scripted_seams_win.h"

namespace quorvel {
namespace {

// Copies of the stand-ins under other names run as real processes: a Steam copy runs as the
// Steam instance, a game copy sits in its menu, both until their window is closed.
class ProcessPresenceTest : public ::testing::Test {
 protected:
  ProcessPresenceTest() : temp_("quorvel presence tests") {}

  // Starts a copy of stand-in `standin` named `name`, in a folder with a blank.
  testing::ChildProcess StartCopy(const std::string& standin, const std::string& name) {
    std::string program = temp_.Path() + "some folder\\" + name;
    EXPECT_TRUE(testing::CopyFileTo(testing::StandinsFolder() + standin, program));
    testing::ChildProcess child;
    EXPECT_TRUE(child.Start("\"" + program + "\"", temp_.Path()));
    // Running and listed, as a started program is at once.
    EXPECT_TRUE(child.Running());
    return child;
  }

  testing::TempFolder temp_;
};

TEST_F(ProcessPresenceTest, SteamCountsWheneverItsNameHoldsSteamExe) {
  const std::pair<const char*, bool> cases[] = {
      {nullptr, false},
      {"oldsteam.exe", true},
      {"STEAM.EXE", true},
      {"steamer.exe", false},
  };
  for (const auto& [name, expected] : cases) {
    SCOPED_TRACE(name ? name : "no Steam at all");
    testing::ChildProcess child;
    if (name) child = StartCopy("steam.exe", name);
    ProcessPresence presence;
    presence.SteamRunning = !expected;
    presence.ProcessNames = {"stale.exe"};
    presence.CheckSteamRunning();
    EXPECT_EQ(presence.SteamRunning, expected);
    EXPECT_EQ(std::count(presence.ProcessNames.begin(), presence.ProcessNames.end(), "stale.exe"),
              0);
    // Names come without their folder.
    if (name)
      EXPECT_EQ(std::count(presence.ProcessNames.begin(), presence.ProcessNames.end(), name), 1);
    for (const std::string& listed : presence.ProcessNames)
      EXPECT_EQ(listed.find('\\'), std::string::npos) << listed;
    child.Stop();
    ASSERT_FALSE(child.Running());
    presence.CheckSteamRunning();
    EXPECT_FALSE(presence.SteamRunning) << "after the program ended";
  }
}

// A window that counts the messages it is sent.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorvelPresenceTestWindow";
    ::RegisterClassA(&windowClass);
    hwnd = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
  }
  ~CountingWindow() { ::DestroyWindow(hwnd); }
  static inline int received = 0;
  HWND hwnd = nullptr;

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP + 7) {
      ++received;
      return 0;
    }
    return ::DefWindowProcA(h, message, w, l);
  }
};

TEST_F(ProcessPresenceTest, TheGameCountsOnlyUnderItsExactNamesAndPausesWhileItRuns) {
  const std::pair<const char*, bool> cases[] = {
      {nullptr, false},        {"xhl2.exe", false},      {"hl2.exe.bak.exe", false},
      {"HL2.EXE", true},       {"hl2.exe", true},        {"hl2_win64.exe", true},
      {"HL2_Win64.exe", true}, {"hl2_win32.exe", false},
  };
  for (const auto& [name, expected] : cases) {
    SCOPED_TRACE(name ? name : "no game at all");
    testing::ChildProcess child;
    if (name) child = StartCopy("hl2.exe", name);
    // A running game pauses through the wait seam: shortened to 500 ms here, so that a pause
    // can be told apart from none. Without a game the real 5000 ms seam is in place, which a
    // pause could not hide.
    testing::ScriptedSeams seams;
    seams.divisor_ = 10;
    if (expected) InstallSeams(&seams);
    CountingWindow window;
    CountingWindow::received = 0;
    ASSERT_TRUE(window.hwnd);
    ::PostMessageA(window.hwnd, WM_APP + 7, 0, 0);
    ProcessPresence presence;
    presence.GameRunning = !expected;
    DWORD start = ::GetTickCount();
    presence.CheckGameRunning();
    DWORD elapsed = ::GetTickCount() - start;
    InstallSeams(nullptr);
    EXPECT_EQ(presence.GameRunning, expected);
    if (expected) {
      EXPECT_GE(elapsed, 450u);
      EXPECT_EQ(CountingWindow::received, 1) << "pending messages were not handled";
    } else {
      EXPECT_LT(elapsed, 2500u);
      EXPECT_EQ(CountingWindow::received, 0) << "messages were handled without a game";
    }
    child.Stop();
    ASSERT_FALSE(child.Running());
    if (expected) {
      presence.CheckGameRunning();
      EXPECT_FALSE(presence.GameRunning) << "after the game quit";
    }
    testing::PumpFor(50);
  }
}

// Today's game may leave its 32-bit launcher behind as an ended process of the same family:
// whichever of the two names is still alive, the game runs until both are gone.
TEST_F(ProcessPresenceTest, TheGameRunsWhileEitherNameIsAlive) {
  for (const char* last : {"hl2_win64.exe", "hl2.exe"}) {
    SCOPED_TRACE(last);
    const char* first = std::string(last) == "hl2.exe" ? "hl2_win64.exe" : "hl2.exe";
    testing::ChildProcess a = StartCopy("hl2.exe", first);
    testing::ChildProcess b = StartCopy("hl2.exe", last);
    EXPECT_TRUE(GameRuns());
    a.Stop();
    ASSERT_FALSE(a.Running());
    EXPECT_TRUE(GameRuns()) << "only " << last << " is left";
    b.Stop();
    ASSERT_FALSE(b.Running());
    EXPECT_FALSE(GameRuns());
    testing::PumpFor(50);
  }
}

}  // namespace
}  // namespace quorvel
