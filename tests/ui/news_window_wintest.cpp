// The news window with the real main window: when it opens (the "News" value), where it
// navigates (online, offline with and without the local page), and that it opens once per run.
// Under Wine there is no browser engine (mshtml is switched off): the window must open all the
// same, stay black and ask nothing.
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
    OpenAll(true);
    Activate();
    EXPECT_EQ(NewsVisible(), c.opens);
    EXPECT_EQ(Setting("News"), c.opens ? "1" : (c.value ? c.value : ""));
    EXPECT_EQ(news->NavigatedTo(), c.opens ? update::kNewsURL : "");
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

TEST_F(NewsWindowTest, OpensOncePerRunOnline) {
  Install({{"News", "0"}});
  OpenAll(true);
  Activate();
  ASSERT_TRUE(NewsVisible());
  EXPECT_EQ(Setting("News"), "1");
  EXPECT_EQ(news->NavigatedTo(), "https://www.zarvent-benchmarks.net/benchmarks/news.html");
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

TEST_F(NewsWindowTest, OfflineWithoutLocalPageShowsAnEmptyBlackWindow) {
  Install({{"News", "0"}});
  OpenAll(false);
  Activate();
  ASSERT_TRUE(NewsVisible());
  EXPECT_EQ(news->NavigatedTo(), "");
  EXPECT_FALSE(news->BrowserCreated());
  RECT client;
  ::GetClientRect(news->Handle(), &client);
  EXPECT_EQ(client.right, kNewsClientWidth);
  EXPECT_EQ(client.bottom, kNewsClientHeight);
  char caption[64] = {};
  ::GetWindowTextA(news->Handle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "ZRVBench NEWS");
  WindowShot shot = SaveWindowShot(news->Handle(), "news_window_offline_empty");
  ASSERT_GT(shot.width, 0);
  // The middle of the client area is black.
  POINT middle = {kNewsClientWidth / 2, kNewsClientHeight / 2};
  ::ClientToScreen(news->Handle(), &middle);
  RECT frame;
  ::GetWindowRect(news->Handle(), &frame);
  EXPECT_EQ(shot.At(middle.x - frame.left, middle.y - frame.top), RGB(0, 0, 0));
}

TEST_F(NewsWindowTest, OfflineWithLocalPageNavigatesToItsFullPath) {
  Install({{"News", "0"}});
  WriteFile(machine->InstallFolder + "offlinenews.html", "<html><body>News</body></html>");
  OpenAll(false);
  Activate();
  ASSERT_TRUE(NewsVisible());
  EXPECT_EQ(news->NavigatedTo(), machine->InstallFolder + "offlinenews.html");
  // Without a browser engine the window still stands, and nothing asked the user anything.
  EXPECT_TRUE(::IsWindow(news->Handle()));
  EXPECT_TRUE(Shown().empty());
  WindowShot shot = SaveWindowShot(news->Handle(), "news_window_offline_page");
  if (!::LoadLibraryA("mshtml.dll")) {
    // No browser engine: no control covers the window, which stays black.
    EXPECT_FALSE(news->BrowserCreated());
    ASSERT_GT(shot.width, 0);
    POINT middle = {kNewsClientWidth / 2, kNewsClientHeight / 2};
    ::ClientToScreen(news->Handle(), &middle);
    RECT frame;
    ::GetWindowRect(news->Handle(), &frame);
    EXPECT_EQ(shot.At(middle.x - frame.left, middle.y - frame.top), RGB(0, 0, 0));
  }
}

TEST(NewsOnlineTest, UrlDllAnswersUnderWine) {
  // "InetIsOffline" is there; what it says depends on the machine.
  EXPECT_TRUE(TForm5::InetOnline().has_value());
}

}  // namespace
}  // namespace quorvel::testing
