#include "bench/run_sequencer.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

#include "platform/errors.h"

namespace quorvel {
namespace {

// A host that records what the series did and lets the test deliver timers and the ends of
// the Steam hand-overs in order.
class FakeHost : public SeriesHost {
 public:
  SeriesSelection selection;
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

  SeriesSelection Selection() override { return selection; }
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
  void SaveRunNumber() override { events.push_back("runnumber"); }
  int RunsWanted() override { return runsWanted; }
  void MarkSeriesEndedCleanly() override { events.push_back("clean"); }
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
  void DeleteLeftoverResult(bool lc) override {
    events.push_back(lc ? "leftover lc" : "leftover hl2");
  }
  std::optional<std::string> RefusalReason(const SeriesSelection&, bool) override {
    return refusal;
  }
  void MakeStamps() override {}
  PreparedGame PrepareGame(bool lc) override {
    events.push_back(lc ? "prepare lc" : "prepare hl2");
    return prepared;
  }
  void WriteReportHead() override { events.push_back("head"); }
  std::optional<std::string> ReadRunScore(bool) override {
    if (throwOnRead) throw AppError("List index out of bounds (0)");
    if (scores.empty()) return std::nullopt;
    auto s = scores.front();
    scores.pop_front();
    return s;
  }
  void AppendSlotHeading(const std::string& key) override { events.push_back("heading " + key); }
  void AppendScoreLines(const std::string& s, int done, int wanted) override {
    events.push_back("score " + s + " " + std::to_string(done) + "/" + std::to_string(wanted));
  }
  void DeleteResultFiles() override {}
  bool FinishReport(bool scored) override {
    events.push_back(scored ? "finish saved" : "finish unsaved");
    return scored;
  }
  void OpenReport() override { events.push_back("open"); }
  void RestoreAutoexec() override { events.push_back("restore"); }
};

struct SequencerTest : ::testing::Test {
  FakeHost host;
  RunSequencer sequencer{host};
  SequencerTest() {
    host.sequencer = &sequencer;
    host.selection.DemoItem = 0;
  }
  void RunSeries() {
    sequencer.BenchButtonClick();
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
  EXPECT_EQ(BuildLaunchCommand("C:\\Steam\\", false, "640", "480", game),
            "\"C:\\Steam\\steam.exe\" -silent -applaunch 220 -preload -novid -mat_preloadshaders "
            "-nocdaudio -nosound -width 640 -height 480 +r_fastzreject 0 -refresh 60 "
            "-heapsize 64000 +timedemoquit zrv_highway");
  // No refresh rate chosen in any series: two blanks in a row; an empty demo name ends the
  // line with the command and its blank.
  game.RefreshOption = "";
  game.DemoName = "";
  EXPECT_EQ(BuildLaunchCommand("D:\\My Steam\\", true, "1000", "700", game),
            "\"D:\\My Steam\\steam.exe\" -silent -applaunch 340 -preload -novid -mat_preloadshaders "
            "-nocdaudio -nosound -width 1000 -height 700 +r_fastzreject 0  -heapsize 64000 "
            "+timedemoquit ");
}

TEST(SeriesGame, OnlyTheLostCoastDemoOrALostCoastCustomDemoRunsLostCoast) {
  struct Case {
    int item;
    bool lcTicked;
    bool lostCoast;
  } cases[] = {{0, false, false}, {0, true, false}, {1, false, true}, {2, true, false},
               {3, false, false}, {3, true, true},  {-1, true, false}};
  for (const Case& c : cases) {
    SeriesSelection s;
    s.DemoItem = c.item;
    s.Hl2LcTicked = c.lcTicked;
    EXPECT_EQ(SeriesIsLostCoast(s), c.lostCoast) << c.item << " " << c.lcTicked;
  }
}

TEST(Selection, CustomSlotNeedsItsBoxAndBothSizes) {
  SeriesSelection s;
  s.CusResTicked = true;
  s.CusWidth = "1000";
  EXPECT_EQ(SelectedCount(s), 0);
  s.CusHeight = "700";
  EXPECT_EQ(SelectedCount(s), 1);
  EXPECT_EQ(NextSelectedSlot(s, 0), 9);
  s.CusResTicked = false;
  EXPECT_EQ(NextSelectedSlot(s, 0), std::nullopt);
}

TEST_F(SequencerTest, RunsTheSlotsInCatalogueOrderWithTheCustomSizeLast) {
  host.selection.SlotTicked[1] = true;  // 800 x 600
  host.selection.SlotTicked[5] = true;  // 2048 x 1536
  host.selection.SlotTicked[6] = true;  // 1280 x 768
  host.selection.CusResTicked = true;
  host.selection.CusWidth = "1000";
  host.selection.CusHeight = "700";
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
  host.selection.SlotTicked[0] = true;
  host.selection.SlotTicked[2] = true;
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
  host.selection.SlotTicked[0] = true;
  host.scores = {"45.67"};
  RunSeries();
  EXPECT_TRUE(host.runsLabels.empty());
  EXPECT_EQ(Count("score 45.67 1/1"), 1);
}

TEST_F(SequencerTest, WaitsInOrderAroundEveryRun) {
  host.selection.SlotTicked[0] = true;
  host.runsWanted = 2;
  host.gamePollsRunning = {2, 0};
  host.scores = {"1", "2"};
  RunSeries();
  // Run 1: hand-over wait, two positive polls, the game gone; pause; run 2 without polls.
  EXPECT_EQ(host.waits, (std::vector<unsigned>{20000, 5000, 5000, 1000, 2000, 20000, 1000}));
}

TEST_F(SequencerTest, SteamNotRunningAndTheUserDeclines) {
  host.steamRunning = false;
  host.selection.SlotTicked[0] = true;
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
  host.selection.CusResTicked = true;
  host.selection.CusWidth = "1000";  // height empty: the custom slot does not count
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
  host.selection.SlotTicked[0] = true;
  host.refusal = "The custom demo file does not exist.";
  RunSeries();
  EXPECT_EQ(host.messages, (std::vector<std::string>{"The custom demo file does not exist."}));
  EXPECT_EQ(Count("prepare hl2"), 0);
  EXPECT_TRUE(host.runButtonEnabled);
}

TEST_F(SequencerTest, ASeriesWithoutOwnScoresFailsEvenAfterAnEarlierSuccess) {
  host.selection.SlotTicked[0] = true;
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
  host.selection.SlotTicked[0] = true;
  host.refuseLaunch = true;
  RunSeries();
  EXPECT_EQ(host.status, "Program error, benchmark aborted!");
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_TRUE(host.runButtonEnabled);
  EXPECT_FALSE(sequencer.Running());
}

TEST_F(SequencerTest, AnErrorWhileRecordingIsReportedAndEndsTheSeriesInOrder) {
  host.selection.SlotTicked[0] = true;
  host.selection.SlotTicked[1] = true;
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
  host.selection.SlotTicked[0] = true;
  host.selection.SlotTicked[1] = true;
  host.runsWanted = 2;
  host.gamePollsRunning = {3, 3, 3, 3};
  sequencer.BenchButtonClick();
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
  sequencer.BenchButtonClick();
  host.Pump();
  EXPECT_EQ(Count("prepare hl2"), 1);
}

TEST_F(SequencerTest, AStopWhileCollectingTouchesNothing) {
  host.selection.SlotTicked[0] = true;
  host.deferCollect = true;
  sequencer.BenchButtonClick();
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
  host.selection.SlotTicked[3] = true;
  host.runsWanted = 0;
  host.scores = {"33.3"};
  RunSeries();
  EXPECT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.status, "The benchmarking is successful.");
}

TEST_F(SequencerTest, TheHighwayDemoRunsHalfLife2EvenWithTheLostCoastTypeTicked) {
  host.selection.SlotTicked[0] = true;
  host.selection.Hl2LcTicked = true;
  host.scores = {"1"};
  RunSeries();
  EXPECT_EQ(Count("prepare hl2"), 1);
  EXPECT_NE(host.commands[0].find("-applaunch 220 "), std::string::npos);
  // The leftover result of the next series is looked for in this series' game folder.
  host.events.clear();
  RunSeries();
  EXPECT_EQ(Count("leftover hl2"), 1);
}

}  // namespace
}  // namespace quorvel
