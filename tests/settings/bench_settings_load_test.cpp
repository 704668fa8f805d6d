#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "settings/bench_settings.h"
#include "settings/settings_fakes.h"

namespace quorvel {
namespace {

using testing::FakeControls;
using testing::FakeEnvironment;
using testing::FakeStore;
using Writes = std::vector<std::pair<std::string, std::string>>;

const std::vector<std::string> kAllModes = {
    "640 x 480",   "800 x 600",  "1024 x 768",  "1280 x 1024", "1600 x 1200",
    "2048 x 1536", "1280 x 768", "1920 x 1080", "1920 x 1200", "1400 x 1050"};
const std::vector<std::string> kNullDriverModes = {"640 x 480", "800 x 600", "1024 x 768"};

struct Rig {
  FakeStore store;
  FakeControls controls;
  FakeEnvironment env;
  BenchSettings settings{store, controls, env.Make()};
  Rig() { testing::WireChangeHandlers(controls, settings); }
  void LoadAll(const std::vector<std::string>& modes = kAllModes) {
    settings.LoadSlotsAndCustomSize(modes);
    settings.LoadLevelsAndRuns();
    settings.LoadRemaining();
  }
};

TEST(SettingsLoad, ReadsEveryValueInStartUpOrder) {
  Rig rig;
  rig.store.values = {{"Demo", "4"},
                      {"ProxyPassword", "cHc="},
                      {"CusW", "1400"},
                      {"CusH", "1050"},
                      {"ResultPath", "D:\\R\\"}};
  rig.env.folders = {"D:\\R\\"};
  rig.LoadAll();
  const std::vector<std::string> expected = {
      "640",         "800",       "1024",          "1280",          "1600",    "2048",
      "hdw1",        "hdw2",      "hdw3",          "CusW",          "CusH",    "CusRes",
      "AFLevel",     "AALevel",   "RunNumber",     "Demo",          "LCDemo",  "Demoname",
      "ResultPath",  "Note",      "HDR",           "Heapsize",      "Refresh", "UseProxy",
      "ProxyServer", "ProxyPort", "ProxyUsername", "ProxyPassword", "FastZ"};
  EXPECT_EQ(rig.store.reads, expected);
}

TEST(SettingsLoad, SlotIsTickedOnlyWhenStoredOneAndOffered) {
  struct Case {
    const char* what;
    std::vector<std::string> modes;
    std::map<std::string, std::string> stored;
    std::array<bool, 9> enabled;
    std::array<bool, 9> ticked;
  };
  const std::map<std::string, std::string> allOn = {{"640", "1"},  {"800", "1"},  {"1024", "1"},
                                                    {"1280", "1"}, {"1600", "1"}, {"2048", "1"},
                                                    {"hdw1", "1"}, {"hdw2", "1"}, {"hdw3", "1"}};
  const std::vector<Case> cases = {
      {"every size offered",
       kAllModes,
       allOn,
       {1, 1, 1, 1, 1, 1, 1, 1, 1},
       {1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"Wine's null display",
       kNullDriverModes,
       allOn,
       {1, 1, 1, 0, 0, 0, 0, 0, 0},
       {1, 1, 1, 0, 0, 0, 0, 0, 0}},
      {"no mode at all", {}, allOn, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"only an exact \"1\" ticks",
       kAllModes,
       {{"640", "0"}, {"800", "1 "}, {"1024", "true"}, {"1280", "01"}, {"1600", "1"}},
       {1, 1, 1, 1, 1, 1, 1, 1, 1},
       {0, 0, 0, 0, 1, 0, 0, 0, 0}},
      // The list is searched as one text, so a size inside a larger entry counts as offered.
      {"plain search in the list text",
       {"11280 x 7680"},
       allOn,
       {0, 0, 0, 0, 0, 0, 1, 0, 0},
       {0, 0, 0, 0, 0, 0, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.store.values = c.stored;
    rig.settings.LoadSlotsAndCustomSize(c.modes);
    for (int i = 0; i < 9; ++i) {
      SCOPED_TRACE(i);
      EXPECT_TRUE(rig.controls.slots[i].touched);
      EXPECT_EQ(rig.controls.slots[i].enabled, c.enabled[i]);
      EXPECT_EQ(rig.controls.slots[i].ticked, c.ticked[i]);
    }
    // The stored values of unavailable slots are left for the next save of the group.
    for (const auto& [name, text] : rig.store.writes) EXPECT_TRUE(name == "CusW" || name == "CusH");
  }
}

TEST(SettingsLoad, UnofferedSlotsAreStoredClearAfterThePointerLeavesTheGroup) {
  Rig rig;
  rig.store.values = {{"2048", "1"}, {"hdw3", "1"}, {"1024", "1"}};
  std::vector<std::string> modes = kAllModes;
  std::erase(modes, "2048 x 1536");
  std::erase(modes, "1920 x 1200");
  rig.settings.LoadSlotsAndCustomSize(modes);
  EXPECT_FALSE(rig.controls.slots[5].enabled);
  EXPECT_FALSE(rig.controls.slots[8].enabled);
  EXPECT_EQ(rig.store.values["2048"], "1");
  rig.settings.SlotsPointerLeft();
  EXPECT_EQ(rig.store.values["2048"], "0");
  EXPECT_EQ(rig.store.values["hdw3"], "0");
  EXPECT_EQ(rig.store.values["1024"], "1");
}

TEST(SettingsLoad, CustomSize) {
  struct Case {
    const char* what;
    std::vector<std::string> modes;
    std::optional<std::string> cusW, cusH, cusRes;
    std::optional<std::string> shownW, shownH;  // nullopt: field never set
    bool ticked;
    Writes writes;
    bool readsCusRes;
  };
  const std::vector<Case> cases = {
      {"offered and ticked", kAllModes, "1400", "1050", "1", "1400", "1050", true, {}, true},
      {"offered, not ticked", kAllModes, "1400", "1050", "0", "1400", "1050", false, {}, true},
      {"not offered",
       kNullDriverModes,
       "1400",
       "1050",
       "1",
       "",
       "",
       false,
       {{"CusW", "0"}, {"CusH", "0"}},
       false},
      {"width 0", kAllModes, "0", "768", "1", std::nullopt, std::nullopt, false, {}, false},
      {"height 0",
       kNullDriverModes,
       "1400",
       "0",
       "1",
       std::nullopt,
       std::nullopt,
       false,
       {},
       false},
      {"both missing: \" x \" is in any list",
       kAllModes,
       std::nullopt,
       std::nullopt,
       "1",
       "",
       "",
       false,
       {},
       true},
      {"both missing, no modes",
       {},
       std::nullopt,
       std::nullopt,
       "1",
       "",
       "",
       false,
       {{"CusW", "0"}, {"CusH", "0"}},
       false},
      {"height missing", kAllModes, "1400", std::nullopt, "1", "1400", "", false, {}, true},
      {"text inside an entry", kAllModes, "4", "76", "1", "4", "76", true, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    if (c.cusW) rig.store.values["CusW"] = *c.cusW;
    if (c.cusH) rig.store.values["CusH"] = *c.cusH;
    if (c.cusRes) rig.store.values["CusRes"] = *c.cusRes;
    rig.settings.LoadSlotsAndCustomSize(c.modes);
    auto shown = [&](Control f) -> std::optional<std::string> {
      auto it = rig.controls.texts.find(f);
      if (it == rig.controls.texts.end()) return std::nullopt;
      return it->second;
    };
    EXPECT_EQ(shown(Control::CusWidth), c.shownW);
    EXPECT_EQ(shown(Control::CusHeight), c.shownH);
    EXPECT_EQ(rig.controls.Checked(Control::cusresbox), c.ticked);
    EXPECT_EQ(rig.store.writes, c.writes);
    EXPECT_EQ(std::count(rig.store.reads.begin(), rig.store.reads.end(), "CusRes"),
              c.readsCusRes ? 1 : 0);
  }
}

TEST(SettingsLoad, LevelsAndRuns) {
  struct Case {
    const char* af;
    const char* aa;
    const char* runs;
    int afItem, aaItem, runsItem, runsWanted;
  };
  const std::vector<Case> cases = {
      {"0", "0", "1", 0, 0, 0, 1},       {"6", "4", "5", 6, 4, 4, 5},
      {"7", "5", "6", -1, -1, -1, 0},    {"", "", "", -1, -1, -1, 0},
      {"01", " 1", "3 ", -1, -1, -1, 0}, {"-1", "x", "0", -1, -1, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.af) + "|" + c.aa + "|" + c.runs);
    Rig rig;
    rig.store.values = {{"AFLevel", c.af}, {"AALevel", c.aa}, {"RunNumber", c.runs}};
    rig.settings.LoadLevelsAndRuns();
    EXPECT_EQ(rig.controls.Selected(Control::AFBox), c.afItem);
    EXPECT_EQ(rig.controls.Selected(Control::AABox), c.aaItem);
    EXPECT_EQ(rig.controls.Selected(Control::RunNumberBox), c.runsItem);
    EXPECT_EQ(rig.settings.RunsWanted(), c.runsWanted);
    EXPECT_TRUE(rig.store.writes.empty());
  }
}

TEST(SettingsLoad, DemoAndItsType) {
  struct Case {
    std::optional<std::string> demo, lcDemo;
    std::vector<int> ticks;
    bool hl2lc, normal, readsLCDemo;
  };
  const std::vector<Case> cases = {
      {"4", std::nullopt, {3}, false, true, true},  {"4", "1", {3}, true, false, true},
      {"4", "0", {3}, false, true, true},           {"4", "yes", {3}, false, true, true},
      {"2", "1", {1}, false, false, false},         {"1", "0", {0}, false, false, false},
      {"5", "1", {}, false, false, false},          {"0", "1", {}, false, false, false},
      {std::nullopt, "1", {}, false, false, false}, {"04", "1", {}, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.demo.value_or("(missing)") + "|" + c.lcDemo.value_or("(missing)"));
    Rig rig;
    if (c.demo) rig.store.values["Demo"] = *c.demo;
    if (c.lcDemo) rig.store.values["LCDemo"] = *c.lcDemo;
    // The type buttons must be set after the demo group has had its say.
    bool typeSetBeforeTick = false;
    rig.controls.onDemoTicked = [&](int) {
      typeSetBeforeTick = rig.controls.checked.count(Control::HL2LC) > 0;
    };
    rig.settings.LoadRemaining();
    EXPECT_EQ(rig.controls.demoTicks, c.ticks);
    EXPECT_FALSE(typeSetBeforeTick);
    EXPECT_EQ(rig.controls.Checked(Control::HL2LC), c.hl2lc);
    EXPECT_EQ(rig.controls.Checked(Control::NormalHL2), c.normal);
    EXPECT_EQ(std::count(rig.store.reads.begin(), rig.store.reads.end(), "LCDemo"),
              c.readsLCDemo ? 1 : 0);
  }
}

TEST(SettingsLoad, DemoFileAndResultsFolder) {
  struct Case {
    const char* what;
    std::optional<std::string> demoname, resultPath;
    std::set<std::string> files, folders;
    std::optional<std::string> shownDemo;
    std::string shownResults;
    Writes writes;  // besides "Note", which the load writes back through its handler
  };
  const std::string kDefault = "C:\\Quorvel\\Benchmark\\";
  const std::vector<Case> cases = {
      {"both present",
       "C:\\d\\bench.dem",
       "D:\\Results\\",
       {"C:\\d\\bench.dem"},
       {"D:\\Results\\"},
       "C:\\d\\bench.dem",
       "D:\\Results\\",
       {}},
      {"drive root results folder", std::nullopt, "D:\\", {}, {"D:\\"}, std::nullopt, "D:\\", {}},
      {"demo file gone, kept in store",
       "C:\\d\\gone.dem",
       "D:\\Results\\",
       {},
       {"D:\\Results\\"},
       std::nullopt,
       "D:\\Results\\",
       {}},
      {"results folder gone",
       std::nullopt,
       "D:\\Gone\\",
       {},
       {"D:\\Results\\"},
       std::nullopt,
       kDefault,
       {{"ResultPath", kDefault}}},
      {"results folder empty",
       std::nullopt,
       "",
       {},
       {kDefault},
       std::nullopt,
       kDefault,
       {{"ResultPath", kDefault}}},
      {"results folder missing",
       std::nullopt,
       std::nullopt,
       {},
       {},
       std::nullopt,
       kDefault,
       {{"ResultPath", kDefault}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    if (c.demoname) rig.store.values["Demoname"] = *c.demoname;
    if (c.resultPath) rig.store.values["ResultPath"] = *c.resultPath;
    rig.env.files = c.files;
    rig.env.folders = c.folders;
    rig.settings.LoadRemaining();
    if (c.shownDemo)
      EXPECT_EQ(rig.controls.Text(Control::DemoEdit), *c.shownDemo);
    else
      EXPECT_FALSE(rig.controls.Touched(Control::DemoEdit));
    EXPECT_EQ(rig.controls.Text(Control::ResEdit), c.shownResults);
    Writes writes;
    for (const auto& w : rig.store.writes)
      if (w.first != "Note") writes.push_back(w);
    EXPECT_EQ(writes, c.writes);
  }
}

TEST(SettingsLoad, ListsByStoredText) {
  struct Case {
    const char* hdr;
    const char* heap;
    const char* refresh;
    int hdrItem, heapItem, refreshItem;
  };
  const std::vector<Case> cases = {
      {"0", "64000", "60", 0, 0, 0},      {"2", "1024000", "85", 2, 4, 3},
      {"1", "256000", "75", 1, 2, 2},     {"3", "96000", "80", -1, -1, -1},
      {"", "", "", -1, -1, -1},           {"1", "64", "60 Hz", 1, -1, -1},
      {"2", "512000 ", "070", 2, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.hdr) + "|" + c.heap + "|" + c.refresh);
    Rig rig;
    rig.store.values = {{"HDR", c.hdr}, {"Heapsize", c.heap}, {"Refresh", c.refresh}};
    rig.settings.LoadRemaining();
    EXPECT_EQ(rig.controls.Selected(Control::HDRBox), c.hdrItem);
    EXPECT_EQ(rig.controls.Selected(Control::HeapsizeBox), c.heapItem);
    EXPECT_EQ(rig.controls.Selected(Control::RefreshBox), c.refreshItem);
    // A heap size at load is never checked against the memory.
    EXPECT_TRUE(rig.env.messages.empty());
  }
}

TEST(SettingsLoad, FastZIsOnUnlessStoredZero) {
  const std::vector<std::pair<std::optional<std::string>, bool>> cases = {
      {std::nullopt, true}, {"", true}, {"1", true}, {"0", false}, {"00", true}, {"false", true}};
  for (const auto& [stored, ticked] : cases) {
    SCOPED_TRACE(stored.value_or("(missing)"));
    Rig rig;
    if (stored) rig.store.values["FastZ"] = *stored;
    rig.settings.LoadRemaining();
    EXPECT_EQ(rig.controls.Checked(Control::FastZBox), ticked);
    EXPECT_TRUE(rig.controls.Touched(Control::FastZBox));
  }
}

TEST(SettingsLoad, ProxyFieldsAreEnabledExactlyWhenUseProxyIsOne) {
  const Control kFields[] = {Control::ProxyServerEdit, Control::ProxyPortEdit,
                             Control::ProxyUsernameEdit, Control::ProxyPassEdit};
  const std::vector<std::pair<std::optional<std::string>, bool>> cases = {
      {"1", true}, {std::nullopt, false}, {"0", false}, {"true", false}, {" 1", false}};
  for (const auto& [stored, on] : cases) {
    // Start from the opposite state so the load has to set each field.
    for (bool initiallyEnabled : {false, true}) {
      SCOPED_TRACE(stored.value_or("(missing)") + (initiallyEnabled ? " enabled" : " disabled"));
      Rig rig;
      rig.controls.defaultEnabled = initiallyEnabled;
      if (stored) rig.store.values["UseProxy"] = *stored;
      rig.settings.LoadRemaining();
      EXPECT_EQ(rig.controls.Checked(Control::UseProxyBox), on);
      for (Control f : kFields) EXPECT_EQ(rig.controls.Enabled(f), on);
    }
  }
}

TEST(SettingsLoad, ProxyTextsAreShownAndWrittenBackThroughTheirHandlers) {
  Rig rig;
  rig.store.values = {{"ProxyServer", "proxy.lan"},
                      {"ProxyPort", "80a"},
                      {"ProxyUsername", "bob"},
                      {"ProxyPassword", "c2Vj\r\ncmV0"},
                      {"Note", "quiet run"}};
  rig.settings.LoadRemaining();
  EXPECT_EQ(rig.controls.Text(Control::ProxyServerEdit), "proxy.lan");
  EXPECT_EQ(rig.controls.Text(Control::ProxyPortEdit), "80a");
  EXPECT_EQ(rig.controls.Text(Control::ProxyUsernameEdit), "bob");
  EXPECT_EQ(rig.controls.Text(Control::ProxyPassEdit), "secret");
  EXPECT_EQ(rig.controls.Text(Control::NoteEdit), "quiet run");
  const Writes expected = {{"ResultPath", "C:\\Quorvel\\Benchmark\\"},
                           {"Note", "quiet run"},
                           {"ProxyServer", "proxy.lan"},
                           {"ProxyPort", "80a"},
                           {"ProxyUsername", "bob"},
                           {"ProxyPassword", "c2VjcmV0"}};
  EXPECT_EQ(rig.store.writes, expected);
}

TEST(SettingsLoad, EmptyStoreLeavesTheWindowsDefaults) {
  Rig rig;
  rig.LoadAll();
  for (Control list : {Control::AFBox, Control::AABox, Control::RunNumberBox, Control::HDRBox,
                       Control::HeapsizeBox, Control::RefreshBox})
    EXPECT_EQ(rig.controls.Selected(list), -1);
  EXPECT_TRUE(rig.controls.demoTicks.empty());
  EXPECT_FALSE(rig.controls.Touched(Control::DemoEdit));
  EXPECT_EQ(rig.controls.texts.count(Control::ProxyPassEdit), 0u);
  EXPECT_FALSE(rig.controls.Checked(Control::cusresbox));
  EXPECT_FALSE(rig.controls.Checked(Control::UseProxyBox));
  EXPECT_TRUE(rig.controls.Checked(Control::FastZBox));
  EXPECT_EQ(rig.settings.RunsWanted(), 0);
  // Only the results folder default and the fields that rewrite themselves are written;
  // empty proxy fields keep whatever is stored.
  const Writes expected = {{"ResultPath", "C:\\Quorvel\\Benchmark\\"}, {"Note", ""}};
  EXPECT_EQ(rig.store.writes, expected);
}

TEST(SettingsLoad, WrongTypeStopsTheLoadAtThatValue) {
  Rig rig;
  rig.store.values = {{"HDR", "1"}, {"Refresh", "60"}, {"FastZ", "0"}, {"Heapsize", "64000"}};
  rig.store.wrongType = {"Heapsize"};
  try {
    rig.settings.LoadRemaining();
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Heapsize'");
  }
  EXPECT_EQ(rig.controls.Selected(Control::HDRBox), 1);
  EXPECT_FALSE(rig.controls.Touched(Control::HeapsizeBox));
  EXPECT_FALSE(rig.controls.Touched(Control::RefreshBox));
  EXPECT_FALSE(rig.controls.Touched(Control::FastZBox));
  EXPECT_EQ(rig.store.reads.back(), "Heapsize");
}

}  // namespace
}  // namespace quorvel
