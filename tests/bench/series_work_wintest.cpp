// Whole series through the run sequencer with the benchmark's real steps: the game's registry,
// script, demo, result files and the saved report are real files and keys in the test's
// prefix; only the window, Steam and the game are played by the test.
#include "bench/series_work_win.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "bench/fake_controls.h"
#include "bench/reference_machine.h"
#include "bench/report_writer.h"
#include "bench/temp_tree_win.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "support/scripted_seams_win.h"

namespace quorvel::bench {
namespace {

using steam::Game;

constexpr const char* kSid = "S-1-5-21-4242-4242-4242-1002";

// The window, Steam and the game as the sequencer meets them; the benchmark's own steps go
// to SeriesWork. The game "plays" the named demo when it finds it in its folder and writes
// the next figure of `figures` (nothing for nullopt), as the real game does.
class WindowHost : public SeriesHost {
 public:
  WindowHost(SeriesWork& work, const GamePaths& paths) : work_(work), paths_(paths) {}

  SeriesSelection selection;
  int runsWanted = 1;
  std::deque<std::optional<std::string>> figures;
  std::string status;
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> commands;
  int restores = 0;
  RunSequencer* sequencer = nullptr;

  void Pump() {
    for (int guard = 0; guard < 1000; ++guard) {
      if (pendingEnds_ > 0) {
        --pendingEnds_;
        sequencer->LaunchEnded();
        continue;
      }
      if (timers_.empty()) return;
      std::function<void()> then = std::move(timers_.front());
      timers_.pop_front();
      then();
    }
    FAIL() << "series never settled";
  }

  SeriesSelection Selection() override { return selection; }
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
  void SaveRunNumber() override {}
  int RunsWanted() override { return runsWanted; }
  void MarkSeriesEndedCleanly() override {}
  bool CheckSteamRunning() override { return true; }
  std::string SteamFolder() override { return "C:\\Program Files\\Steam\\"; }
  void StartSteam() override {}
  void LaunchGame(const std::string& command) override {
    commands.push_back(command);
    ++pendingEnds_;
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
  void After(unsigned, std::function<void()> then) override { timers_.push_back(std::move(then)); }
  void CollectSystemInfo(std::function<void()> done) override { done(); }

  void DeleteLeftoverResult(bool lc) override { work_.DeleteLeftoverResult(lc); }
  std::optional<std::string> RefusalReason(const SeriesSelection& s, bool) override {
    return work_.RefusalReason(s);
  }
  void MakeStamps() override { work_.MakeStamps(); }
  PreparedGame PrepareGame(bool lc) override { return work_.PrepareGame(lc); }
  void WriteReportHead() override { work_.WriteReportHead(bench_test::AtiMachine()); }
  std::optional<std::string> ReadRunScore(bool lc) override { return work_.ReadRunScore(lc); }
  void AppendSlotHeading(const std::string& key) override { work_.AppendSlotHeading(key); }
  void AppendScoreLines(const std::string&, int done, int wanted) override {
    work_.AppendScoreLines(done, wanted);
  }
  void DeleteResultFiles() override { work_.DeleteResultFiles(); }
  bool FinishReport(bool scored) override { return work_.FinishReport(scored); }
  void OpenReport() override { work_.OpenReport(); }
  void RestoreAutoexec() override { ++restores; }

 private:
  SeriesWork& work_;
  GamePaths paths_;
  std::deque<std::function<void()>> timers_;
  int pendingEnds_ = 0;
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

    controls.Select(Control::HDRBox, 2);
    controls.Select(Control::HeapsizeBox, 2);
    controls.Select(Control::AABox, 2);
    controls.Select(Control::AFBox, 4);
    controls.Select(Control::RefreshBox, 0);
    controls.SetChecked(Control::FastZBox, true);
    controls.SetText(Control::NoteEdit, "Test <b>rig</b>");
    controls.SetText(Control::ResEdit, results);
    controls.SetText(Control::CusWidth, "1000");
    controls.SetText(Control::CusHeight, "700");
    controls.TickDemo(0);

    work = std::make_unique<SeriesWork>(paths, controls, [this](Game g) { setAside.push_back(g); });
    host = std::make_unique<WindowHost>(*work, paths);
    sequencer = std::make_unique<RunSequencer>(*host);
    host->sequencer = sequencer.get();
    host->selection.DemoItem = 0;
  }
  void TearDown() override {
    sequencer.reset();
    host.reset();
    work.reset();
    ::RegDeleteTreeA(HKEY_USERS, kSid);
    InstallSeams(nullptr);
  }

  void RunSeries() {
    sequencer->BenchButtonClick();
    host->Pump();
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
  bench_test::FakeControls controls;
  GamePaths paths;
  std::string results;
  std::vector<Game> setAside;
  std::unique_ptr<SeriesWork> work;
  std::unique_ptr<WindowHost> host;
  std::unique_ptr<RunSequencer> sequencer;
};

TEST_F(SeriesWorkTest, SeriesOfThreeResolutionsSavesTheReportAndOpensIt) {
  host->selection.SlotTicked[0] = true;  // 640 x 480
  host->selection.SlotTicked[6] = true;  // 1280 x 768
  host->selection.CusResTicked = true;
  host->selection.CusWidth = "1000";
  host->selection.CusHeight = "700";
  host->runsWanted = 2;
  host->figures = {"45.6", "47.5", std::nullopt, "60.5", "30.2", "31.9"};
  RunSeries();

  EXPECT_EQ(host->errors, std::vector<std::string>{});
  EXPECT_EQ(host->status, "The benchmarking is successful.");
  ASSERT_EQ(host->commands.size(), 6u);
  EXPECT_EQ(host->commands[0],
            "\"C:\\Program Files\\Steam\\steam.exe\" -silent -applaunch 220 -preload -novid "
            "-mat_preloadshaders -nocdaudio -nosound -width 640 -height 480 +r_fastzreject 1 "
            "-refresh 60 -heapsize 256000 +timedemoquit zrv_highway");
  EXPECT_EQ(setAside, std::vector<Game>{Game::HalfLife2});
  EXPECT_EQ(host->restores, 1);
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
  host->selection.SlotTicked[1] = true;
  host->figures = {"50.5"};
  RunSeries();
  ASSERT_EQ(host->status, "The benchmarking is successful.");
  ASSERT_EQ(Reports().size(), 1u);
  seams.log.clear();
  ::Sleep(1100);  // a new stamp for the next series

  host->figures = {std::nullopt};  // the game now writes nothing
  RunSeries();
  EXPECT_EQ(host->status, "Benchmark aborted!");
  EXPECT_EQ(Reports().size(), 1u);
  EXPECT_TRUE(seams.log.empty());
  EXPECT_EQ(host->restores, 2);
}

TEST_F(SeriesWorkTest, CustomLostCoastDemoRunsLostCoastOnly) {
  std::string chosen = tree.Folder("my demos") + "bench.dem";
  ASSERT_TRUE(files::WriteAll(chosen, "user demo"));
  controls.TickDemo(3);
  controls.SetChecked(Control::HL2LC, true);
  controls.SetText(Control::DemoEdit, chosen);
  host->selection.DemoItem = 3;
  host->selection.Hl2LcTicked = true;
  host->selection.SlotTicked[2] = true;
  host->figures = {"45.67"};
  RunSeries();

  EXPECT_EQ(host->status, "The benchmarking is successful.");
  ASSERT_EQ(host->commands.size(), 1u);
  EXPECT_NE(host->commands[0].find("-applaunch 340 "), std::string::npos);
  EXPECT_EQ(host->commands[0].substr(host->commands[0].size() - 20), " +timedemoquit bench");
  EXPECT_EQ(setAside, std::vector<Game>{Game::LostCoast});
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
  controls.TickDemo(3);
  controls.SetText(Control::DemoEdit, tree.Root() + "gone.dem");
  host->selection.DemoItem = 3;
  host->selection.SlotTicked[0] = true;
  RunSeries();
  EXPECT_EQ(host->messages, std::vector<std::string>{"The custom demo file \"" + tree.Root() +
                                                     "gone.dem\" cannot be found. Please "
                                                     "choose the demo again."});
  EXPECT_TRUE(host->commands.empty());
  EXPECT_TRUE(setAside.empty());
  EXPECT_FALSE(files::FileExists(paths.Hl2CfgFolder + "autoexec.cfg"));
  EXPECT_EQ(GameValue(Game::HalfLife2, "mat_vsync"), std::nullopt);
  EXPECT_EQ(host->restores, 0);
}

TEST_F(SeriesWorkTest, UnsavableReportIsReportedAndTheSeriesStillEndsInOrder) {
  controls.SetText(Control::ResEdit, tree.Root() + "no such folder\\");
  host->selection.SlotTicked[0] = true;
  host->figures = {"45.6"};
  RunSeries();
  ASSERT_EQ(host->errors.size(), 1u);
  std::string prefix = "Cannot create file \"" + tree.Root() + "no such folder\\result_";
  EXPECT_EQ(host->errors[0].substr(0, prefix.size()), prefix);
  EXPECT_EQ(host->status.rfind("Benchmark aborted! Cannot create file", 0), 0u) << host->status;
  EXPECT_EQ(host->restores, 1);
  EXPECT_TRUE(seams.log.empty());
}

}  // namespace
}  // namespace quorvel::bench
