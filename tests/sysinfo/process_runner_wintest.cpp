#include "sysinfo/process_runner_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/os_error_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/scripted_seams_win.h"

namespace quorvel {
namespace {

// Started as "<this program> --runner-child [exit=N] [sleep=MS] report=PATH", this program is
// the child that the tests start: before any test runs it writes what it was given to PATH,
// sleeps, appends "done" and exits with N. PATH is the rest of the command line.
int ChildMain(const std::string& commandLine) {
  size_t at = commandLine.find("--runner-child");
  std::string args = commandLine.substr(at + 14);
  unsigned long exitCode = 0;
  unsigned long sleepMs = 0;
  std::string report;
  size_t reportAt = args.find("report=");
  if (reportAt != std::string::npos) {
    report = args.substr(reportAt + 7);
    args = args.substr(0, reportAt);
  }
  for (const std::string& arg : text::Split(args, ' ')) {
    if (arg.rfind("exit=", 0) == 0) exitCode = std::strtoul(arg.c_str() + 5, nullptr, 0);
    if (arg.rfind("sleep=", 0) == 0) sleepMs = std::strtoul(arg.c_str() + 6, nullptr, 10);
  }
  STARTUPINFOA startup = {};
  ::GetStartupInfoA(&startup);
  char folder[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, folder);
  const char* probe = std::getenv("QUORVEL_PROBE");
  const char* inherited = std::getenv("QUORVEL_INHERITED");
  std::string out = "commandline=" + commandLine + "\n" + "cwd=" + folder + "\n" +
                    text::Format("flags=%lu\nshow=%u\n", startup.dwFlags, startup.wShowWindow) +
                    text::Format("x=%lu\ny=%lu\nw=%lu\nh=%lu\n", startup.dwX, startup.dwY,
                                 startup.dwXSize, startup.dwYSize) +
                    text::Format("priority=%lu\n", ::GetPriorityClass(::GetCurrentProcess())) +
                    "probe=" + (probe ? probe : "(none)") + "\n" +
                    "inherited=" + (inherited ? inherited : "(none)") + "\n";
  if (!report.empty()) files::WriteAll(report, out);
  if (sleepMs) ::Sleep(sleepMs);
  if (!report.empty()) files::WriteAll(report, out + "done\n");
  return static_cast<int>(exitCode);
}

const bool kChildMode = [] {
  std::string commandLine = ::GetCommandLineA();
  if (commandLine.find("--runner-child") == std::string::npos) return false;
  ::ExitProcess(static_cast<UINT>(ChildMain(commandLine)));
  return true;
}();

std::string Self() { return files::ProgramPath(); }

std::string ChildCommand(const std::string& options, const std::string& report = "") {
  return Self() + " --runner-child " + options + (report.empty() ? "" : " report=" + report);
}

// The value of "key=" in a child's report; nullopt when missing.
std::optional<std::string> ReportValue(const std::string& report, const std::string& key) {
  for (const std::string& line : testing::ReadLines(report))
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return std::nullopt;
}

bool ReportDone(const std::string& report) {
  for (const std::string& line : testing::ReadLines(report))
    if (line == "done") return true;
  return false;
}

struct Call {
  ProcessRunner* sender;
  std::uint32_t exitCode;
  DWORD thread;
};

class ProcessRunnerTest : public ::testing::Test {
 protected:
  ProcessRunnerTest() : temp_("quorvel runner tests") {}
  // An error that reaches the error reporter is logged here instead of waiting for a click.
  void SetUp() override { InstallSeams(&seams); }
  void TearDown() override {
    InstallSeams(nullptr);
    if (!expectErrors) EXPECT_TRUE(seams.log.empty()) << seams.log.front();
  }

  // A runner whose every end is recorded in `calls`.
  void Watch(ProcessRunner& runner) {
    runner.OnTerminate = [this](ProcessRunner& sender, std::uint32_t code) {
      calls.push_back({&sender, code, ::GetCurrentThreadId()});
    };
  }
  std::string Report(const std::string& name) const { return temp_.Path() + name + ".txt"; }
  bool PumpCalls(size_t count, DWORD timeoutMs = 20000) {
    return testing::PumpUntil([&] { return calls.size() >= count; }, timeoutMs);
  }

  testing::TempFolder temp_;
  std::vector<Call> calls;
  testing::ScriptedSeams seams;
  bool expectErrors = false;
};

struct StartupCase {
  const char* name;
  RunnerStartupInfo startup;
  ProcessPriority priority;
  unsigned long flags, show, x, y, w, h, priorityClass;
};

TEST_F(ProcessRunnerTest, StartsTheProgramWithTheStartupRecordAndPriorityAsked) {
  RunnerStartupInfo minimized;
  minimized.ShowWindow = SW_SHOWMINNOACTIVE;
  minimized.Left = 10;
  minimized.Top = 20;
  minimized.Width = 300;
  minimized.Height = 200;
  RunnerStartupInfo platformChooses;
  platformChooses.DefaultPosition = platformChooses.DefaultSize =
      platformChooses.DefaultWindowState = true;
  const StartupCase cases[] = {
      {"hidden at 0,0 with size 0", RunnerStartupInfo{}, ProcessPriority::Normal, 7, SW_HIDE, 0, 0,
       0, 0, NORMAL_PRIORITY_CLASS},
      // Wine starts every child in the normal class whatever is asked, so the idle class
      // cannot be seen from the child here (0: not checked).
      {"minimized at 10,20", minimized, ProcessPriority::Idle, 7, SW_SHOWMINNOACTIVE, 10, 20, 300,
       200, 0},
      {"all left to the platform", platformChooses, ProcessPriority::Normal, 0, 0, 0, 0, 0, 0,
       NORMAL_PRIORITY_CLASS},
  };
  for (const StartupCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string report = Report("startup");
    files::DeleteQuietly(report);
    ProcessRunner runner;
    Watch(runner);
    runner.StartupInfo = c.startup;
    runner.Priority = c.priority;
    runner.CommandLine = ChildCommand("exit=5", report);
    calls.clear();
    runner.Run();
    EXPECT_EQ(runner.State(), RunnerState::Waiting);
    ASSERT_TRUE(PumpCalls(1));
    EXPECT_EQ(ReportValue(report, "commandline"), runner.CommandLine);
    EXPECT_EQ(ReportValue(report, "flags"), std::to_string(c.flags));
    if (c.flags) {
      EXPECT_EQ(ReportValue(report, "show"), std::to_string(c.show));
      EXPECT_EQ(ReportValue(report, "x"), std::to_string(c.x));
      EXPECT_EQ(ReportValue(report, "y"), std::to_string(c.y));
      EXPECT_EQ(ReportValue(report, "w"), std::to_string(c.w));
      EXPECT_EQ(ReportValue(report, "h"), std::to_string(c.h));
    }
    if (c.priorityClass)
      EXPECT_EQ(ReportValue(report, "priority"), std::to_string(c.priorityClass));
    EXPECT_EQ(calls[0].exitCode, 5u);
    EXPECT_EQ(runner.State(), RunnerState::Idle);
  }
}

TEST_F(ProcessRunnerTest, ReportsEachEndOnTheCallingThreadInTheOrderTheProgramsEnded) {
  ProcessRunner slow;
  ProcessRunner quick;
  Watch(slow);
  Watch(quick);
  slow.CommandLine = ChildCommand("sleep=2500 exit=0xDEADBEEF");
  quick.CommandLine = ChildCommand("sleep=200 exit=22");
  slow.Run();
  quick.Run();
  ASSERT_TRUE(PumpCalls(2, 30000));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].sender, &quick);
  EXPECT_EQ(calls[0].exitCode, 22u);
  EXPECT_EQ(calls[1].sender, &slow);
  EXPECT_EQ(calls[1].exitCode, 0xDEADBEEFu);
  EXPECT_EQ(slow.ExitCode(), 0xDEADBEEFu);
  for (const Call& call : calls) EXPECT_EQ(call.thread, ::GetCurrentThreadId());
  testing::PumpFor(500);
  EXPECT_EQ(calls.size(), 2u) << "an end was reported twice";
}

TEST_F(ProcessRunnerTest, AnEndHandlerMayStartTheNextProgramOnItsOwnRunner) {
  ProcessRunner runner;
  std::vector<std::uint32_t> codes;
  std::vector<RunnerState> statesInHandler;
  runner.OnTerminate = [&](ProcessRunner& sender, std::uint32_t code) {
    codes.push_back(code);
    statesInHandler.push_back(sender.State());
    if (code < 3) {
      sender.CommandLine = ChildCommand("exit=" + std::to_string(code + 1));
      sender.Run();
    }
  };
  runner.CommandLine = ChildCommand("exit=1");
  runner.Run();
  ASSERT_TRUE(testing::PumpUntil([&] { return codes.size() >= 3; }, 30000));
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(statesInHandler, std::vector<RunnerState>(3, RunnerState::Idle));
  EXPECT_EQ(runner.State(), RunnerState::Idle);
}

TEST_F(ProcessRunnerTest, RunWhileWaitingIsRefusedAndTheFirstEndStillArrives) {
  ProcessRunner runner;
  Watch(runner);
  runner.CommandLine = ChildCommand("sleep=1000 exit=7");
  runner.Run();
  runner.CommandLine = ChildCommand("exit=8");
  try {
    runner.Run();
    FAIL() << "no error";
  } catch (const EOSError&) {
    FAIL() << "the refusal is not a platform error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation when process is running");
  }
  EXPECT_EQ(runner.State(), RunnerState::Waiting);
  ASSERT_TRUE(PumpCalls(1));
  testing::PumpFor(500);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].exitCode, 7u);
}

TEST_F(ProcessRunnerTest, ARunnerDestroyedBeforeItsEndIsDeliveredReportsNothing) {
  enum class When { ProgramRunning, EndAlreadyQueued, EndQueuedAndRunnerReplaced };
  const std::pair<const char*, When> cases[] = {
      {"destroyed while the program runs", When::ProgramRunning},
      {"destroyed with the end message queued", When::EndAlreadyQueued},
      {"replaced in the same place with the end message queued", When::EndQueuedAndRunnerReplaced},
  };
  for (const auto& [name, when] : cases) {
    SCOPED_TRACE(name);
    calls.clear();
    std::string report = Report("destroyed");
    files::DeleteQuietly(report);
    std::optional<ProcessRunner> runner;
    runner.emplace();
    Watch(*runner);
    runner->CommandLine =
        ChildCommand(when == When::ProgramRunning ? "sleep=1500 exit=1" : "exit=1", report);
    runner->Run();
    if (when != When::ProgramRunning) {
      // Let the program end and the waiter post its end, without handling any message.
      for (int i = 0; i < 200 && !ReportDone(report); ++i) ::Sleep(100);
      ASSERT_TRUE(ReportDone(report));
      ::Sleep(1500);
    }
    ProcessRunner* old = &*runner;
    runner.reset();
    if (when == When::EndQueuedAndRunnerReplaced) {
      runner.emplace();
      ASSERT_EQ(&*runner, old);
      Watch(*runner);
      runner->CommandLine = ChildCommand("sleep=300 exit=2");
      runner->Run();
      ASSERT_TRUE(PumpCalls(1));
      testing::PumpFor(1000);
      ASSERT_EQ(calls.size(), 1u);
      EXPECT_EQ(calls[0].exitCode, 2u);
      continue;
    }
    testing::PumpFor(2500);
    EXPECT_TRUE(calls.empty());
    // The started program was left running and finished its work.
    EXPECT_TRUE(testing::PumpUntil([&] { return ReportDone(report); }, 10000));
  }
}

TEST_F(ProcessRunnerTest, AnUnwatchedStartNeverReportsAnEnd) {
  ProcessRunner runner;
  Watch(runner);
  runner.WaitForTerminate = false;
  std::string report = Report("unwatched");
  runner.CommandLine = ChildCommand("exit=3", report);
  runner.Run();
  EXPECT_EQ(runner.State(), RunnerState::Started);
  ASSERT_TRUE(testing::PumpUntil([&] { return ReportDone(report); }, 20000));
  testing::PumpFor(1500);
  EXPECT_TRUE(calls.empty());
  // A started runner may start again at once.
  runner.Run();
  testing::PumpFor(1500);
  EXPECT_TRUE(calls.empty());
}

TEST_F(ProcessRunnerTest, ARefusedStartRaisesEOSErrorWithTheSystemsCodeAndMessage) {
  struct Case {
    const char* name;
    std::string commandLine;
    std::string folder;
    DWORD code;
  };
  const Case cases[] = {
      {"missing program", "C:\\quorvel_missing_program.exe /x", "", ERROR_FILE_NOT_FOUND},
      {"missing working folder", ChildCommand("exit=0"), "C:\\quorvel missing folder",
       ERROR_DIRECTORY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessRunner runner;
    Watch(runner);
    runner.CommandLine = c.commandLine;
    runner.CurrentDirectory = c.folder;
    try {
      runner.Run();
      FAIL() << "no error";
    } catch (const EOSError& e) {
      EXPECT_EQ(e.Code(), c.code);
      std::string message = SystemErrorMessage(c.code);
      EXPECT_FALSE(message.empty());
      EXPECT_EQ(std::string(e.what()),
                "System Error.  Code: " + std::to_string(c.code) + ".\r\n" + message);
    }
    EXPECT_EQ(runner.State(), RunnerState::Idle);
    // The runner is still usable.
    runner.CommandLine = ChildCommand("exit=4");
    runner.CurrentDirectory = "";
    calls.clear();
    runner.Run();
    ASSERT_TRUE(PumpCalls(1));
    EXPECT_EQ(calls[0].exitCode, 4u);
  }
}

TEST_F(ProcessRunnerTest, AProgramPathWithBlanksIsPassedUnquoted) {
  std::string program = temp_.Path() + "with blank\\probe.exe";
  ASSERT_TRUE(testing::CopyFileTo(Self(), program));
  std::string report = Report("blank");
  ProcessRunner runner;
  Watch(runner);
  runner.CommandLine = program + " --runner-child exit=9 report=" + report;
  runner.Run();
  ASSERT_TRUE(PumpCalls(1));
  // The platform found the program by trying the text up to each blank in turn. (Wine hands
  // the child its resolved path in quotes, so the child's own view is compared without them.)
  EXPECT_EQ(calls[0].exitCode, 9u);
  auto received = ReportValue(report, "commandline");
  ASSERT_TRUE(received.has_value());
  EXPECT_EQ(text::ReplaceAll(*received, "\"", ""), runner.CommandLine);
}

TEST_F(ProcessRunnerTest, TheWorkingFolderIsTrimmedAndEmptyMeansOurs) {
  std::string folder = temp_.Path() + "work folder";
  ASSERT_TRUE(files::ForceDirectories(folder));
  char ours[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, ours);
  const std::pair<std::string, std::string> cases[] = {
      {folder, folder},
      {"  " + folder + " \t", folder},
      {"", ours},
      {"   ", ours},
  };
  for (const auto& [given, expected] : cases) {
    SCOPED_TRACE("\"" + given + "\"");
    std::string report = Report("cwd");
    files::DeleteQuietly(report);
    ProcessRunner runner;
    Watch(runner);
    runner.CommandLine = ChildCommand("exit=0", report);
    runner.CurrentDirectory = given;
    calls.clear();
    runner.Run();
    ASSERT_TRUE(PumpCalls(1));
    auto cwd = ReportValue(report, "cwd");
    ASSERT_TRUE(cwd.has_value());
    EXPECT_TRUE(text::EqualsNoCase(*cwd, expected)) << *cwd;
  }
}

TEST_F(ProcessRunnerTest, AnEnvironmentListReplacesTheInheritedEnvironment) {
  ::SetEnvironmentVariableA("QUORVEL_INHERITED", "from the test");
  const std::tuple<const char*, std::vector<std::string>, const char*, const char*> cases[] = {
      {"empty list inherits", {}, "(none)", "from the test"},
      {"given list replaces", {"QUORVEL_PROBE=given", "SystemRoot=C:\\windows"}, "given", "(none)"},
  };
  for (const auto& [name, environment, probe, inherited] : cases) {
    SCOPED_TRACE(name);
    std::string report = Report("environment");
    files::DeleteQuietly(report);
    ProcessRunner runner;
    Watch(runner);
    runner.Environment = environment;
    runner.CommandLine = ChildCommand("exit=0", report);
    calls.clear();
    runner.Run();
    ASSERT_TRUE(PumpCalls(1));
    EXPECT_EQ(ReportValue(report, "probe"), probe);
    EXPECT_EQ(ReportValue(report, "inherited"), inherited);
  }
  ::SetEnvironmentVariableA("QUORVEL_INHERITED", nullptr);
}

TEST_F(ProcessRunnerTest, AnErrorInTheEndHandlerGoesToTheErrorReporter) {
  expectErrors = true;
  ProcessRunner runner;
  int ends = 0;
  runner.OnTerminate = [&](ProcessRunner&, std::uint32_t) {
    if (++ends == 1) throw AppError("the handler failed");
  };
  runner.CommandLine = ChildCommand("exit=0");
  runner.Run();
  ASSERT_TRUE(testing::PumpUntil([&] { return ends >= 1; }, 20000));
  ASSERT_EQ(seams.log.size(), 1u);
  EXPECT_EQ(seams.log[0].rfind("error: the handler failed", 0), 0u) << seams.log[0];
  EXPECT_EQ(runner.State(), RunnerState::Idle);
  runner.Run();
  EXPECT_TRUE(testing::PumpUntil([&] { return ends >= 2; }, 20000));
  EXPECT_EQ(seams.log.size(), 1u);
}

}  // namespace
}  // namespace quorvel
