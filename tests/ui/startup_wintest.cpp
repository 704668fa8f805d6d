// The start-up steps of the main window on machines with and without the program's key and
// Steam.
#include "app/app_test_support_win.h"
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

class StartupTest : public WindowTest {};

// What the user sees while the game search runs, looked at from a timer that only fires
// when the start-up handles messages.
struct DuringSearch {
  MainWindow* window = nullptr;
  bool quit = false;   // end the program from there
  bool close = false;  // close the window through the system from there
  bool looked = false;
  bool visible = false;
  bool windowEnabled = true;
  bool benchEnabled = true;
  std::string status;
};
DuringSearch* during = nullptr;

void CALLBACK LookDuringSearch(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (!during || during->looked) return;
  during->looked = true;
  during->visible = ::IsWindowVisible(during->window->Handle());
  during->windowEnabled = ::IsWindowEnabled(during->window->Handle());
  during->benchEnabled = ::IsWindowEnabled(during->window->BenchButton);
  during->status = during->window->Status();
  if (during->quit) ::PostQuitMessage(7);
  if (during->close) ::SendMessageA(during->window->Handle(), WM_CLOSE, 0, 0);
}

class SearchTest : public StartupTest {
 protected:
  // Settings key and Steam key, Steam's folder a large one of today.
  void InstallLarge() {
    machine->CreateSettingsKey({{"Path", "stale"}, {"Note", "my note"}, {"News", "1"}});
    MakeLargeSteamFolder(tree, 20000);
    machine->SteamFolder = tree.Root() + "Steam\\";
    machine->CreateSteamKey();
  }
  // Runs the start-up as the program does, looking at the window once it handles messages.
  void OpenAndLook(bool quit, bool close = false) {
    seen.quit = quit;
    seen.close = close;
    during = &seen;
    auto* self = this;
    window = std::make_unique<MainWindow>(::GetModuleHandleA(nullptr));
    window->EndProgram = [self] { ++self->programEnded; };
    window->Create();
    seen.window = window.get();
    ::SetTimer(nullptr, 0, 10, LookDuringSearch);
    completed =
        RunStartup(*window, {machine->InstallFolder, files::ProgramPath(), /*showAtOnce=*/true});
    during = nullptr;
  }
  Tree tree{"startup_search"};
  DuringSearch seen;
};

TEST_F(SearchTest, TheWindowShowsWhatItDoesAndTakesNoInputWhileTheSearchRuns) {
  InstallLarge();
  OpenAndLook(false);
  ASSERT_TRUE(seen.looked) << "no message was handled during the start-up";
  EXPECT_TRUE(seen.visible);
  EXPECT_EQ(seen.status, kSearchingStatus);
  EXPECT_FALSE(seen.windowEnabled);
  EXPECT_FALSE(seen.benchEnabled);
  // Afterwards everything is as after a start-up that ran at one go.
  ASSERT_TRUE(completed);
  EXPECT_TRUE(::IsWindowEnabled(window->Handle()));
  EXPECT_TRUE(::IsWindowEnabled(window->BenchButton));
  EXPECT_EQ(window->Status(), "");
  EXPECT_TRUE(window->AboutViewShown());
  EXPECT_EQ(Setting("Path"), machine->SteamFolder + "steamapps\\common\\");
  EXPECT_EQ(window->Paths().Hl2CfgFolder,
            machine->SteamFolder + "steamapps\\common\\half-life 2\\hl2\\cfg\\");
  EXPECT_FALSE(window->Paths().UserSid.empty());
}

TEST_F(SearchTest, EndingTheProgramDuringTheSearchStopsTheStartUpThere) {
  InstallLarge();
  machine->CreateGameSettings(false);
  OpenAndLook(true);
  ASSERT_TRUE(seen.looked);
  EXPECT_FALSE(completed);
  // Nothing after the search ran: no "Path", no backup of the game's settings, no About view.
  EXPECT_EQ(Setting("Path"), "stale");
  EXPECT_FALSE(files::FileExists(machine->DataFolder + "hl2set.ini"));
  EXPECT_FALSE(window->AboutViewShown());
  EXPECT_EQ(window->Paths().AccountFolder, "");
  // The quit message is there again for the program's own loop.
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(StartupTest, MissingKeyOrSteamEndsEarlyWithTheRunButtonDisabled) {
  struct Case {
    const char* name;
    bool settingsKey;
    bool steamKey;
    const char* message;
  };
  const Case cases[] = {
      {"settings key missing", false, true, "Please reinstall the Zarvent Half-Life 2 Benchmark!"},
      {"steam key missing", true, false, "Please install the Half-Life 2!"},
      {"both missing", false, false, "Please reinstall the Zarvent Half-Life 2 Benchmark!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine->DeleteSettingsKey();
    machine->DeleteSteamKey();
    RemoveTree(machine->InstallFolder + "Benchmark");
    WriteFile(machine->InstallFolder + "debuginfo.txt", "old");
    if (c.settingsKey) machine->CreateSettingsKey({{"Note", "stored note"}, {"FastZ", "1"}});
    if (c.steamKey) machine->CreateSteamKey();
    seams.log.clear();

    Open(/*showAtOnce=*/true);
    EXPECT_FALSE(completed);
    EXPECT_EQ(Shown(), std::vector<std::string>{std::string("message: ") + c.message});
    EXPECT_EQ(window->Status(), "");
    EXPECT_TRUE(::IsWindowEnabled(window->Handle()));
    EXPECT_FALSE(::IsWindowEnabled(window->BenchButton));
    EXPECT_EQ(window->Tooltip(window->BenchButton), c.message);
    EXPECT_EQ(WindowTextOf(window->verselabel), "");
    EXPECT_EQ(WindowTextOf(window->Label17), "2.3.0.0");
    EXPECT_TRUE(files::DirectoryExists(machine->InstallFolder + "Benchmark\\"));
    EXPECT_FALSE(files::FileExists(machine->InstallFolder + "debuginfo.txt"));
    // The first page stays, and nothing was loaded.
    EXPECT_FALSE(window->AboutViewShown());
    EXPECT_TRUE(::IsWindowVisible(window->Pages[0]));
    EXPECT_EQ(WindowTextOf(window->NoteEdit), "");
    EXPECT_EQ(::SendMessageA(window->FastZBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(::IsWindowEnabled(window->DemoEdit));
    EXPECT_EQ(window->Paths().AccountFolder, "");
    if (c.settingsKey) EXPECT_FALSE(HasSetting("Path"));
    // The run button stays disabled whatever the user does next.
    Click(window->BenchButton);
    EXPECT_FALSE(::IsWindowEnabled(window->BenchButton));
    picker.reset();
    window.reset();
  }
}

TEST_F(StartupTest, CompleteStartFindsTheGameAndShowsTheAboutView) {
  Install({{"Path", "stale"}});
  WriteFile(machine->InstallFolder + "debuginfo.txt", "old");
  Open();
  ASSERT_TRUE(completed);
  EXPECT_TRUE(Shown().empty()) << Shown().front();
  const GamePaths& paths = window->Paths();
  EXPECT_EQ(paths.ProgramFolder, machine->InstallFolder);
  EXPECT_EQ(paths.SteamFolder, machine->SteamFolder);
  EXPECT_EQ(paths.AccountFolder, machine->AccountFolder);
  EXPECT_EQ(paths.Hl2CfgFolder, machine->AccountFolder + "half-life 2\\hl2\\cfg\\");
  EXPECT_EQ(paths.LostCoastGameFolder,
            machine->AccountFolder + "half-life 2 lostcoast\\lostcoast\\");
  EXPECT_EQ(paths.UserSid.rfind("S-1-5-", 0), 0u) << paths.UserSid;
  EXPECT_EQ(Setting("Path"), machine->AccountFolder);
  EXPECT_EQ(WindowTextOf(window->HL2PathEdit), machine->AccountFolder);
  EXPECT_EQ(WindowTextOf(window->verselabel), "v2.3.0.0");
  EXPECT_EQ(window->VersionText, "2.3.0.0");
  EXPECT_GT(window->MemoryFigure, 0);
  EXPECT_TRUE(::IsWindowEnabled(window->BenchButton));
  EXPECT_EQ(window->Tooltip(window->BenchButton), kRunBenchmarkTip);
  EXPECT_TRUE(window->AboutViewShown());
  EXPECT_TRUE(window->ColoursApplied());
  EXPECT_FALSE(files::FileExists(machine->InstallFolder + "debuginfo.txt"));
  EXPECT_NE(window->Settings(), nullptr);
}

TEST_F(StartupTest, WithoutSteamExeNothingIsFoundAndPathIsWrittenEmpty) {
  Install({{"Path", "stale"}});
  {
    RegKey steamKey = reg::Open(HKEY_CURRENT_USER, "Software\\Valve\\Steam", KEY_ALL_ACCESS);
    ::RegDeleteValueA(steamKey.Get(), "SteamExe");
  }
  Open();
  ASSERT_TRUE(completed);
  EXPECT_TRUE(HasSetting("Path"));
  EXPECT_EQ(Setting("Path"), "");
  EXPECT_EQ(window->Paths().SteamFolder, "");
  EXPECT_EQ(window->Paths().Hl2CfgFolder, "half-life 2\\hl2\\cfg\\");
  EXPECT_TRUE(window->AboutViewShown());
}

// Without the game every game folder would be a bare relative text, so a series would prepare
// whatever folder the program was started from: the run button stays off and says why, and
// the start-up touches nothing there either.
TEST_F(StartupTest, WithoutTheGameTheRunButtonSaysSoAndTheCurrentFolderIsLeftAlone) {
  struct Case {
    const char* what;
    void (*layOut)(ProgramEnvironment& machine);
  } cases[] = {
      {"no SteamExe",
       [](ProgramEnvironment&) {
         RegKey steamKey = reg::Open(HKEY_CURRENT_USER, "Software\\Valve\\Steam", KEY_ALL_ACCESS);
         ::RegDeleteValueA(steamKey.Get(), "SteamExe");
       }},
      {"no hl2.exe in the Steam folder",
       [](ProgramEnvironment& m) { WriteFile(m.SteamFolder + "steam.exe", "steam"); }},
      {"Steam's libraries name no Half-Life 2, other Source games there",
       [](ProgramEnvironment& m) {
         WriteFile(m.SteamFolder + "steamapps\\common\\Portal\\hl2.exe", "portal");
         WriteFile(m.SteamFolder + "steamapps\\appmanifest_400.acf",
                   "\"AppState\" { \"appid\" \"400\" \"installdir\" \"Portal\" }");
         WriteFile(m.SteamFolder + "steamapps\\libraryfolders.vdf",
                   "\"libraryfolders\" { \"0\" { \"path\" \"C:\\\\elsewhere\" } }");
       }},
  };
  // The folder the program is started from holds what a series leaves in a game's cfg folder.
  const std::string current = machine->Root + "started here\\";
  const std::string cfg = current + "half-life 2\\hl2\\cfg\\";
  WriteFile(cfg + "autoexec.cfg", "series script");
  WriteFile(cfg + "autoexec_old.cfg", "someone's script");
  char before[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine->DeleteSettingsKey();
    RemoveTree(machine->SteamFolder);
    machine->CreateSettingsKey({{"Path", "stale"}, {"NoErrorWarning", "1"}});
    machine->CreateSteamKey();
    c.layOut(*machine);
    ASSERT_TRUE(::SetCurrentDirectoryA(current.c_str()));
    Open();
    ::SetCurrentDirectoryA(before);
    ASSERT_TRUE(completed);
    EXPECT_EQ(Setting("Path"), "");
    EXPECT_TRUE(window->AboutViewShown());
    EXPECT_FALSE(::IsWindowEnabled(window->BenchButton));
    EXPECT_EQ(window->Tooltip(window->BenchButton), kGameNotFoundMessage);
    EXPECT_EQ(window->Status(), kGameNotFoundMessage);
    EXPECT_TRUE(Shown().empty()) << Shown().front();
    Click(window->BenchButton);
    Pump();
    EXPECT_FALSE(::IsWindowEnabled(window->BenchButton));
    EXPECT_EQ(files::ReadAll(cfg + "autoexec.cfg").value_or(""), "series script");
    EXPECT_EQ(files::ReadAll(cfg + "autoexec_old.cfg").value_or(""), "someone's script");
    picker.reset();
    window.reset();
  }
}

TEST_F(SearchTest, ACloseDuringTheSearchWaitsUntilTheSettingsAreLoaded) {
  InstallLarge();
  OpenAndLook(false, /*close=*/true);
  ASSERT_TRUE(seen.looked);
  // The window is still there and the start-up ran to its end; closing saved nothing yet.
  EXPECT_TRUE(completed);
  ASSERT_TRUE(::IsWindow(window->Handle()));
  EXPECT_EQ(Setting("News"), "1");
  // Then the close takes place, saving the note it has loaded, not an empty one.
  Pump();
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(Setting("Note"), "my note");
  EXPECT_EQ(Setting("News"), "0");
}

}  // namespace
}  // namespace quorvel::testing
