#include "bench/run_sequencer.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

#include "bench/fake_controls.h"
#include "platform/errors.h"

namespace quorvel::bench {
namespace {

// The window and the series' steps in one, recording what the series did and letting the
// test deliver timers and the ends of the Steam hand-overs in order.
class FakeHost : public SeriesView, public SeriesSteps {
 public:
  SeriesOrder order;
  bool steamRunning = true;
  bool answerYes = false;
  bool refuseSteamStart = false;
  bool refuseLaunch = false;
  int runsWanted = 1;
  std::deque<int> gamePollsRunning;  // per run: how many polls see the game still running
  std::deque<std::optional<std::string>> scores;
  std::optional<std::string> refusal;
  bool throwOnRead = false;
  bool deferCollect = false;          // the diagnostics tool still runs
  std::function<void()> collectDone;  // its end, delivered by the test
  PreparedGame prepared{"zrv_highway", "+r_fastzreject 0", "-refresh 60", "-heapsize 64000"};

  std::vector<std::string> events;
  std::vector<std::string> commands;
  std::vector<std::string> runsLabels;
  std::vector<unsigned> waits;
  std::string status;
  bool runButtonEnabled = true;
  bool panelVisible = false;
  std::vector<std::string> messages;
  std::vector<std::string> errors;

  RunSequencer* sequencer = nullptr;
  std::deque<std::pair<unsigned, std::function<void()>>> timers;
  int pendingLaunchEnds = 0;
  int currentPolls = 0;

  // Delivers launch ends and timers until nothing is pending.
  void Pump() {
    for (int guard = 0; guard < 10000; ++guard) {
      if (pendingLaunchEnds > 0) {
        --pendingLaunchEnds;
        sequencer->LaunchEnded();
        continue;
      }
      if (timers.empty()) return;
      auto [ms, then] = std::move(timers.front());
      timers.pop_front();
      waits.push_back(ms);
      then();
    }
    FAIL() << "series never settled";
  }

  void SetStatus(const std::string& text) override { status = text; }
  void EnableRunButton(bool enabled) override { runButtonEnabled = enabled; }
  void ShowPanel(bool visible) override { panelVisible = visible; }
  void SetPanelTitle(const std::string& caption, int left, int size) override {
    events.push_back("title " + caption + " " + std::to_string(left) + " " + std::to_string(size));
  }
  void ShowProgressLabels(bool) override {}
  void SetResolutionLabel(const std::string& text) override { events.push_back("label " + text); }
  void SetRunsLabel(const std::string& text) override { runsLabels.push_back(text); }
  void Repaint() override {}
  void SaveBounds() override {}
  void RestoreBounds() override {}
  bool Confirm(const std::string& q) override {
    events.push_back("confirm " + q);
    return answerYes;
  }
  void Message(const std::string& text) override { messages.push_back(text); }
  void ReportError(const std::exception& e) override { errors.push_back(e.what()); }
  int SaveRunNumber(int item) override {
    events.push_back("runnumber " + std::to_string(item));
    return runsWanted;
  }
  bool CheckSteamRunning() override { return steamRunning; }
  std::string SteamFolder() override { return "C:\\Program Files\\Steam\\"; }
  void StartSteam() override {
    events.push_back("start steam");
    if (refuseSteamStart) throw EOSError(2, "System Error.  Code: 2.");
  }
  void LaunchGame(const std::string& command) override {
    if (refuseLaunch) throw EOSError(2, "System Error.  Code: 2.");
    commands.push_back(command);
    currentPolls = gamePollsRunning.empty() ? 0 : gamePollsRunning.front();
    if (!gamePollsRunning.empty()) gamePollsRunning.pop_front();
    ++pendingLaunchEnds;
  }
  bool GameRunning() override { return currentPolls-- > 0; }
  void After(unsigned ms, std::function<void()> then) override {
    timers.emplace_back(ms, std::move(then));
  }
  void CollectSystemInfo(std::function<void()> done) override {
    events.push_back("collect");
    if (deferCollect)
      collectDone = std::move(done);
    else
      done();
  }
  void DeleteLeftoverResult(steam::Game last) override {
    events.push_back(last == steam::Game::LostCoast ? "leftover lc" : "leftover hl2");
  }
  std::optional<std::string> AcceptOrder(const SeriesOrder& accepted) override {
    if (!refusal) game = accepted.Game;
    return refusal;
  }
  void MakeStamps() override {}
  PreparedGame PrepareGame() override {
    events.push_back(game == steam::Game::LostCoast ? "prepare lc" : "prepare hl2");
    return prepared;
  }
  void WriteReportHead() override { events.push_back("head"); }
  bool ReadRunScore(const std::string&) override {
    if (throwOnRead) throw AppError("List index out of bounds (0)");
    lastScore = scores.empty() ? std::nullopt : scores.front();
    if (!scores.empty()) scores.pop_front();
    return lastScore.has_value();
  }
  void AppendSlotHeading(const std::string& key) override { events.push_back("heading " + key); }
  void AppendScoreLines(int done, int wanted) override {
    events.push_back("score " + lastScore.value_or("none") + " " + std::to_string(done) + "/" +
                     std::to_string(wanted));
  }
  void DeleteResultFiles() override {}
  bool FinishReport(bool scored) override {
    events.push_back(scored ? "finish saved" : "finish unsaved");
    return scored;
  }
  void OpenReport() override { events.push_back("open"); }
  void RestoreAutoexec() override { events.push_back("restore"); }
  void MarkSeriesEndedCleanly() override { events.push_back("clean"); }

 private:
  steam::Game game = steam::Game::HalfLife2;  // of the accepted order
  std::optional<std::string> lastScore;
};

struct SequencerTest : ::testing::Test {
  FakeHost host;
  RunSequencer sequencer{host, host};
  SequencerTest() {
    host.sequencer = &sequencer;
    host.order.Demo.Item = 0;
  }
  void RunSeries() {
    sequencer.BenchButtonClick(host.order);
    host.Pump();
  }
  int Count(const std::string& event) const {
    int n = 0;
    for (const auto& e : host.events) n += e == event ? 1 : 0;
    return n;
  }
};

TEST(LaunchCommand, QuotesTheProgramAndJoinsTheArgumentsUnquoted) {
  PreparedGame game{"zrv_highway", "+r_fastzreject 0", "-refresh 60", "-heapsize 64000"};
  EXPECT_EQ(BuildLaunchCommand("C:\\Steam\\", steam::Game::HalfLife2, "640", "480", game),
            "\"C:\\Steam\\steam.exe\" -silent -applaunch 220 -preload -novid -mat_preloadshaders "
            "-nocdaudio -nosound -width 640 -height 480 +r_fastzreject 0 -refresh 60 "
            "-heapsize 64000 +timedemoquit zrv_highway");
  // No refresh rate chosen in any series: two blanks in a row; an empty demo name ends the
  // line with the command and its blank.
  game.RefreshOption = "";
  game.DemoName = "";
  EXPECT_EQ(
      BuildLaunchCommand("D:\\My Steam\\", steam::Game::LostCoast, "1000", "700", game),
      "\"D:\\My Steam\\steam.exe\" -silent -applaunch 340 -preload -novid -mat_preloadshaders "
      "-nocdaudio -nosound -width 1000 -height 700 +r_fastzreject 0  -heapsize 64000 "
      "+timedemoquit ");
}

// The order the run button takes: the game by the demo rule, the custom slot only with its
// box and both sizes.
TEST(SeriesOrderFromWindow, TakesTheGameByTheDemoChoice) {
  struct Case {
    int item;
    bool lcTicked;
    steam::Game game;
  } cases[] = {{0, false, steam::Game::HalfLife2}, {0, true, steam::Game::HalfLife2},
               {1, false, steam::Game::LostCoast}, {2, true, steam::Game::HalfLife2},
               {3, false, steam::Game::HalfLife2}, {3, true, steam::Game::LostCoast},
               {-1, true, steam::Game::HalfLife2}};
  for (const Case& c : cases) {
    bench_test::FakeControls controls;
    controls.TickDemo(c.item);
    controls.SetChecked(Control::HL2LC, c.lcTicked);
    controls.SetText(Control::DemoEdit, "C:\\d.dem");
    SeriesOrder order = SeriesOrderFrom(controls);
    EXPECT_EQ(order.Game, c.game) << c.item << " " << c.lcTicked;
    EXPECT_EQ(order.Demo.Item, c.item);
    EXPECT_EQ(order.Demo.LostCoastType, c.lcTicked);
    EXPECT_EQ(order.Demo.CustomPath, "C:\\d.dem");
  }
}

TEST(SeriesOrderFromWindow, TakesTheSettingsTheSeriesUses) {
  bench_test::FakeControls controls;
  controls.Select(Control::RunNumberBox, 2);
  controls.Select(Control::AFBox, 4);
  controls.Select(Control::AABox, 1);
  controls.Select(Control::HDRBox, 0);
  controls.Select(Control::RefreshBox, 3);
  controls.SetChecked(Control::FastZBox, true);
  controls.SetChecked(Control::cusresbox, true);
  controls.SetText(Control::CusWidth, "1000");
  controls.SetText(Control::CusHeight, "700");
  controls.SetText(Control::NoteEdit, "rig");
  controls.SetText(Control::ResEdit, "C:\\Results");
  SeriesOrder order = SeriesOrderFrom(controls);
  EXPECT_EQ(order.RunsItem, 2);
  EXPECT_EQ(order.AFItem, 4);
  EXPECT_EQ(order.AAItem, 1);
  EXPECT_EQ(order.HDRItem, 0);
  EXPECT_EQ(order.RefreshItem, 3);
  EXPECT_EQ(order.HeapsizeItem, -1);
  EXPECT_TRUE(order.FastZ);
  EXPECT_EQ(order.Note, "rig");
  EXPECT_EQ(order.ResultsFolder, "C:\\Results");
  EXPECT_EQ(NextSelectedSlot(order, 0), 9);
}

TEST(Selection, CustomSlotNeedsItsBoxAndBothSizes) {
  SeriesOrder s;
  s.CustomTicked = true;
  s.CustomWidth = "1000";
  EXPECT_EQ(SelectedCount(s), 0);
  s.CustomHeight = "700";
  EXPECT_EQ(SelectedCount(s), 1);
  EXPECT_EQ(NextSelectedSlot(s, 0), 9);
  s.CustomTicked = false;
  EXPECT_EQ(NextSelectedSlot(s, 0), std::nullopt);
}

TEST_F(SequencerTest, RunsTheSlotsInCatalogueOrderWithTheCustomSizeLast) {
  host.order.SlotTicked[1] = true;  // 800 x 600
  host.order.SlotTicked[5] = true;  // 2048 x 1536
  host.order.SlotTicked[6] = true;  // 1280 x 768
  host.order.CustomTicked = true;
  host.order.CustomWidth = "1000";
  host.order.CustomHeight = "700";
  host.scores = {"50.1", "40.2", "30.3", "20.4"};
  RunSeries();
  ASSERT_EQ(host.commands.size(), 4u);
  const char* sizes[] = {"-width 800 -height 600 ", "-width 2048 -height 1536 ",
                         "-width 1280 -height 768 ", "-width 1000 -height 700 "};
  for (int i = 0; i < 4; ++i)
    EXPECT_NE(host.commands[i].find(sizes[i]), std::string::npos) << host.commands[i];
  std::vector<std::string> headings;
  for (const auto& e : host.events)
    if (e.rfind("heading ", 0) == 0 || e.rfind("label ", 0) == 0) headings.push_back(e);
  EXPECT_EQ(headings, (std::vector<std::string>{
                          "label Resolution: 800 \xD7 600...", "heading 800",
                          "label Resolution: 2048 \xD7 1536...", "heading 2048",
                          "label Resolution: 1280 \xD7 768 (HD WideScreen)...", "heading hdtv1",
                          "label Resolution: 1000 \xD7 700 (Custom)...", "heading custom"}));
  EXPECT_EQ(host.status, "The benchmarking is successful.");
  EXPECT_EQ(Count("open"), 1);
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_FALSE(host.panelVisible);
}

TEST_F(SequencerTest, RunsLabelCountsTheComingRunPerSlot) {
  host.order.SlotTicked[0] = true;
  host.order.SlotTicked[2] = true;
  host.runsWanted = 3;
  host.scores = {"45.6", "46.4", "47.5", "10", "11", "12"};
  RunSeries();
  EXPECT_EQ(host.commands.size(), 6u);
  EXPECT_EQ(host.runsLabels, (std::vector<std::string>{"Runs: 3/1", "Runs: 3/2", "Runs: 3/3",
                                                       "Runs: 3/1", "Runs: 3/2", "Runs: 3/3"}));
  EXPECT_EQ(Count("heading 640"), 1);
  EXPECT_EQ(Count("heading 1024"), 1);
  EXPECT_EQ(Count("score 47.5 3/3"), 1);
}

TEST_F(SequencerTest, OneRunPerSlotLeavesTheRunsLabelAlone) {
  host.order.SlotTicked[0] = true;
  host.scores = {"45.67"};
  RunSeries();
  EXPECT_TRUE(host.runsLabels.empty());
  EXPECT_EQ(Count("score 45.67 1/1"), 1);
}

TEST_F(SequencerTest, WaitsInOrderAroundEveryRun) {
  host.order.SlotTicked[0] = true;
  host.runsWanted = 2;
  host.gamePollsRunning = {2, 0};
  host.scores = {"1", "2"};
  RunSeries();
  // Run 1: hand-over wait, two positive polls, the game gone; pause; run 2 without polls.
  EXPECT_EQ(host.waits, (std::vector<unsigned>{20000, 5000, 5000, 1000, 2000, 20000, 1000}));
}

TEST_F(SequencerTest, SteamNotRunningAndTheUserDeclines) {
  host.steamRunning = false;
  host.order.SlotTicked[0] = true;
  RunSeries();
  EXPECT_EQ(host.status, "Please RUN the Steam (online or offline) before bench.");
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_EQ(Count("confirm Error! The STEAM not running. Run now?"), 1);
  EXPECT_TRUE(host.commands.empty());
  EXPECT_EQ(Count("collect"), 0);
}

TEST_F(SequencerTest, SteamNotRunningAndTheUserAgrees) {
  host.steamRunning = false;
  host.answerYes = true;
  RunSeries();
  EXPECT_EQ(Count("start steam"), 1);
  EXPECT_EQ(host.status,
            "Please wait while the Steam successfully loaded. After that click RUN AGAIN.");
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_TRUE(host.commands.empty());

  host.refuseSteamStart = true;
  RunSeries();
  EXPECT_EQ(host.status, "Program error, benchmark aborted!");
  EXPECT_TRUE(host.runButtonEnabled);
}

TEST_F(SequencerTest, NoResolutionRefusesBeforeTheGameIsTouched) {
  host.order.CustomTicked = true;
  host.order.CustomWidth = "1000";  // height empty: the custom slot does not count
  RunSeries();
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{"Please, choose a resolution of Half-Life 2."}));
  EXPECT_EQ(Count("prepare hl2"), 0);
  EXPECT_EQ(Count("restore"), 0);
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_FALSE(host.panelVisible);
  EXPECT_FALSE(sequencer.Running());
}

TEST_F(SequencerTest, ACustomDemoProblemRefusesBeforeTheGameIsTouched) {
  host.order.SlotTicked[0] = true;
  host.refusal = "The custom demo file does not exist.";
  RunSeries();
  EXPECT_EQ(host.messages, (std::vector<std::string>{"The custom demo file does not exist."}));
  EXPECT_EQ(Count("prepare hl2"), 0);
  EXPECT_TRUE(host.runButtonEnabled);
}

TEST_F(SequencerTest, ASeriesWithoutOwnScoresFailsEvenAfterAnEarlierSuccess) {
  host.order.SlotTicked[0] = true;
  host.scores = {"45.67"};
  RunSeries();
  ASSERT_EQ(host.status, "The benchmarking is successful.");
  host.events.clear();
  RunSeries();  // no result file this time
  EXPECT_EQ(host.status, "Benchmark aborted!");
  EXPECT_EQ(Count("finish unsaved"), 1);
  EXPECT_EQ(Count("open"), 0);
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_EQ(Count("clean"), 1);
}

TEST_F(SequencerTest, ARefusedGameStartEndsTheSeriesWithTheScriptPutBack) {
  host.order.SlotTicked[0] = true;
  host.refuseLaunch = true;
  RunSeries();
  EXPECT_EQ(host.status, "Program error, benchmark aborted!");
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_FALSE(sequencer.Running());
}

TEST_F(SequencerTest, AnErrorWhileRecordingIsReportedAndEndsTheSeriesInOrder) {
  host.order.SlotTicked[0] = true;
  host.order.SlotTicked[1] = true;
  host.throwOnRead = true;
  RunSeries();
  EXPECT_EQ(host.errors, (std::vector<std::string>{"List index out of bounds (0)"}));
  EXPECT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.status, "Benchmark aborted! List index out of bounds (0)");
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_FALSE(host.panelVisible);
}

// Leaving the program while a series runs: the run under way finishes with its game, no
// further run starts, and the series ends with the script put back.
TEST_F(SequencerTest, AStopLetsTheRunUnderWayEndAndStartsNoOther) {
  host.order.SlotTicked[0] = true;
  host.order.SlotTicked[1] = true;
  host.runsWanted = 2;
  host.gamePollsRunning = {3, 3, 3, 3};
  sequencer.BenchButtonClick(host.order);
  ASSERT_EQ(host.commands.size(), 1u);
  sequencer.RequestStop();
  host.Pump();
  EXPECT_EQ(host.commands.size(), 1u);
  EXPECT_FALSE(sequencer.Running());
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_EQ(host.status, "Benchmark aborted!");
  // The game was waited for: all its polls were made.
  EXPECT_EQ(host.currentPolls, -1);
  // And no series starts afterwards.
  sequencer.BenchButtonClick(host.order);
  host.Pump();
  EXPECT_EQ(Count("prepare hl2"), 1);
}

TEST_F(SequencerTest, AStopWhileCollectingTouchesNothing) {
  host.order.SlotTicked[0] = true;
  host.deferCollect = true;
  sequencer.BenchButtonClick(host.order);
  ASSERT_TRUE(sequencer.Running());
  sequencer.RequestStop();
  host.collectDone();
  host.Pump();
  EXPECT_EQ(Count("prepare hl2"), 0);
  EXPECT_EQ(Count("restore"), 0);
  EXPECT_TRUE(host.commands.empty());
  EXPECT_FALSE(sequencer.Running());
}

TEST_F(SequencerTest, ARunsSettingThatWasNeverValidCountsAsOneRun) {
  host.order.SlotTicked[3] = true;
  host.runsWanted = 0;
  host.scores = {"33.3"};
  RunSeries();
  EXPECT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.status, "The benchmarking is successful.");
}

// The order's game goes down to the preparation, the command line and, at the next series,
// the folder where a leftover result is looked for.
TEST_F(SequencerTest, TheOrdersGameIsTheGameOfTheWholeSeries) {
  host.order.SlotTicked[0] = true;
  host.order.Game = steam::Game::LostCoast;
  host.scores = {"1"};
  RunSeries();
  EXPECT_EQ(Count("leftover hl2"), 1);  // before the first series: Half-Life 2
  EXPECT_EQ(Count("prepare lc"), 1);
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_NE(host.commands[0].find("-applaunch 340 "), std::string::npos);
  EXPECT_EQ(sequencer.Game(), steam::Game::LostCoast);

  host.events.clear();
  host.order.Game = steam::Game::HalfLife2;
  host.scores = {"2"};
  RunSeries();
  EXPECT_EQ(Count("leftover lc"), 1);
  EXPECT_EQ(Count("prepare hl2"), 1);
  EXPECT_NE(host.commands[1].find("-applaunch 220 "), std::string::npos);
}

}  // namespace
}  // namespace quorvel::bench
