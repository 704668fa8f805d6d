#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "settings/bench_settings.h"
#include "settings/settings_fakes.h"

namespace quorvel {
namespace {

using testing::FakeControls;
using testing::FakeEnvironment;
using testing::FakeStore;
using Writes = std::vector<std::pair<std::string, std::string>>;

constexpr std::uint64_t kMiB = 1048576;

struct Rig {
  FakeStore store;
  FakeControls controls;
  FakeEnvironment env;
  BenchSettings settings{store, controls, env.Make()};
};

TEST(SettingsSave, EachHandlerWritesItsOwnValues) {
  using C = Control;
  struct Case {
    const char* what;
    std::function<void(FakeControls&)> arrange;
    std::function<void(BenchSettings&)> run;
    Writes writes;
  };
  const std::vector<Case> cases = {
      {"slots: all nine in catalogue order",
       [](FakeControls& c) {
         c.slots[0].ticked = c.slots[2].ticked = c.slots[7].ticked = true;
         c.slots[5] = {false, false, true};
       },
       [](BenchSettings& s) { s.SlotsPointerLeft(); },
       {{"640", "1"},
        {"800", "0"},
        {"1024", "1"},
        {"1280", "0"},
        {"1600", "0"},
        {"2048", "0"},
        {"hdw1", "0"},
        {"hdw2", "1"},
        {"hdw3", "0"}}},
      {"custom box ticked with a size",
       [](FakeControls& c) {
         c.checked[C::cusresbox] = true;
         c.texts[C::CusWidth] = "1400";
         c.texts[C::CusHeight] = "1050";
       },
       [](BenchSettings& s) { s.CusResPointerLeft(); },
       {{"CusRes", "1"}}},
      {"custom box ticked without a height",
       [](FakeControls& c) {
         c.checked[C::cusresbox] = true;
         c.texts[C::CusWidth] = "1400";
       },
       [](BenchSettings& s) { s.CusResPointerLeft(); },
       {{"CusRes", "0"}}},
      {"custom box clear",
       [](FakeControls& c) {
         c.texts[C::CusWidth] = "1400";
         c.texts[C::CusHeight] = "1050";
       },
       [](BenchSettings& s) { s.CusResPointerLeft(); },
       {{"CusRes", "0"}}},
      {"custom size chosen",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.CustomSizeChosen("1280", "1024"); },
       {{"CusW", "1280"}, {"CusH", "1024"}}},
      {"AF item 6",
       [](FakeControls& c) { c.selected[C::AFBox] = 6; },
       [](BenchSettings& s) { s.AFBoxChanged(); },
       {{"AFLevel", "6"}}},
      {"AF nothing selected", [](FakeControls&) {}, [](BenchSettings& s) { s.AFBoxChanged(); }, {}},
      {"AA item 4",
       [](FakeControls& c) { c.selected[C::AABox] = 4; },
       [](BenchSettings& s) { s.AABoxChanged(); },
       {{"AALevel", "4"}}},
      {"runs item 0",
       [](FakeControls& c) { c.selected[C::RunNumberBox] = 0; },
       [](BenchSettings& s) { s.RunNumberChanged(); },
       {{"RunNumber", "1"}}},
      {"runs nothing selected",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.RunNumberChanged(); },
       {}},
      {"demo custom",
       [](FakeControls& c) { c.tickedDemo = 3; },
       [](BenchSettings& s) { s.DemoPointerLeft(); },
       {{"Demo", "4"}}},
      {"demo none ticked", [](FakeControls&) {}, [](BenchSettings& s) { s.DemoPointerLeft(); }, {}},
      {"Lost Coast type ticked",
       [](FakeControls& c) { c.checked[C::HL2LC] = true; },
       [](BenchSettings& s) { s.HL2LCPointerLeft(); },
       {{"LCDemo", "1"}}},
      {"Lost Coast type clear",
       [](FakeControls& c) { c.checked[C::NormalHL2] = true; },
       [](BenchSettings& s) { s.HL2LCPointerLeft(); },
       {}},
      {"normal type ticked",
       [](FakeControls& c) { c.checked[C::NormalHL2] = true; },
       [](BenchSettings& s) { s.NormalHL2PointerLeft(); },
       {{"LCDemo", "0"}}},
      {"normal type clear",
       [](FakeControls& c) { c.checked[C::HL2LC] = true; },
       [](BenchSettings& s) { s.NormalHL2PointerLeft(); },
       {}},
      {"demo file chosen",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.DemoFileChosen("C:\\d\\bench.dem"); },
       {{"Demoname", "C:\\d\\bench.dem"}}},
      {"demo file empty", [](FakeControls&) {}, [](BenchSettings& s) { s.DemoFileChosen(""); }, {}},
      {"drive root folder",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ResultsFolderChosen("D:\\"); },
       {{"ResultPath", "D:\\"}}},
      {"folder",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ResultsFolderChosen("D:\\Results"); },
       {{"ResultPath", "D:\\Results\\"}}},
      {"four-character folder",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ResultsFolderChosen("D:\\a"); },
       {{"ResultPath", "D:\\a\\"}}},
      {"results field left",
       [](FakeControls& c) { c.texts[C::ResEdit] = "E:\\typed"; },
       [](BenchSettings& s) { s.ResEditExited(); },
       {{"ResultPath", "E:\\typed"}}},
      {"results field left empty",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ResEditExited(); },
       {}},
      {"note",
       [](FakeControls& c) { c.texts[C::NoteEdit] = "new card"; },
       [](BenchSettings& s) { s.NoteChanged(); },
       {{"Note", "new card"}}},
      {"note emptied",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.NoteChanged(); },
       {{"Note", ""}}},
      {"HDR changed",
       [](FakeControls& c) { c.selected[C::HDRBox] = 2; },
       [](BenchSettings& s) { s.HDRChanged(); },
       {{"HDR", "2"}}},
      {"HDR left",
       [](FakeControls& c) { c.selected[C::HDRBox] = 0; },
       [](BenchSettings& s) { s.HDRPointerLeft(); },
       {{"HDR", "0"}}},
      {"HDR left, nothing selected",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.HDRPointerLeft(); },
       {}},
      {"heap left",
       [](FakeControls& c) { c.selected[C::HeapsizeBox] = 3; },
       [](BenchSettings& s) { s.HeapsizePointerLeft(); },
       {{"Heapsize", "512000"}}},
      {"refresh changed",
       [](FakeControls& c) { c.selected[C::RefreshBox] = 3; },
       [](BenchSettings& s) { s.RefreshChanged(); },
       {{"Refresh", "85"}}},
      {"refresh left",
       [](FakeControls& c) { c.selected[C::RefreshBox] = 1; },
       [](BenchSettings& s) { s.RefreshPointerLeft(); },
       {{"Refresh", "70"}}},
      {"fast-Z ticked",
       [](FakeControls& c) { c.checked[C::FastZBox] = true; },
       [](BenchSettings& s) { s.FastZPointerLeft(); },
       {{"FastZ", "1"}}},
      {"fast-Z clear",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.FastZPointerLeft(); },
       {{"FastZ", "0"}}},
      {"proxy ticked",
       [](FakeControls& c) { c.checked[C::UseProxyBox] = true; },
       [](BenchSettings& s) { s.UseProxyPointerLeft(); },
       {{"UseProxy", "1"}}},
      {"proxy clear",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.UseProxyPointerLeft(); },
       {{"UseProxy", "0"}}},
      {"proxy clicked writes nothing",
       [](FakeControls& c) { c.checked[C::UseProxyBox] = true; },
       [](BenchSettings& s) { s.UseProxyClicked(); },
       {}},
      {"proxy server",
       [](FakeControls& c) { c.texts[C::ProxyServerEdit] = "10.0.0.1"; },
       [](BenchSettings& s) { s.ProxyServerChanged(); },
       {{"ProxyServer", "10.0.0.1"}}},
      {"proxy server emptied",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ProxyServerChanged(); },
       {}},
      {"proxy port",
       [](FakeControls& c) { c.texts[C::ProxyPortEdit] = "8o8o"; },
       [](BenchSettings& s) { s.ProxyPortChanged(); },
       {{"ProxyPort", "8o8o"}}},
      {"proxy port emptied",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ProxyPortChanged(); },
       {}},
      {"proxy user",
       [](FakeControls& c) { c.texts[C::ProxyUsernameEdit] = "bob"; },
       [](BenchSettings& s) { s.ProxyUsernameChanged(); },
       {{"ProxyUsername", "bob"}}},
      {"proxy user emptied",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ProxyUsernameChanged(); },
       {}},
      {"proxy password",
       [](FakeControls& c) { c.texts[C::ProxyPassEdit] = "secret"; },
       [](BenchSettings& s) { s.ProxyPassChanged(); },
       {{"ProxyPassword", "c2VjcmV0"}}},
      {"proxy password emptied",
       [](FakeControls&) {},
       [](BenchSettings& s) { s.ProxyPassChanged(); },
       {}},
      {"exit",
       [](FakeControls& c) { c.texts[C::NoteEdit] = "last note"; },
       [](BenchSettings& s) { s.SaveAtExit(); },
       {{"Note", "last note"},
        {"Display Memory", ""},
        {"Driver Version", ""},
        {"Sound", ""},
        {"News", "0"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.store.values = {{"ProxyServer", "old"}, {"Display Memory", "256 MB"}};
    c.arrange(rig.controls);
    c.run(rig.settings);
    EXPECT_EQ(rig.store.writes, c.writes);
    EXPECT_TRUE(rig.store.reads.empty());
  }
}

TEST(SettingsSave, FieldsTheHandlersShow) {
  Rig rig;
  rig.controls.checked[Control::cusresbox] = false;
  rig.settings.CustomSizeChosen("1280", "1024");
  EXPECT_EQ(rig.controls.Text(Control::CusWidth), "1280");
  EXPECT_EQ(rig.controls.Text(Control::CusHeight), "1024");
  // Choosing a size leaves the custom box and its value alone.
  EXPECT_FALSE(rig.controls.Checked(Control::cusresbox));

  rig.settings.ResultsFolderChosen("D:\\Results");
  EXPECT_EQ(rig.controls.Text(Control::ResEdit), "D:\\Results\\");
  rig.settings.ResultsFolderChosen("D:\\");
  EXPECT_EQ(rig.controls.Text(Control::ResEdit), "D:\\");

  rig.settings.DemoFileChosen("C:\\d\\bench.dem");
  EXPECT_EQ(rig.controls.Text(Control::DemoEdit), "C:\\d\\bench.dem");
}

TEST(SettingsSave, UseProxyClickEnablesTheFourFields) {
  for (bool ticked : {true, false}) {
    SCOPED_TRACE(ticked);
    Rig rig;
    rig.controls.defaultEnabled = !ticked;
    rig.controls.checked[Control::UseProxyBox] = ticked;
    rig.settings.UseProxyClicked();
    for (Control f : {Control::ProxyServerEdit, Control::ProxyPortEdit, Control::ProxyUsernameEdit,
                      Control::ProxyPassEdit})
      EXPECT_EQ(rig.controls.Enabled(f), ticked);
  }
}

TEST(SettingsSave, RunsWantedFollowsEveryRunNumberWrite) {
  Rig rig;
  rig.store.values["RunNumber"] = "2";
  rig.settings.LoadLevelsAndRuns();
  EXPECT_EQ(rig.settings.RunsWanted(), 2);
  rig.controls.selected[Control::RunNumberBox] = 4;
  rig.settings.RunNumberChanged();
  EXPECT_EQ(rig.settings.RunsWanted(), 5);
  // Nothing selected: nothing written, the last number stays.
  rig.controls.selected[Control::RunNumberBox] = -1;
  rig.settings.RunNumberChanged();
  EXPECT_EQ(rig.settings.RunsWanted(), 5);
  // Without the key nothing is written, so the number does not change either.
  rig.store.keyExists = false;
  rig.controls.selected[Control::RunNumberBox] = 0;
  rig.settings.RunNumberChanged();
  EXPECT_EQ(rig.settings.RunsWanted(), 5);
}

TEST(SettingsSave, WithoutTheKeyGuardedHandlersDoNothingAndOthersFail) {
  for (const testing::HandlerCase& c : testing::AllSaveHandlers()) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.store.keyExists = false;
    c.arrange(rig.controls);
    if (c.keyMustExist) {
      EXPECT_NO_THROW(c.run(rig.settings));
    } else {
      try {
        c.run(rig.settings);
        ADD_FAILURE() << "no error";
      } catch (const AppError& e) {
        EXPECT_EQ(e.what(), std::string("Failed to set data for '") + c.firstValue + "'");
      }
    }
    EXPECT_TRUE(rig.store.writes.empty());
    // With the key every one of them writes, starting with the named value.
    Rig withKey;
    c.arrange(withKey.controls);
    c.run(withKey.settings);
    ASSERT_FALSE(withKey.store.writes.empty());
    EXPECT_EQ(withKey.store.writes.front().first, c.firstValue);
  }
}

TEST(SettingsSave, HeapSizeCheck) {
  struct Case {
    const char* what;
    std::uint64_t memory;
    int chosen;
    std::optional<std::string> message;
    int selectedAfter;
    std::optional<std::string> stored;
  };
  const std::vector<Case> cases = {
      {"1024 MB on a 1024 MB machine", 1024 * kMiB, 4, "The recommended (maximum) size: 512 MB", 3,
       "512000"},
      {"1024 MB on a 1 GB machine short of a few MB", 1000 * kMiB, 4,
       "The recommended (maximum) size: 512 MB", 3, "512000"},
      {"1024 MB on a 768 MB machine", 768 * kMiB, 4, "The recommended (maximum) size: 384 MB", 4,
       "1024000"},
      {"512 MB on a 768 MB machine", 768 * kMiB, 3, std::nullopt, 3, "512000"},
      {"512 MB on a 512 MB machine", 512 * kMiB, 3, "The recommended (maximum) size: 256 MB", 2,
       "256000"},
      {"1024 MB on a 500 MB machine", 500 * kMiB, 4, "The recommended (maximum) size: 256 MB", 2,
       "256000"},
      {"256 MB on a 256 MB machine", 256 * kMiB, 2, "The recommended (maximum) size: 128 MB", 1,
       "128000"},
      {"128 MB on a 128 MB machine", 128 * kMiB, 1, "The recommended (maximum) size: 64 MB", 0,
       "64000"},
      {"64 MB on a 128 MB machine", 128 * kMiB, 0, std::nullopt, 0, "64000"},
      {"64 MB on a 64 MB machine", 64 * kMiB, 0, "The recommended (maximum) size: 32 MB", 0,
       "64000"},
      {"512 MB on a 300 MB machine", 300 * kMiB, 3, "The recommended (maximum) size: 150 MB", 3,
       "512000"},
      {"1024 MB with 1500 MB", 1500 * kMiB, 4, std::nullopt, 4, "1024000"},
      {"1024 MB with 4 GB", 4096 * kMiB, 4, std::nullopt, 4, "1024000"},
      {"1024 MB with 64 GB", 65536 * kMiB, 4, std::nullopt, 4, "1024000"},
      {"nothing selected", 64 * kMiB, -1, std::nullopt, -1, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.env.memoryBytes = c.memory;
    rig.controls.selected[Control::HeapsizeBox] = c.chosen;
    rig.settings.HeapsizeChanged();
    if (c.message)
      EXPECT_EQ(rig.env.messages, std::vector<std::string>{*c.message});
    else
      EXPECT_TRUE(rig.env.messages.empty());
    EXPECT_EQ(rig.controls.Selected(Control::HeapsizeBox), c.selectedAfter);
    if (c.stored)
      EXPECT_EQ(rig.store.writes, (Writes{{"Heapsize", *c.stored}}));
    else
      EXPECT_TRUE(rig.store.writes.empty());
  }
}

TEST(SettingsSave, HeapSizeCheckSeesTheMemoryAnewAndNotOnPointerLeave) {
  Rig rig;
  rig.controls.selected[Control::HeapsizeBox] = 4;
  rig.env.memoryBytes = 8192 * kMiB;
  rig.settings.HeapsizeChanged();
  EXPECT_TRUE(rig.env.messages.empty());
  rig.env.memoryBytes = 1024 * kMiB;
  rig.settings.HeapsizePointerLeft();
  EXPECT_TRUE(rig.env.messages.empty());
  EXPECT_EQ(rig.controls.Selected(Control::HeapsizeBox), 4);
  rig.settings.HeapsizeChanged();
  EXPECT_EQ(rig.env.messages.size(), 1u);
  EXPECT_EQ(rig.controls.Selected(Control::HeapsizeBox), 3);
  const Writes expected = {
      {"Heapsize", "1024000"}, {"Heapsize", "1024000"}, {"Heapsize", "512000"}};
  EXPECT_EQ(rig.store.writes, expected);
}

}  // namespace
}  // namespace quorvel
