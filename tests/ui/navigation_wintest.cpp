// The navigation bar, the About view, the link and document commands, moving the window and
// the ways out of the program.
#include "bench/demo_choice.h"
#include "platform/files_win.h"
#include "platform/text.h"
#include "ui/links.h"
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

class NavigationTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Install();
    Open();
    ASSERT_TRUE(completed);
  }
  bool Visible(HWND control) { return ::IsWindowVisible(control) != FALSE; }
};

TEST_F(NavigationTest, GroupsStartClosedAndOpeningOneClosesTheOther) {
  EXPECT_FALSE(window->GroupOpen(NavGroup::Benchmark));
  EXPECT_FALSE(window->GroupOpen(NavGroup::Help));
  for (int i = 0; i < kNavItemCount; ++i) EXPECT_FALSE(Visible(window->NavButton(NavItem(i))));

  Click(window->GroupCaption(NavGroup::Benchmark));
  EXPECT_TRUE(window->GroupOpen(NavGroup::Benchmark));
  EXPECT_TRUE(Visible(window->NavButton(NavItem::Miscellaneous)));
  EXPECT_FALSE(Visible(window->NavButton(NavItem::About)));

  Click(window->GroupCaption(NavGroup::Help));
  EXPECT_FALSE(window->GroupOpen(NavGroup::Benchmark));
  EXPECT_TRUE(window->GroupOpen(NavGroup::Help));
  EXPECT_FALSE(Visible(window->NavButton(NavItem::PathInformation)));
  EXPECT_TRUE(Visible(window->NavButton(NavItem::About)));
  // The Help caption sits right under the closed Benchmark caption.
  RECT benchmark, help;
  ::GetWindowRect(window->GroupCaption(NavGroup::Benchmark), &benchmark);
  ::GetWindowRect(window->GroupCaption(NavGroup::Help), &help);
  EXPECT_LT(help.top - benchmark.bottom, 10);
}

TEST_F(NavigationTest, PageItemsShowTheirPageAndTheSmallLogo) {
  EXPECT_TRUE(window->AboutViewShown());
  EXPECT_TRUE(Visible(window->verselabel));
  EXPECT_FALSE(Visible(window->hl2logo));
  struct Case {
    NavItem item;
    Page page;
  };
  const Case cases[] = {{NavItem::PathInformation, Page::PathInformation},
                        {NavItem::ResolutionDetail, Page::ResolutionDetail},
                        {NavItem::FiltersDemos, Page::FiltersDemos},
                        {NavItem::Miscellaneous, Page::Miscellaneous},
                        {NavItem::UpdateBench, Page::UpdateBench},
                        {NavItem::OurSponsor, Page::OurSponsor}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.item));
    Navigate(NavItem::About);
    Navigate(c.item);
    EXPECT_EQ(window->ActivePage(), c.page);
    EXPECT_FALSE(window->AboutViewShown());
    for (int p = 0; p < kPageCount; ++p)
      EXPECT_EQ(Visible(window->Pages[p]), p == static_cast<int>(c.page));
    EXPECT_FALSE(Visible(window->verselabel));
    EXPECT_TRUE(Visible(window->hl2logo));
    EXPECT_FALSE(Visible(window->AboutMemo));
  }
  Navigate(NavItem::About);
  EXPECT_TRUE(window->AboutViewShown());
  EXPECT_TRUE(Visible(window->verselabel));
  EXPECT_FALSE(Visible(window->hl2logo));
}

TEST_F(NavigationTest, StatusLineIsClearedExceptByFiltersAndDemos) {
  const std::string result = "Benchmark finished: 84.50 fps";
  struct Case {
    NavItem item;
    int demo;
    std::string status;
  };
  const Case cases[] = {
      {NavItem::FiltersDemos, 0, result}, {NavItem::FiltersDemos, 3, bench::kDefineCustomDemo},
      {NavItem::PathInformation, 0, ""},  {NavItem::ResolutionDetail, 3, ""},
      {NavItem::Miscellaneous, 0, ""},    {NavItem::UpdateBench, 0, ""},
      {NavItem::OurSponsor, 0, ""},       {NavItem::About, 0, ""},
      {NavItem::Homepage, 0, result},     {NavItem::TweakGuide, 0, result},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.item));
    Navigate(NavItem::PathInformation);
    Click(window->demoItems[c.demo]);
    window->SetStatus(result);
    Navigate(c.item);
    EXPECT_EQ(window->Status(), c.status);
    EXPECT_EQ(WindowTextOf(window->StatusInfo), c.status);
  }
}

TEST_F(NavigationTest, LinksAndHelpGoThroughTheShell) {
  Navigate(NavItem::Miscellaneous);
  Navigate(NavItem::Homepage);
  Navigate(NavItem::TweakGuide);
  EXPECT_TRUE(WasShown(std::string("open SW_SHOW: ") + kHomepageAddress));
  EXPECT_TRUE(WasShown(std::string("open SW_SHOW: ") + kTweakGuideAddress));
  EXPECT_NE(std::string(kTweakGuideAddress).find("/HL2_1.html"), std::string::npos);
  EXPECT_EQ(window->ActivePage(), Page::Miscellaneous);

  Navigate(NavItem::BenchmarkHelp);
  EXPECT_TRUE(WasShown(std::string("message: ") + kHelpMissing));
  EXPECT_EQ(window->ActivePage(), Page::Miscellaneous);
  EXPECT_FALSE(window->AboutViewShown());

  WriteFile(machine->InstallFolder + "Help.pdf", "%PDF-1.4");
  Navigate(NavItem::BenchmarkHelp);
  EXPECT_TRUE(WasShown("open SW_SHOW: " + machine->InstallFolder + "Help.pdf"));

  // Every sponsor picture opens the sponsor's site with a click.
  for (HWND picture :
       {window->Image2, window->Image6, window->Image8, window->Image3, window->Image5}) {
    size_t before = Shown().size();
    ::SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageA(picture, WM_LBUTTONUP, 0, 0);
    ASSERT_EQ(Shown().size(), before + 1);
    EXPECT_EQ(Shown().back(), std::string("open SW_SHOWNORMAL: ") + kSponsorAddress);
    EXPECT_EQ(window->Tooltip(picture), kSponsorTip);
  }
}

TEST_F(NavigationTest, OpenShowsTheResultsFolderOrSaysItIsMissing) {
  const std::string folder = WindowTextOf(window->ResEdit);
  ASSERT_FALSE(folder.empty());
  Click(window->OpenResFolder);
  EXPECT_EQ(Shown().back(), "open SW_SHOWNORMAL: " + folder);

  RemoveTree(folder);
  Click(window->OpenResFolder);
  EXPECT_EQ(Shown().back(), std::string("message: ") + kResultsFolderMissing);

  size_t before = Shown().size();
  window->SetText(Control::ResEdit, "");
  Click(window->OpenResFolder);
  EXPECT_EQ(Shown().size(), before);
}

TEST_F(NavigationTest, CompareResultsWritesThePageIntoTheResultsFolderAndOpensIt) {
  const std::string folder = text::WithBackslash(WindowTextOf(window->ResEdit));
  const std::string result =
      "{\"format\":\"quorvel-results\",\"schema_version\":1,\"complete\":true,"
      "\"started_at\":\"now\",\"game\":{\"name\":\"Half-Life 2\"},"
      "\"demo\":{\"name\":\"zrv_highway\",\"caption\":\"\"},\"machine\":{},"
      "\"settings\":{},\"resolutions\":[{\"key\":\"640\",\"label\":\"640x480\","
      "\"runs\":[{\"fps\":60.5}]}]}";
  files::WriteAll(folder + "a.json", result);
  files::WriteAll(folder + "b.json", result);
  files::WriteAll(folder + "c.json", "not json");

  // Cancelled: nothing happens.
  size_t before = Shown().size();
  Click(window->CompareButton);
  ASSERT_EQ(Shown().size(), before + 1);
  EXPECT_EQ(Shown().back(), "choosefiles: Compare results in " + folder + " -> (cancel)");

  seams.files = {folder + "a.json"};
  Click(window->CompareButton);
  EXPECT_EQ(Shown().back(), "message: Choose two or more result files (.json) to compare.");

  seams.files = {folder + "a.json", folder + "c.json"};
  Click(window->CompareButton);
  EXPECT_EQ(Shown().back(), "message: The file \"" + folder +
                                "c.json\" is not a JSON file (it breaks off or is malformed "
                                "at byte 2).");

  seams.files = {folder + "a.json", folder + "b.json"};
  Click(window->CompareButton);
  const std::string opened = Shown().back();
  const std::string prefix = "open SW_SHOW: " + folder + "compare_";
  ASSERT_EQ(opened.substr(0, prefix.size()), prefix) << opened;
  std::string page = files::ReadAll(opened.substr(14)).value_or("");
  EXPECT_NE(page.find("<h1>Half-Life 2 Benchmark: 2 results compared</h1>"), std::string::npos);
  EXPECT_EQ(window->Tooltip(window->CompareButton), "Put two or more result files side by side");
}

TEST_F(NavigationTest, TooltipsAndHandCursors) {
  EXPECT_EQ(window->Tooltip(window->SpeedButton2), "Minimize");
  EXPECT_EQ(window->Tooltip(window->SpeedButton1), "Exit");
  EXPECT_EQ(window->Tooltip(window->BenchButton), kRunBenchmarkTip);
  EXPECT_EQ(window->Tooltip(window->OpenResFolder), "Open results folder");
  EXPECT_EQ(window->Tooltip(window->ToolButton5), "Browse...");
  EXPECT_EQ(window->Tooltip(window->FastZBox),
            "Enables or disables a depth fill pass that may improve performance in "
            "graphics-bound situations.");
  EXPECT_EQ(window->Tooltip(window->UseProxyBox), "");
  EXPECT_EQ(window->Tooltip(picker->ToolButton1), "Close");
  for (HWND control :
       {window->SpeedButton1, window->SpeedButton2, window->BenchButton, window->Image3}) {
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    ::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
  }
  ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  ::SendMessageA(window->NoteEdit, WM_SETCURSOR, reinterpret_cast<WPARAM>(window->NoteEdit),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
}

TEST_F(NavigationTest, WindowShapeTitleAndTexts) {
  RECT client;
  ::GetClientRect(window->Handle(), &client);
  EXPECT_EQ(client.right, 514);
  EXPECT_EQ(client.bottom, 351);
  LONG style = ::GetWindowLongA(window->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_EQ(WindowTextOf(window->Handle()), "Zarvent Half-Life 2 benchmark");
  HMENU menu = ::GetSystemMenu(window->Handle(), FALSE);
  EXPECT_NE(::GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_NE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
  // Centred on the desktop.
  RECT work, placed;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(window->Handle(), &placed);
  EXPECT_LE(std::abs((placed.left + placed.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((placed.top + placed.bottom) - (work.top + work.bottom)), 2);

  EXPECT_EQ(WindowTextOf(window->Label17), "2.3.0.0");
  EXPECT_EQ(WindowTextOf(window->Label20), "Collecting system information, please wait...");
  EXPECT_EQ(WindowTextOf(window->Label21), "Resolution: ...");
  EXPECT_EQ(WindowTextOf(window->RunsLabel), "");
  EXPECT_FALSE(Visible(window->Panel2));
  EXPECT_EQ(WindowTextOf(window->UseProxyBox), "Use Proxy  Server");
  EXPECT_EQ(WindowTextOf(window->resItems[6]), "1280 \xD7 768");
  EXPECT_EQ(WindowTextOf(window->cusresbox), "Custom resolution:");
  const char* heaps[] = {"64 MB - default", "128 MB", "256 MB", "512 MB", "1024 MB"};
  ASSERT_EQ(::SendMessageA(window->HeapsizeBox, CB_GETCOUNT, 0, 0), 5);
  for (int i = 0; i < 5; ++i) {
    char item[64] = {};
    ::SendMessageA(window->HeapsizeBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, heaps[i]);
  }
  char af[64] = {};
  ::SendMessageA(window->AFBox, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(af));
  EXPECT_STREQ(af, "Anisotropic 16\xD7");
  EXPECT_EQ(window->MaxSetText().rfind("// Tovrel - Maximum details\r\n\r\nsv_cheats \"1\"", 0),
            0u);
}

// Observes the system command the background sends, and keeps the move loop from starting.
LRESULT CALLBACK CatchMove(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR ref) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MOVE) {
    reinterpret_cast<std::vector<WPARAM>*>(ref)->push_back(wParam);
    return 0;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST_F(NavigationTest, LeftButtonOnTheBackgroundMovesTheWindow) {
  std::vector<WPARAM> moves;
  ASSERT_TRUE(
      ::SetWindowSubclass(window->Handle(), CatchMove, 7, reinterpret_cast<DWORD_PTR>(&moves)));
  ::SendMessageA(window->Image4, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 10));
  ::SendMessageA(window->Image4, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(300, 10));
  EXPECT_TRUE(moves.empty());
  ::SetCapture(window->Image4);
  ::SendMessageA(window->Image4, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 10));
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], 0xF012u);
  EXPECT_EQ(::GetCapture(), nullptr);  // released first
  ::RemoveWindowSubclass(window->Handle(), CatchMove, 7);
}

TEST_F(NavigationTest, MinimiseAndRunButtons) {
  int runs = 0;
  Click(window->BenchButton);  // no series wired yet: nothing happens
  window->RunBenchmark = [&] { ++runs; };
  Click(window->BenchButton);
  EXPECT_EQ(runs, 1);
  Click(window->SpeedButton2);
  EXPECT_TRUE(::IsIconic(window->Handle()));
  EXPECT_EQ(programEnded, 0);
  ::ShowWindow(window->Handle(), SW_RESTORE);
}

TEST_F(NavigationTest, ExitButtonSavesRestoresAndEndsAtOnce) {
  Set("News", "1");
  Set("Display Memory", "256 MB");
  Type(window->NoteEdit, "before exit");
  Set("Note", "stale");
  std::vector<std::string> steps;
  window->RestoreRegistryAtExit = [&] { steps.push_back("registry:" + Setting("News")); };
  window->RestoreScriptAtClose = [&] { steps.push_back("script"); };
  Click(window->SpeedButton1);
  EXPECT_EQ(programEnded, 1);
  EXPECT_EQ(steps, std::vector<std::string>{"registry:0"});  // after the exit values
  EXPECT_EQ(Setting("News"), "0");
  EXPECT_EQ(Setting("Display Memory"), "");
  EXPECT_EQ(Setting("Note"), "before exit");
  EXPECT_TRUE(::IsWindow(window->Handle()));  // no close steps on this path
}

TEST_F(NavigationTest, ExitButtonStillLeavesWhenSavingFails) {
  int restored = 0;
  window->RestoreRegistryAtExit = [&] { ++restored; };
  store->failOn = "Note";
  Click(window->SpeedButton1);
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(programEnded, 1);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().back().rfind("error: Failed to set data for 'Note'", 0), 0u);
}

TEST_F(NavigationTest, SystemCloseRestoresTheScriptAndSavesTwice) {
  WriteFile(machine->InstallFolder + "batchview.txt", "left over");
  Set("News", "1");
  int scripts = 0;
  int registry = 0;
  window->RestoreScriptAtClose = [&] { ++scripts; };
  window->RestoreRegistryAtExit = [&] { ++registry; };
  int newsWrites = store->writes["News"];
  ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(scripts, 1);
  EXPECT_EQ(registry, 0);
  EXPECT_EQ(store->writes["News"] - newsWrites, 2);  // the query and the close step
  EXPECT_EQ(Setting("News"), "0");
  EXPECT_FALSE(files::FileExists(machine->InstallFolder + "batchview.txt"));
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(programEnded, 1);
}

}  // namespace
}  // namespace quorvel::testing
