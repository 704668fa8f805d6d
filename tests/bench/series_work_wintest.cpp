// Whole series through the run sequencer with the benchmark's real steps: the game's registry,
// script, demo, result files and the saved report are real files and keys in the test's
// prefix; only the window, Steam and the game are played by the test.
#include "bench/series_work_win.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "bench/reference_machine.h"
#include "bench/report_writer.h"
#include "bench/temp_tree_win.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/game_backup.h"
#include "settings/settings_fakes.h"
#include "support/scripted_seams_win.h"

namespace quorvel::bench {
namespace {

using steam::Game;

constexpr const char* kSid = "S-1-5-21-4242-4242-4242-1002";

// The window as the sequencer meets it.
class FakeView : public SeriesView {
 public:
  std::string status;
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  int runsWanted = 1;
  std::deque<std::function<void()>> timers;

  void SetStatus(const std::string& text) override { status = text; }
  void EnableRunButton(bool) override {}
  void ShowPanel(bool) override {}
  void SetPanelTitle(const std::string&, int, int) override {}
  void ShowProgressLabels(bool) override {}
  void SetResolutionLabel(const std::string&) override {}
  void SetRunsLabel(const std::string&) override {}
  void Repaint() override {}
  void SaveBounds() override {}
  void RestoreBounds() override {}
  bool Confirm(const std::string&) override { return false; }
  void Message(const std::string& text) override { messages.push_back(text); }
  void ReportError(const std::exception& e) override { errors.push_back(e.what()); }
  int SaveRunNumber(int) override { return runsWanted; }
  void After(unsigned, std::function<void()> then) override { timers.push_back(std::move(then)); }
};

// The benchmark's real steps, with Steam, the game, the probes and the script's restore
// played by the test. The game "plays" the named demo when it finds it in its folder and
// writes the next figure of `figures` (nothing for nullopt), as the real game does.
class PlayedWork : public SeriesWork {
 public:
  PlayedWork(const GamePaths& paths, SettingsStore& store, SettingsStore& userStore,
             AutoexecRestorePending& autoexec)
      : SeriesWork(paths, store, userStore, autoexec), paths_(paths) {}

  std::deque<std::optional<std::string>> figures;
  std::vector<std::string> commands;
  int restores = 0;
  int pendingEnds = 0;

  bool CheckSteamRunning() override { return true; }
  std::string SteamFolder() override { return "C:\\Program Files\\Steam\\"; }
  void StartSteam() override {}
  void LaunchGame(const std::string& command) override {
    commands.push_back(command);
    ++pendingEnds;
    std::optional<std::string> figure;
    if (!figures.empty()) {
      figure = figures.front();
      figures.pop_front();
    }
    bool lostCoast = command.find("-applaunch 340 ") != std::string::npos;
    const std::string& folder = lostCoast ? paths_.LostCoastGameFolder : paths_.Hl2GameFolder;
    std::string demo = command.substr(command.rfind("+timedemoquit ") + 14);
    if (figure && files::FileExists(folder + demo + ".dem"))
      files::WriteAll(folder + "sourcebench.csv",
                      "Half-Life 2 Benchmark Results\r\n\r\ndemofile,map,frames/sec,\r\n" + demo +
                          ",d1," + *figure + ",3000,\r\n");
  }
  bool GameRunning() override { return false; }
  void CollectSystemInfo(std::function<void()> done) override { done(); }
  void WriteReportHead() override { WriteReportHeadFor(bench_test::AtiMachine()); }
  // The script stays as the series wrote it, for the test to read.
  void RestoreAutoexec() override { ++restores; }

 private:
  GamePaths paths_;
};

class SeriesWorkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams.divisor_ = 1000;  // the demo installation's pauses
    InstallSeams(&seams);
    ::RegDeleteTreeA(HKEY_USERS, kSid);
    paths = tree.Games(kSid);
    for (Game game : {Game::HalfLife2, Game::LostCoast}) {
      HKEY k = nullptr;
      ASSERT_EQ(::RegCreateKeyExA(HKEY_USERS, paths.GameSettingsKey(game).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &k, nullptr),
                ERROR_SUCCESS);
      ::RegCloseKey(k);
    }
    std::string demos = tree.Folder("prog\\Demos");
    for (const char* name : {"zrv_highway.dem", "zrv_lost_coast.dem", "zrv_anticitizen.dem"})
      ASSERT_TRUE(files::WriteAll(demos + name, "demo"));
    results = tree.Folder("prog\\Benchmark");

    order.HDRItem = 2;
    order.HeapsizeItem = 2;
    order.AAItem = 2;
    order.AFItem = 4;
    order.RefreshItem = 0;
    order.FastZ = true;
    order.Note = "Test <b>rig</b>";
    order.ResultsFolder = results;
    order.CustomWidth = "1000";
    order.CustomHeight = "700";
    order.Demo.Item = 0;

    // The backup of the user's values is another test's subject: a restore is already
    // pending, so the series keeps the files it would make.
    userStore.values[backup::kRestorePendingValue] = backup::kMarkerSet;
    work = std::make_unique<PlayedWork>(paths, store, userStore, autoexec);
    sequencer = std::make_unique<RunSequencer>(view, *work);
  }
  void TearDown() override {
    sequencer.reset();
    work.reset();
    ::RegDeleteTreeA(HKEY_USERS, kSid);
    InstallSeams(nullptr);
  }

  // Delivers the ends of the hand-overs and the timers until the series settles.
  void RunSeries() {
    sequencer->BenchButtonClick(order);
    for (int guard = 0; guard < 1000; ++guard) {
      if (work->pendingEnds > 0) {
        --work->pendingEnds;
        sequencer->LaunchEnded();
        continue;
      }
      if (view.timers.empty()) return;
      std::function<void()> then = std::move(view.timers.front());
      view.timers.pop_front();
      then();
    }
    FAIL() << "series never settled";
  }

  std::optional<std::uint32_t> GameValue(Game game, const char* name) {
    RegKey key = reg::Open(HKEY_USERS, paths.GameSettingsKey(game));
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS)
      return std::nullopt;
    return value;
  }

  std::vector<std::string> Reports() {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    FindHandle find(::FindFirstFileA((results + "result_*.htm").c_str(), &data));
    if (find) do
        found.push_back(results + data.cFileName);
      while (::FindNextFileA(find.Get(), &data));
    return found;
  }

  bool ResultFilesLeft() {
    for (const std::string& folder : {paths.Hl2GameFolder, paths.LostCoastGameFolder})
      for (const char* name : {"sourcebench.csv", "sourcebench.txt"})
        if (files::FileExists(folder + name)) return true;
    return false;
  }

  bench_test::TempTree tree{"series"};
  testing::ScriptedSeams seams;
  testing::FakeStore store;
  testing::FakeStore userStore;  // the account's own key
  AutoexecRestorePending autoexec;
  GamePaths paths;
  std::string results;
  SeriesOrder order;
  FakeView view;
  std::unique_ptr<PlayedWork> work;
  std::unique_ptr<RunSequencer> sequencer;
};

TEST_F(SeriesWorkTest, SeriesOfThreeResolutionsSavesTheReportAndOpensIt) {
  order.SlotTicked[0] = true;  // 640 x 480
  order.SlotTicked[6] = true;  // 1280 x 768
  order.CustomTicked = true;
  order.CustomWidth = "1000";
  order.CustomHeight = "700";
  view.runsWanted = 2;
  work->figures = {"45.6", "47.5", std::nullopt, "60.5", "30.2", "31.9"};
  RunSeries();

  EXPECT_EQ(view.errors, std::vector<std::string>{});
  EXPECT_EQ(view.status, "The benchmarking is successful.");
  ASSERT_EQ(work->commands.size(), 6u);
  EXPECT_EQ(work->commands[0],
            "\"C:\\Program Files\\Steam\\steam.exe\" -silent -applaunch 220 -preload -novid "
            "-mat_preloadshaders -nocdaudio -nosound -width 640 -height 480 +r_fastzreject 1 "
            "-refresh 60 -heapsize 256000 +timedemoquit zrv_highway");
  EXPECT_TRUE(autoexec.Pending);  // set aside, and RestoreAutoexec is the test's
  EXPECT_EQ(autoexec.SeriesGame, Game::HalfLife2);
  EXPECT_EQ(work->restores, 1);
  EXPECT_FALSE(ResultFilesLeft());

  // The game's configuration of the series.
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_forceaniso"), 8u);
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_trilinear"), 0u);
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_antialias"), 4u);
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_hdr_level"), 2u);
  EXPECT_EQ(GameValue(Game::LostCoast, "mat_vsync"), std::nullopt);
  EXPECT_EQ(files::ReadAll(paths.Hl2CfgFolder + "autoexec.cfg"),
            files::ReadAll(std::string(QUORVEL_FIXTURES) + "/bench/autoexec.cfg"));
  EXPECT_TRUE(files::FileExists(paths.Hl2GameFolder + "zrv_highway.dem"));

  // The report, as the gold file shows it with this series' start time.
  std::vector<std::string> reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], ReportFileName(results, work->Series().Stamp));
  std::string gold =
      files::ReadAll(std::string(QUORVEL_FIXTURES) + "/bench/report_three_resolutions.htm")
          .value_or("");
  gold = text::ReplaceAll(gold, "3/12/2008 2:05:33 PM", work->Series().StartedAt);
  EXPECT_EQ(files::ReadAll(reports[0]), gold);
  EXPECT_EQ(seams.log, std::vector<std::string>{"open SW_SHOW: " + reports[0]});
}

TEST_F(SeriesWorkTest, FailedSeriesAfterAScoredOneSavesNoReportAndSaysAborted) {
  order.SlotTicked[1] = true;
  work->figures = {"50.5"};
  RunSeries();
  ASSERT_EQ(view.status, "The benchmarking is successful.");
  ASSERT_EQ(Reports().size(), 1u);
  seams.log.clear();
  ::Sleep(1100);  // a new stamp for the next series

  work->figures = {std::nullopt};  // the game now writes nothing
  RunSeries();
  EXPECT_EQ(view.status, "Benchmark aborted!");
  EXPECT_EQ(Reports().size(), 1u);
  EXPECT_TRUE(seams.log.empty());
  EXPECT_EQ(work->restores, 2);
}

TEST_F(SeriesWorkTest, CustomLostCoastDemoRunsLostCoastOnly) {
  std::string chosen = tree.Folder("my demos") + "bench.dem";
  ASSERT_TRUE(files::WriteAll(chosen, "user demo"));
  order.Demo = DemoChoice{kCustomDemoItem, chosen, true};
  order.Game = Game::LostCoast;
  order.SlotTicked[2] = true;
  work->figures = {"45.67"};
  RunSeries();

  EXPECT_EQ(view.status, "The benchmarking is successful.");
  ASSERT_EQ(work->commands.size(), 1u);
  EXPECT_NE(work->commands[0].find("-applaunch 340 "), std::string::npos);
  EXPECT_EQ(work->commands[0].substr(work->commands[0].size() - 20), " +timedemoquit bench");
  EXPECT_EQ(autoexec.SeriesGame, Game::LostCoast);
  EXPECT_TRUE(files::FileExists(paths.LostCoastGameFolder + "bench.dem"));
  EXPECT_FALSE(files::FileExists(paths.Hl2GameFolder + "bench.dem"));
  EXPECT_EQ(GameValue(Game::LostCoast, "mat_antialias"), 4u);
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_antialias"), std::nullopt);
  EXPECT_TRUE(files::FileExists(paths.LostCoastCfgFolder + "autoexec.cfg"));
  EXPECT_FALSE(files::FileExists(paths.Hl2CfgFolder + "autoexec.cfg"));
  EXPECT_FALSE(ResultFilesLeft());
  std::vector<std::string> reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  std::string report = files::ReadAll(reports[0]).value_or("");
  EXPECT_NE(report.find("Demo: Custom demo - bench<br>\r\n"), std::string::npos);
  EXPECT_NE(report.find("<span class=\"style5\"><b>Score = 45.67 FPS</b></span><br>\r\n"),
            std::string::npos);
}

TEST_F(SeriesWorkTest, CustomDemoWhoseFileIsGoneIsRefusedBeforeTheGameIsTouched) {
  order.Demo = DemoChoice{kCustomDemoItem, tree.Root() + "gone.dem", false};
  order.SlotTicked[0] = true;
  RunSeries();
  EXPECT_EQ(view.messages, std::vector<std::string>{"The custom demo file \"" + tree.Root() +
                                                    "gone.dem\" cannot be found. Please "
                                                    "choose the demo again."});
  EXPECT_TRUE(work->commands.empty());
  EXPECT_FALSE(autoexec.Pending);
  EXPECT_FALSE(files::FileExists(paths.Hl2CfgFolder + "autoexec.cfg"));
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_vsync"), std::nullopt);
  EXPECT_EQ(work->restores, 0);
}

TEST_F(SeriesWorkTest, UnsavableReportIsReportedAndTheSeriesStillEndsInOrder) {
  order.ResultsFolder = tree.Root() + "no such folder\\";
  order.SlotTicked[0] = true;
  work->figures = {"45.6"};
  RunSeries();
  ASSERT_EQ(view.errors.size(), 1u);
  std::string prefix = "Cannot create file \"" + tree.Root() + "no such folder\\result_";
  EXPECT_EQ(view.errors[0].substr(0, prefix.size()), prefix);
  EXPECT_EQ(view.status.rfind("Benchmark aborted! Cannot create file", 0), 0u) << view.status;
  EXPECT_EQ(work->restores, 1);
  EXPECT_TRUE(seams.log.empty());
}

}  // namespace
}  // namespace quorvel::bench
