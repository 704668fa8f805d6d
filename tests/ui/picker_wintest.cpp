// The custom resolution picker, opened modally from "Possibilities" and driven from a timer
// while its own message loop runs.
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

class PickerTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    seams.modes = {{640, 480},  {800, 600},   {800, 600}, {800, 600},
                   {1024, 768}, {1600, 1200}, {800, 600}};
    Install({{"CusW", "0"}, {"CusH", "0"}, {"CusRes", "untouched"}});
    Open();
    ASSERT_TRUE(completed);
    Navigate(NavItem::ResolutionDetail);
  }

  // Opens the picker with "Possibilities"; `whileOpen` runs once the picker shows and must
  // close it with one of its own buttons.
  void WithPicker(std::function<void(TForm3&)> whileOpen) {
    current = this;
    action = std::move(whileOpen);
    ran = false;
    forcedClose = false;
    safetyTimer = 0;
    ::SetTimer(nullptr, 0, 50, Tick);
    Click(window->CusPossibilities);  // returns when the picker closes
    if (safetyTimer) ::KillTimer(nullptr, safetyTimer);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(forcedClose) << "the picker stayed open after its button was clicked";
    EXPECT_FALSE(picker->Shown());
    EXPECT_TRUE(::IsWindowEnabled(window->Handle()));
  }

  // Clicks on a line as the mouse would.
  static void ClickLine(TForm3& p, int line) {
    int y = line * kPickerLineHeight + kPickerLineHeight / 2;
    ::SendMessageA(p.CheckList1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, y));
    ::SendMessageA(p.CheckList1, WM_LBUTTONUP, 0, MAKELPARAM(30, y));
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    PickerTest* self = current;
    self->ran = true;
    self->action(*self->picker);
    // A picker that its button left open would hang the test: it is closed after a while
    // from here, and the test fails.
    self->safetyTimer = ::SetTimer(nullptr, 0, 3000, ForceClose);
  }

  static void CALLBACK ForceClose(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    current->safetyTimer = 0;
    current->forcedClose = true;
    current->picker->Close();
  }

  static PickerTest* current;
  std::function<void(TForm3&)> action;
  bool ran = false;
  bool forcedClose = false;
  UINT_PTR safetyTimer = 0;
};
PickerTest* PickerTest::current = nullptr;

TEST_F(PickerTest, ListsEachSizeOnceAndAddTakesTheUpperTickedLine) {
  WithPicker([this](TForm3& p) {
    EXPECT_FALSE(::IsWindowEnabled(window->Handle()));  // modal
    EXPECT_TRUE(::GetWindowLongA(p.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_EQ(p.LineCount(), 4);
    EXPECT_EQ(p.LineText(0), "640 x 480");
    EXPECT_EQ(p.LineText(1), "800 x 600");
    EXPECT_EQ(p.LineText(2), "1024 x 768");
    EXPECT_EQ(p.LineText(3), "1600 x 1200");
    for (int line = 0; line < 4; ++line) EXPECT_FALSE(p.LineTicked(line));
    EXPECT_EQ(::SendMessageA(p.CheckList1, LB_GETITEMHEIGHT, 0, 0), kPickerLineHeight);
    ClickLine(p, 3);
    ClickLine(p, 2);
    EXPECT_TRUE(p.LineTicked(2));
    EXPECT_TRUE(p.LineTicked(3));
    Click(p.Button1);
  });
  EXPECT_EQ(WindowTextOf(window->CusWidth), "1024");
  EXPECT_EQ(WindowTextOf(window->CusHeight), "768");
  EXPECT_EQ(Setting("CusW"), "1024");
  EXPECT_EQ(Setting("CusH"), "768");
  // The custom box is the user's: neither ticked nor stored by the picker.
  EXPECT_EQ(::SendMessageA(window->cusresbox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Setting("CusRes"), "untouched");
}

TEST_F(PickerTest, CentredOnTheMainWindow) {
  WithPicker([this](TForm3& p) {
    RECT main, box, client;
    ::GetWindowRect(window->Handle(), &main);
    ::GetWindowRect(p.Handle(), &box);
    ::GetClientRect(p.Handle(), &client);
    EXPECT_EQ(client.right, 228);
    EXPECT_EQ(client.bottom, 502);
    EXPECT_LE(std::abs((box.left + box.right) - (main.left + main.right)), 2);
    EXPECT_LE(std::abs((box.top + box.bottom) - (main.top + main.bottom)), 2);
    Click(p.ToolButton1);
  });
}

TEST_F(PickerTest, AddWithNothingTickedOrCloseChangesNothing) {
  window->SetText(Control::CusWidth, "1280");
  window->SetText(Control::CusHeight, "1024");
  Set("CusW", "1280");
  Set("CusH", "1024");
  WithPicker([](TForm3& p) { Click(p.Button1); });
  WithPicker([](TForm3& p) {
    ClickLine(p, 0);
    Click(p.ToolButton1);
  });
  EXPECT_EQ(WindowTextOf(window->CusWidth), "1280");
  EXPECT_EQ(Setting("CusW"), "1280");
  EXPECT_EQ(Setting("CusH"), "1024");
}

TEST_F(PickerTest, ComingBackToThePickerClearsTheTicks) {
  WithPicker([this](TForm3& p) {
    ClickLine(p, 1);
    ClickLine(p, 1);  // a second click clears the line again
    EXPECT_FALSE(p.LineTicked(1));
    ClickLine(p, 1);
    ASSERT_TRUE(p.LineTicked(1));
    ::SendMessageA(p.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    seams.modes = {{1280, 1024}, {1920, 1080}};  // the list is built anew on activation
    ::SendMessageA(p.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_EQ(p.LineCount(), 2);
    EXPECT_EQ(p.LineText(1), "1920 x 1080");
    EXPECT_FALSE(p.LineTicked(0));
    EXPECT_FALSE(p.LineTicked(1));
    Click(p.Button1);
  });
  EXPECT_EQ(Setting("CusW"), "0");
}

TEST_F(PickerTest, NoModesGiveAnEmptyListThatOnlyCloses) {
  seams.modes.clear();
  WithPicker([](TForm3& p) {
    EXPECT_EQ(p.LineCount(), 0);
    Click(p.Button1);
  });
  EXPECT_EQ(Setting("CusW"), "0");
}

}  // namespace
}  // namespace quorvel::testing
