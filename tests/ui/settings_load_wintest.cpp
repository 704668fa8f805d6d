// Start-up loads the stored settings into the real controls of the main window.
#include "settings/registry_settings_store_win.h"
#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

class LoadTest : public WindowTest {
 protected:
  bool Ticked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(HWND control) { return ::IsWindowEnabled(control) != FALSE; }
  int Selection(HWND combo) { return static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
};

TEST_F(LoadTest, FixedResolutionsAreUsableOnlyWhenTheDisplayOffersThem) {
  seams.modes = {{640, 480}, {800, 600}, {1024, 768}, {800, 600}, {1280, 1024}, {1920, 1080}};
  Install({{"640", "1"},
           {"800", "0"},
           {"1024", "1"},
           {"1600", "1"},
           {"2048", "1"},
           {"hdw1", "1"},
           {"hdw2", "1"},
           {"hdw3", "1"}});
  Open();
  ASSERT_TRUE(completed);
  struct Expect {
    bool enabled;
    bool ticked;
  };
  // 640 800 1024 1280 1600 2048 hdw1 hdw2 hdw3
  const Expect expected[9] = {{true, true},   {true, false},  {true, true},
                              {true, false},  {false, false}, {false, false},
                              {false, false}, {true, true},   {false, false}};
  for (int slot = 0; slot < 9; ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(Enabled(window->resItems[slot]), expected[slot].enabled);
    EXPECT_EQ(Ticked(window->resItems[slot]), expected[slot].ticked);
  }
  // The load itself leaves the stored values of unavailable sizes alone...
  EXPECT_EQ(Setting("2048"), "1");
  // ...the next save of the group writes them clear.
  PointerLeaves(window->res);
  EXPECT_EQ(Setting("2048"), "0");
  EXPECT_EQ(Setting("hdw3"), "0");
  EXPECT_EQ(Setting("hdw2"), "1");
}

TEST_F(LoadTest, CustomSizeNeedsTheDisplaysModeAndBothValues) {
  struct Case {
    const char* name;
    std::vector<std::pair<DWORD, DWORD>> modes;
    const char* cusW;
    const char* cusH;
    const char* cusRes;
    const char* shownW;
    const char* shownH;
    bool ticked;
    const char* storedW;
    const char* storedH;
  };
  const Case cases[] = {
      {"offered",
       {{800, 600}, {1400, 1050}},
       "1400",
       "1050",
       "1",
       "1400",
       "1050",
       true,
       "1400",
       "1050"},
      {"offered, box clear",
       {{1400, 1050}},
       "1400",
       "1050",
       "0",
       "1400",
       "1050",
       false,
       "1400",
       "1050"},
      {"not offered", {{800, 600}, {1024, 768}}, "1400", "1050", "1", "", "", false, "0", "0"},
      {"width 0", {{1024, 768}}, "0", "768", "1", "", "", false, "0", "768"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seams.modes = c.modes;
    Install({{"CusW", c.cusW}, {"CusH", c.cusH}, {"CusRes", c.cusRes}});
    Open();
    EXPECT_EQ(WindowTextOf(window->CusWidth), c.shownW);
    EXPECT_EQ(WindowTextOf(window->CusHeight), c.shownH);
    EXPECT_EQ(Ticked(window->cusresbox), c.ticked);
    EXPECT_EQ(Setting("CusW"), c.storedW);
    EXPECT_EQ(Setting("CusH"), c.storedH);
    picker.reset();
    window.reset();
  }
}

TEST_F(LoadTest, ListsCheckBoxesAndFieldsShowTheirStoredValues) {
  Install({{"AFLevel", "3"},
           {"AALevel", "9"},
           {"RunNumber", "4"},
           {"HDR", "2"},
           {"Heapsize", "96000"},
           {"Refresh", "75"},
           {"Note", "quiet machine"},
           {"UseProxy", "1"},
           {"ProxyServer", "proxy.local"},
           {"ProxyPort", "3128"},
           {"ProxyUsername", "ann"},
           {"ProxyPassword", "c2VjcmV0"}});
  Open();
  ASSERT_TRUE(completed);
  EXPECT_EQ(Selection(window->AFBox), 3);
  EXPECT_EQ(Selection(window->AABox), -1);  // not one of the items
  EXPECT_EQ(Selection(window->RunNumberBox), 3);
  EXPECT_EQ(window->Settings()->RunsWanted(), 4);
  EXPECT_EQ(Selection(window->HDRBox), 2);
  EXPECT_EQ(Selection(window->HeapsizeBox), -1);  // 96000 is no item's text
  EXPECT_EQ(Selection(window->RefreshBox), 2);
  EXPECT_EQ(WindowTextOf(window->NoteEdit), "quiet machine");
  EXPECT_TRUE(Ticked(window->FastZBox));  // missing value: ticked
  EXPECT_TRUE(Ticked(window->UseProxyBox));
  for (HWND field : {window->ProxyServerEdit, window->ProxyPortEdit, window->ProxyUsernameEdit,
                     window->ProxyPassEdit})
    EXPECT_TRUE(Enabled(field));
  EXPECT_EQ(WindowTextOf(window->ProxyServerEdit), "proxy.local");
  EXPECT_EQ(WindowTextOf(window->ProxyPortEdit), "3128");
  EXPECT_EQ(WindowTextOf(window->ProxyPassEdit), "secret");
  EXPECT_EQ(::SendMessageA(window->ProxyPassEdit, EM_GETPASSWORDCHAR, 0, 0), '*');
  // The load's own setting of the fields runs their change handlers.
  EXPECT_EQ(store->writes["Note"], 1);
  EXPECT_EQ(store->writes["ProxyServer"], 1);
  EXPECT_EQ(ReadProxyPassword(), "c2VjcmV0");
}

TEST_F(LoadTest, FastZAndProxyBoxRules) {
  struct Case {
    const char* fastZ;  // nullptr: missing
    const char* useProxy;
    bool fastZTicked;
    bool proxyTicked;
  };
  const Case cases[] = {{nullptr, nullptr, true, false},
                        {"0", "0", false, false},
                        {"1", "1", true, true},
                        {"yes", "yes", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fastZ ? c.fastZ : "missing");
    Install();
    if (c.fastZ) Set("FastZ", c.fastZ);
    if (c.useProxy) Set("UseProxy", c.useProxy);
    Open();
    EXPECT_EQ(Ticked(window->FastZBox), c.fastZTicked);
    EXPECT_EQ(Ticked(window->UseProxyBox), c.proxyTicked);
    EXPECT_EQ(Enabled(window->ProxyServerEdit), c.proxyTicked);
    EXPECT_EQ(Enabled(window->ProxyPassEdit), c.proxyTicked);
    picker.reset();
    window.reset();
  }
}

TEST_F(LoadTest, DemoChoiceAndItsType) {
  struct Case {
    const char* demo;
    const char* lcDemo;  // nullptr: missing
    int ticked;
    bool normal;
    bool lostCoast;
    bool customEnabled;
  };
  const Case cases[] = {
      {"4", nullptr, 3, true, false, true},    {"4", "1", 3, false, true, true},
      {"2", "1", 1, false, false, false},      {"1", nullptr, 0, false, false, false},
      {"7", nullptr, -1, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.demo) + "/" + (c.lcDemo ? c.lcDemo : "missing"));
    Install({{"Demo", c.demo}});
    if (c.lcDemo) Set("LCDemo", c.lcDemo);
    Open();
    EXPECT_EQ(window->TickedDemo(), c.ticked);
    EXPECT_EQ(Ticked(window->NormalHL2), c.normal);
    EXPECT_EQ(Ticked(window->HL2LC), c.lostCoast);
    for (HWND control :
         {window->DemoEdit, window->DemoEditButton, window->NormalHL2, window->HL2LC})
      EXPECT_EQ(Enabled(control), c.customEnabled);
    // Ticking the item at load ran the group's change handling, which stores the choice.
    if (c.ticked >= 0) EXPECT_EQ(store->writes["Demo"], 1);
    // The hint belongs to the page "Filters & demos", which start-up does not show.
    EXPECT_EQ(window->Status(), "");
    picker.reset();
    window.reset();
  }
}

TEST_F(LoadTest, DemoFileIsShownOnlyWhileItExists) {
  Install();
  const std::string demoFile = machine->Root + "mine\\bench.dem";
  WriteFile(demoFile, "demo");
  Set("Demo", "4");
  Set("Demoname", demoFile);
  Open();
  EXPECT_EQ(WindowTextOf(window->DemoEdit), demoFile);
  picker.reset();
  window.reset();

  Set("Demoname", machine->Root + "gone\\old.dem");
  Open();
  EXPECT_EQ(WindowTextOf(window->DemoEdit), "");
  EXPECT_EQ(Setting("Demoname"), machine->Root + "gone\\old.dem");  // not erased
}

TEST_F(LoadTest, ResultsFolderFallsBackToTheProgramsBenchmarkFolder) {
  struct Case {
    const char* name;
    bool exists;
    bool empty;
  };
  const Case cases[] = {
      {"existing", true, false}, {"missing folder", false, false}, {"empty", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install();
    std::string folder = machine->Root + "results\\";
    RemoveTree(folder);
    if (c.exists) files::ForceDirectories(folder);
    Set("ResultPath", c.empty ? "" : folder);
    Open();
    std::string expected = c.exists ? folder : machine->InstallFolder + "Benchmark\\";
    EXPECT_EQ(WindowTextOf(window->ResEdit), expected);
    EXPECT_EQ(Setting("ResultPath"), expected);
    EXPECT_TRUE(files::DirectoryExists(machine->InstallFolder + "Benchmark\\"));
    picker.reset();
    window.reset();
  }
}

TEST_F(LoadTest, WrongValueTypeStopsStartUpThereAndTheWindowStaysUsable) {
  Install({{"AFLevel", "2"}, {"Path", "untouched"}, {"Note", "kept"}});
  {
    RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS);
    reg::WriteDword(key.Get(), "AALevel", 3);
  }
  Open();
  EXPECT_FALSE(completed);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().front().rfind("error: Invalid data type for 'AALevel' |", 0), 0u)
      << Shown().front();
  // The steps before it are done, the ones after it are not.
  EXPECT_EQ(::SendMessageA(window->AFBox, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Setting("Path"), "untouched");
  EXPECT_EQ(WindowTextOf(window->HL2PathEdit), "");
  EXPECT_EQ(WindowTextOf(window->NoteEdit), "");
  EXPECT_EQ(WindowTextOf(window->verselabel), "v2.3.0.0");
  EXPECT_FALSE(window->AboutViewShown());
  EXPECT_TRUE(::IsWindowVisible(window->Pages[0]));
  // The window goes on working.
  Type(window->NoteEdit, "typed later");
  EXPECT_EQ(Setting("Note"), "typed later");
  Navigate(NavItem::About);
  EXPECT_TRUE(window->AboutViewShown());
}

}  // namespace
}  // namespace quorvel::testing
