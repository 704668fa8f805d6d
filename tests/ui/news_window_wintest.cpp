// The news window with the real main window: when it opens (the "News" value), where it
// navigates (online, offline with and without the local page), and that it opens once per run.
// Under Wine there is no browser engine (mshtml is switched off): the window shows the local
// page's text, or stays closed, and asks nothing; it never covers the main window.
#include <ole2.h>

#include "platform/handles_win.h"
#include "platform/registry_win.h"
#include "settings/settings_store.h"
#include "support/window_shot_win.h"
#include "ui/news_window_win.h"
#include "ui/window_fixture_win.h"
#include "update/update_info.h"

namespace quorvel::testing {
namespace {

class NewsWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ::OleInitialize(nullptr);
  }
  void TearDown() override {
    news.reset();
    WindowTest::TearDown();
    ::OleUninitialize();
  }

  // The program's windows with the news window wired to the main window's activation, the
  // machine online or offline as asked.
  void OpenAll(bool online) {
    Open();
    news = std::make_unique<TForm5>(::GetModuleHandleA(nullptr), machine->InstallFolder);
    news->OnlineTest = [online] { return std::optional<bool>(online); };
    news->Create();
    news->MainWindow = window->Handle();
    window->Activated = [this] {
      ++activations;
      news->FormActivate();
    };
  }

  // The main window becomes active, as when the user clicks it.
  void Activate() {
    ::SendMessageA(window->Handle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    Pump();
  }

  bool NewsVisible() const { return ::IsWindowVisible(news->Handle()) != FALSE; }
  // Whether a browser engine can draw pages here (not under Wine without its engine).
  static bool BrowserEngine() { return ::LoadLibraryA("mshtml.dll") != nullptr; }
  static constexpr const char* kPage =
      "<html><head><title>ZRVBench NEWS</title><style>p { color: red }</style></head>"
      "<body><h1>Benchmark news</h1><p>Your computer seems to be <b>offline</b>.</p></body>"
      "</html>";

  std::unique_ptr<TForm5> news;
  int activations = 0;
};

TEST_F(NewsWindowTest, OnlyExactlyZeroOpensTheWindow) {
  struct Case {
    const char* value;  // nullptr: no value
    bool opens;
  } cases[] = {{nullptr, false}, {"1", false}, {"00", false},
               {" 0", false},    {"", false},  {"0", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(absent)");
    if (c.value)
      Install({{"News", c.value}});
    else
      Install();
    WriteFile(machine->InstallFolder + "offlinenews.html", kPage);
    OpenAll(false);
    Activate();
    EXPECT_EQ(NewsVisible(), c.opens);
    EXPECT_EQ(Setting("News"), c.opens ? "1" : (c.value ? c.value : ""));
    EXPECT_EQ(news->NavigatedTo(), c.opens ? machine->InstallFolder + "offlinenews.html" : "");
    EXPECT_FALSE(AnyError());
    news.reset();
    picker.reset();
    window.reset();
    Pump();
    machine.reset();
    machine = std::make_unique<ProgramEnvironment>("NewsValue");
  }
}

TEST_F(NewsWindowTest, ANewsValueOfAnotherTypeReadsAsAbsent) {
  Install();
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_SET_VALUE);
  ASSERT_TRUE(key);
  const DWORD zero = 0;
  ASSERT_EQ(::RegSetValueExA(key.Get(), "News", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                             sizeof zero),
            ERROR_SUCCESS);
  OpenAll(true);
  for (int i = 0; i < 3; ++i) Activate();
  EXPECT_FALSE(NewsVisible());
  EXPECT_FALSE(AnyError()) << (Shown().empty() ? "" : Shown().back());
}

TEST_F(NewsWindowTest, NoSettingsKeyNothingHappens) {
  OpenAll(true);
  Activate();
  EXPECT_FALSE(NewsVisible());
  EXPECT_TRUE(Shown().empty() || !AnyError());
}

TEST_F(NewsWindowTest, OnlineItNavigatesToTheNewsPageAndWithoutAnEngineStaysClosed) {
  Install({{"News", "0"}});
  WriteFile(machine->InstallFolder + "offlinenews.html", kPage);
  OpenAll(true);
  Activate();
  EXPECT_EQ(Setting("News"), "1");
  EXPECT_EQ(news->NavigatedTo(), "https://www.zarvent-benchmarks.net/benchmarks/news.html");
  // The local page says the machine is offline: it is no stand-in for the news from the web.
  EXPECT_EQ(NewsVisible(), BrowserEngine());
  EXPECT_EQ(news->ShownText(), "");
  EXPECT_FALSE(AnyError());
}

TEST_F(NewsWindowTest, OpensOncePerRun) {
  Install({{"News", "0"}});
  WriteFile(machine->InstallFolder + "offlinenews.html", kPage);
  OpenAll(false);
  Activate();
  ASSERT_TRUE(NewsVisible());
  EXPECT_EQ(Setting("News"), "1");
  // The user closes it, switches to another window and back: it stays closed.
  ::SendMessageA(news->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(NewsVisible());
  EXPECT_TRUE(::IsWindow(news->Handle()));
  ::SendMessageA(window->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  Activate();
  Activate();
  EXPECT_GE(activations, 3);
  EXPECT_FALSE(NewsVisible());
  EXPECT_EQ(Setting("News"), "1");
}

TEST_F(NewsWindowTest, OfflineWithoutLocalPageTheWindowStaysClosed) {
  Install({{"News", "0"}});
  OpenAll(false);
  Activate();
  // Nothing to show: no empty black window in front of the program.
  EXPECT_FALSE(NewsVisible());
  EXPECT_EQ(Setting("News"), "1");
  EXPECT_EQ(news->NavigatedTo(), "");
  EXPECT_FALSE(news->BrowserCreated());
  EXPECT_FALSE(AnyError());
}

TEST_F(NewsWindowTest, OfflineWithLocalPageShowsItBesideTheMainWindow) {
  Install({{"News", "0"}});
  WriteFile(machine->InstallFolder + "offlinenews.html", kPage);
  OpenAll(false);
  window->Show();
  Pump();
  Activate();
  ASSERT_TRUE(NewsVisible());
  EXPECT_EQ(news->NavigatedTo(), machine->InstallFolder + "offlinenews.html");
  EXPECT_TRUE(Shown().empty());
  RECT client;
  ::GetClientRect(news->Handle(), &client);
  EXPECT_EQ(client.right, kNewsClientWidth);
  EXPECT_EQ(client.bottom, kNewsClientHeight);
  char caption[64] = {};
  ::GetWindowTextA(news->Handle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "ZRVBench NEWS");
  // Beside the main window, which keeps the focus; nothing of it is covered.
  RECT newsFrame, mainFrame, overlap;
  ::GetWindowRect(news->Handle(), &newsFrame);
  ::GetWindowRect(window->Handle(), &mainFrame);
  EXPECT_FALSE(::IntersectRect(&overlap, &newsFrame, &mainFrame))
      << newsFrame.left << "," << newsFrame.top << " over " << mainFrame.left << ","
      << mainFrame.top;
  EXPECT_EQ(::GetActiveWindow(), window->Handle());
  WindowShot shot = SaveWindowShot(news->Handle(), "news_window_offline_page");
  ASSERT_GT(shot.width, 0);
  if (!BrowserEngine()) {
    // No engine draws the page: its words are shown, light on black, not a black square.
    EXPECT_FALSE(news->BrowserCreated());
    EXPECT_EQ(news->ShownText(), "Benchmark news\r\n\r\nYour computer seems to be offline.");
    char shown[256] = {};
    ::GetWindowTextA(news->WebBrowser, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), news->ShownText());
    int light = 0;
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x)
        if (GetGValue(shot.At(x, y)) > 128 && GetRValue(shot.At(x, y)) > 128) ++light;
    EXPECT_GT(light, 50) << "no text was drawn";
  }
}

// With no room beside the main window the news window goes behind it: the main window, with
// its run button and pages, stays in front.
TEST_F(NewsWindowTest, WithoutRoomBesideItStaysBehindTheMainWindow) {
  Install({{"News", "0"}});
  WriteFile(machine->InstallFolder + "offlinenews.html", kPage);
  OpenAll(false);
  window->Show();
  // A main window grown so large that the work area has no room beside it on any side.
  RECT work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(window->Handle(), nullptr, work.left + 200, work.top + 100,
                 work.right - work.left - 400, work.bottom - work.top - 200, SWP_NOZORDER);
  Pump();
  Activate();
  ASSERT_TRUE(NewsVisible());
  // Which of the two comes first from the top of the z-order.
  HWND first = nullptr;
  for (HWND w = ::GetTopWindow(nullptr); w && !first; w = ::GetWindow(w, GW_HWNDNEXT))
    if (w == window->Handle() || w == news->Handle()) first = w;
  EXPECT_EQ(first, window->Handle());
  EXPECT_EQ(::GetActiveWindow(), window->Handle());
}

TEST(NewsOnlineTest, UrlDllAnswersUnderWine) {
  // "InetIsOffline" is there; what it says depends on the machine.
  EXPECT_TRUE(TForm5::InetOnline().has_value());
}

}  // namespace
}  // namespace quorvel::testing
