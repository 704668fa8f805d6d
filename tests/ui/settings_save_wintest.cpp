// Each control writes its setting at its own moment: a change, a focus leaving, or the mouse
// pointer leaving the control (or the group).
#include "bench/demo_choice.h"
#include "settings/registry_settings_store_win.h"
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

constexpr const char* kMarker = "untouched";

class SaveTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Install({{"Demo", "1"}, {"UseProxy", "1"}});
    Open();
    ASSERT_TRUE(completed);
  }
};

TEST_F(SaveTest, EachControlWritesItsValueAtItsMoment) {
  struct Case {
    const char* what;
    const char* value;
    std::function<void(SaveTest&, MainWindow&)> act;
    const char* expected;
  };
  const Case cases[] = {
      {"filtering change", "AFLevel", [](SaveTest&, MainWindow& w) { Choose(w.AFBox, 4); }, "4"},
      {"antialiasing change", "AALevel", [](SaveTest&, MainWindow& w) { Choose(w.AABox, 1); }, "1"},
      {"runs change", "RunNumber", [](SaveTest&, MainWindow& w) { Choose(w.RunNumberBox, 2); },
       "3"},
      {"HDR change", "HDR", [](SaveTest&, MainWindow& w) { Choose(w.HDRBox, 1); }, "1"},
      {"refresh change", "Refresh", [](SaveTest&, MainWindow& w) { Choose(w.RefreshBox, 3); },
       "85"},
      {"heap size change", "Heapsize", [](SaveTest&, MainWindow& w) { Choose(w.HeapsizeBox, 1); },
       "128000"},
      {"HDR pointer leaves", "HDR",
       [](SaveTest&, MainWindow& w) {
         ::SendMessageA(w.HDRBox, CB_SETCURSEL, 2, 0);
         PointerLeaves(w.HDRBox);
       },
       "2"},
      {"heap size pointer leaves", "Heapsize",
       [](SaveTest&, MainWindow& w) {
         ::SendMessageA(w.HeapsizeBox, CB_SETCURSEL, 0, 0);
         PointerLeaves(w.HeapsizeBox);
       },
       "64000"},
      {"refresh pointer leaves", "Refresh",
       [](SaveTest&, MainWindow& w) {
         ::SendMessageA(w.RefreshBox, CB_SETCURSEL, 1, 0);
         PointerLeaves(w.RefreshBox);
       },
       "70"},
      {"note typed", "Note", [](SaveTest&, MainWindow& w) { Type(w.NoteEdit, "my rig"); },
       "my rig"},
      {"note emptied", "Note", [](SaveTest&, MainWindow& w) { Type(w.NoteEdit, ""); }, ""},
      {"proxy server typed", "ProxyServer",
       [](SaveTest&, MainWindow& w) { Type(w.ProxyServerEdit, "cache.lan"); }, "cache.lan"},
      {"proxy server emptied", "ProxyServer",
       [](SaveTest&, MainWindow& w) { Type(w.ProxyServerEdit, ""); }, kMarker},
      {"proxy port typed", "ProxyPort",
       [](SaveTest&, MainWindow& w) { Type(w.ProxyPortEdit, "8080"); }, "8080"},
      {"proxy user typed", "ProxyUsername",
       [](SaveTest&, MainWindow& w) { Type(w.ProxyUsernameEdit, "bob"); }, "bob"},
      {"password typed", "ProxyPassword",
       [](SaveTest&, MainWindow& w) { Type(w.ProxyPassEdit, "secret"); }, "c2VjcmV0"},
      {"fast z pointer leaves", "FastZ",
       [](SaveTest&, MainWindow& w) {
         Click(w.FastZBox);  // ticked at load; the click clears it
         PointerLeaves(w.FastZBox);
       },
       "0"},
      {"fast z clicked only", "FastZ", [](SaveTest&, MainWindow& w) { Click(w.FastZBox); },
       kMarker},
      {"use proxy pointer leaves", "UseProxy",
       [](SaveTest&, MainWindow& w) {
         Click(w.UseProxyBox);
         PointerLeaves(w.UseProxyBox);
       },
       "0"},
      {"custom box pointer leaves", "CusRes",
       [](SaveTest&, MainWindow& w) {
         Click(w.cusresbox);  // ticked, but without a custom size it stores "0"
         PointerLeaves(w.cusresbox);
       },
       "0"},
      {"results folder focus leaves", "ResultPath",
       [](SaveTest&, MainWindow& w) { FocusLeaves(w.ResEdit); }, nullptr},
      {"lost coast type pointer leaves", "LCDemo",
       [](SaveTest&, MainWindow& w) {
         Click(w.demoItems[3]);
         Click(w.HL2LC);
         PointerLeaves(w.HL2LC);
       },
       "1"},
      {"normal type pointer leaves", "LCDemo",
       [](SaveTest&, MainWindow& w) {
         Click(w.demoItems[3]);
         Click(w.NormalHL2);
         PointerLeaves(w.NormalHL2);
       },
       "0"},
      {"unticked type pointer leaves", "LCDemo",
       [](SaveTest&, MainWindow& w) {
         Click(w.demoItems[3]);
         Click(w.NormalHL2);
         PointerLeaves(w.HL2LC);
       },
       kMarker},
      {"demo item clicked", "Demo", [](SaveTest&, MainWindow& w) { Click(w.demoItems[2]); }, "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Set(c.value, kMarker);
    c.act(*this, *window);
    const std::string expected =
        c.expected ? c.expected : WindowTextOf(window->ResEdit);  // the shown folder
    // The proxy password is kept in the account's own key, protected.
    EXPECT_EQ(std::string(c.value) == kProxyPasswordValue ? ReadProxyPassword() : Setting(c.value),
              expected);
  }
  EXPECT_FALSE(AnyError());
}

TEST_F(SaveTest, ResolutionGroupSavesWhenThePointerLeavesItsRectangle) {
  const char* values[9] = {"640", "800", "1024", "1280", "1600", "2048", "hdw1", "hdw2", "hdw3"};
  for (const char* v : values) Set(v, kMarker);
  Click(window->resItems[0]);
  Click(window->resItems[2]);

  // Onto a check box inside the group: not leaving the group.
  PointerLeaves(window->res, CentreOf(window->resItems[4]));
  EXPECT_EQ(Setting("640"), kMarker);
  // From a check box to another one: neither.
  PointerLeaves(window->resItems[0], CentreOf(window->resItems[1]));
  EXPECT_EQ(Setting("640"), kMarker);

  // From a check box straight out of the group: all nine are written.
  PointerLeaves(window->resItems[2]);
  const char* expected[9] = {"1", "0", "1", "0", "0", "0", "0", "0", "0"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Setting(values[i]), expected[i]) << values[i];

  Click(window->resItems[1]);
  PointerLeaves(window->res);
  EXPECT_EQ(Setting("800"), "1");
}

TEST_F(SaveTest, DemoGroupSavesOnChangeAndWhenThePointerLeavesIt) {
  Click(window->demoItems[3]);
  EXPECT_EQ(Setting("Demo"), "4");
  for (HWND control : {window->DemoEdit, window->DemoEditButton, window->NormalHL2, window->HL2LC})
    EXPECT_TRUE(::IsWindowEnabled(control));

  Set("Demo", kMarker);
  PointerLeaves(window->demo, CentreOf(window->DemoEdit));
  EXPECT_EQ(Setting("Demo"), kMarker);
  PointerLeaves(window->HL2LC);  // from a control inside straight out
  EXPECT_EQ(Setting("Demo"), "4");

  // A built-in demo disables the custom controls and keeps the type's tick.
  Click(window->HL2LC);
  Click(window->demoItems[0]);
  EXPECT_EQ(Setting("Demo"), "1");
  EXPECT_FALSE(::IsWindowEnabled(window->HL2LC));
  EXPECT_FALSE(::IsWindowEnabled(window->DemoEditButton));
  EXPECT_EQ(::SendMessageA(window->HL2LC, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SaveTest, CustomDemoOnItsPageAsksForTheFileUntilOneIsChosen) {
  Navigate(NavItem::FiltersDemos);
  EXPECT_EQ(window->Status(), "");
  Click(window->demoItems[3]);
  EXPECT_EQ(window->Status(), bench::kDefineCustomDemo);

  window->SetStatus("");
  seams.file = machine->Root + "demos\\bench.dem";
  Click(window->DemoEditButton);
  EXPECT_EQ(seams.lastFilter, std::string("Half-Life 2 demo file (*.dem)\0*.dem\0\0", 37));
  EXPECT_EQ(WindowTextOf(window->DemoEdit), *seams.file);
  EXPECT_EQ(Setting("Demoname"), *seams.file);

  // With a file defined, ticking the custom demo again no longer asks...
  Click(window->demoItems[0]);
  Click(window->demoItems[3]);
  EXPECT_EQ(window->Status(), "");
  // ...but showing the page does.
  Navigate(NavItem::Miscellaneous);
  Navigate(NavItem::FiltersDemos);
  EXPECT_EQ(window->Status(), bench::kDefineCustomDemo);

  // Cancelling the dialog changes nothing.
  seams.file.reset();
  Click(window->DemoEditButton);
  EXPECT_EQ(WindowTextOf(window->DemoEdit), machine->Root + "demos\\bench.dem");
}

TEST_F(SaveTest, ResultsFolderChosenInTheFolderDialog) {
  struct Case {
    const char* chosen;
    const char* stored;
  };
  const Case cases[] = {{"D:\\", "D:\\"}, {"D:\\Results", "D:\\Results\\"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    seams.folder = c.chosen;
    Click(window->ToolButton5);
    EXPECT_EQ(Setting("ResultPath"), c.stored);
    EXPECT_EQ(WindowTextOf(window->ResEdit), c.stored);
  }
  EXPECT_TRUE(WasShown("choosefolder: Results folder -> D:\\Results"));
  seams.folder.reset();
  Set("ResultPath", kMarker);
  Click(window->ToolButton5);
  EXPECT_EQ(Setting("ResultPath"), kMarker);
}

TEST_F(SaveTest, UseProxyClickEnablesTheFieldsWithoutSaving) {
  Set("UseProxy", kMarker);
  Click(window->UseProxyBox);  // ticked at load: now clear
  for (HWND field : {window->ProxyServerEdit, window->ProxyPortEdit, window->ProxyUsernameEdit,
                     window->ProxyPassEdit})
    EXPECT_FALSE(::IsWindowEnabled(field));
  Click(window->UseProxyBox);
  EXPECT_TRUE(::IsWindowEnabled(window->ProxyPassEdit));
  EXPECT_EQ(Setting("UseProxy"), kMarker);
}

TEST_F(SaveTest, AWriteThatFailsIsReportedAndTheWindowGoesOn) {
  machine->DeleteSettingsKey();
  Choose(window->AFBox, 1);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].rfind("error: Failed to set data for 'AFLevel' |", 0), 0u) << Shown()[0];
  // Pointer-leaves saves need the key and quietly do nothing.
  PointerLeaves(window->FastZBox);
  PointerLeaves(window->res);
  EXPECT_EQ(Shown().size(), 1u);
  // The window still answers.
  Navigate(NavItem::Miscellaneous);
  EXPECT_EQ(window->ActivePage(), Page::Miscellaneous);
  EXPECT_EQ(::SendMessageA(window->AFBox, CB_GETCURSEL, 0, 0), 1);  // the user's choice stays
}

}  // namespace
}  // namespace quorvel::testing
