// The update page of the real main window: the "Update benchmark" button takes the proxy from
// the page's controls as they are at that moment, and the window's own message boxes.
#include "support/process_helpers_win.h"
#include "ui/updater_wiring_win.h"
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

class UpdatePageTest : public WindowTest {
 protected:
  void OpenWithUpdater(std::initializer_list<std::pair<const char*, const char*>> values) {
    Install(values);
    Open();
    updater = std::make_unique<update::TzUpdater>(::GetModuleHandleA(nullptr));
    ConfigureUpdater(*updater, *window);
    WireUpdater(*window, *updater);
  }
  void TearDown() override {
    updater.reset();
    WindowTest::TearDown();
  }
  void PressUpdate() {
    Navigate(NavItem::UpdateBench);
    Click(window->ToolButton3);
  }
  std::unique_ptr<update::TzUpdater> updater;
};

TEST_F(UpdatePageTest, TheProxyIsTakenFromThePageAsItIsNow) {
  // Stored values that the click must not read.
  OpenWithUpdater({{"UseProxy", "0"}, {"ProxyServer", "stored.example"}, {"ProxyPort", "3128"}});
  EXPECT_EQ(updater->InfoFileURL,
            "https://update.zarvent-benchmarks.net/benchmarks/hl2/zrv_quorvel.inf");
  window->SetChecked(Control::UseProxyBox, true);
  window->SetText(Control::ProxyServerEdit, "127.0.0.1");
  window->SetText(Control::ProxyPortEdit, "1");  // nothing listens there
  window->SetText(Control::ProxyUsernameEdit, "zarvent");
  window->SetText(Control::ProxyPassEdit, "secret");
  PressUpdate();
  EXPECT_EQ(updater->Proxy.AccessType, TzHttpAccessType::atUseProxy);
  EXPECT_EQ(updater->Proxy.ProxyServer, "127.0.0.1");
  EXPECT_EQ(updater->Proxy.ProxyPort, 1);
  EXPECT_EQ(updater->Proxy.ProxyUsername, "zarvent");
  EXPECT_EQ(updater->Proxy.ProxyPassword, "secret");
  EXPECT_EQ(updater->Proxy.ProxyBypass, "127.0.0.1;");
  ASSERT_TRUE(PumpUntil([&] { return !Shown().empty(); }, 60000));
  EXPECT_EQ(Shown(), std::vector<std::string>{
                         "box 0: Zarvent Half-Life 2 benchmark | No internet connection."});

  // Unticked: direct access, the other fields keep what they held.
  window->SetChecked(Control::UseProxyBox, false);
  window->SetText(Control::ProxyServerEdit, "changed.example");
  ASSERT_TRUE(PumpUntil([&] { return !updater->Busy(); }, 60000));
  PressUpdate();
  EXPECT_EQ(updater->Proxy.AccessType, TzHttpAccessType::atDirect);
  EXPECT_EQ(updater->Proxy.ProxyServer, "127.0.0.1");
  PumpUntil([&] { return !updater->Busy(); }, 60000);
}

TEST_F(UpdatePageTest, APortThatIsNoNumberIsAnErrorBeforeAnythingStarts) {
  OpenWithUpdater({{"UseProxy", "1"}, {"ProxyServer", "127.0.0.1"}, {"ProxyPort", "80x"}});
  PressUpdate();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].rfind("error: '80x' is not a valid integer value", 0), 0u) << Shown()[0];
  EXPECT_FALSE(updater->Busy());
}

}  // namespace
}  // namespace quorvel::testing
