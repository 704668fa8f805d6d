#include "app/program_win.h"

#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_commands_win.h"
#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "bench/bench_series.h"
#include "platform/error_reporter_win.h"
#include "platform/files_win.h"
#include "platform/libraries_win.h"
#include "settings/game_backup_win.h"
#include "ui/main_window_win.h"
#include "ui/news_window_win.h"
#include "ui/picker_window_win.h"
#include "ui/series_controller_win.h"
#include "ui/startup_window_win.h"
#include "ui/updater_wiring_win.h"
#include "update/updater_win.h"

namespace quorvel {

namespace {
// Posted to the program's thread when a series from the command line has ended.
constexpr UINT kLeaveAfterSeries = WM_APP + 0x1F0;
}  // namespace

int RunProgram(HINSTANCE instance) {
  // Before anything is loaded at run time: no library from the program's folder or any other
  // folder a user may write to.
  libraries::RestrictSearchToSystemFolder();
  const std::vector<std::string> arguments(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  // "/compare" and "/?" need no window and no guard: they print and end.
  if (std::optional<int> code = RunConsoleCommand(arguments)) return *code;
  // "/run": the window's start-up and series, with the window hidden and nothing asked.
  const CommandLine command = ParseCommandLine(arguments);
  const bool unattended = command.Kind == CommandKind::Run;
  // Only one instance per program file: a later start wakes the running one and leaves; a
  // series from the command line is refused instead.
  SingleInstanceGuard guard(files::ProgramPath());
  if (unattended && guard.AnotherRuns())
    return PrintFailure("Another instance of Quorvel is running; close it first.");
  if (!unattended && guard.ActivateOther()) return 0;
  std::optional<UnattendedSeams> answers;
  if (unattended) {
    answers.emplace(CurrentSeams());
    InstallSeams(&*answers);
  }
  int unattendedCode = 1;
  // On screen at once; the main window takes a moment to build.
  StartupWindow starting;
  if (!unattended) starting.Show(instance, kStartingStatus);
  ::OleInitialize(nullptr);  // the folder dialog needs it

  MainWindow main(instance);
  TForm3 picker(instance, main);
  TForm5 news(instance, files::ProgramFolder());
  // Created with the main window: it removes a helper left by an earlier update.
  update::TzUpdater updater(instance);
  AutoexecRestorePending autoexec;
  std::unique_ptr<SeriesController> series;
  try {
    main.Create();
    guard.SetMainWindow(main.Handle());
    StartupOptions options = ProgramStartupOptions();
    options.onShown = [&starting] { starting.Close(); };
    options.showAtOnce = !unattended;
    bool started = RunStartup(main, options);
    picker.Create();
    main.ShowPicker = [&picker] { picker.ShowModal(); };
    news.Create();
    news.MainWindow = main.Handle();
    main.Activated = [&] { news.FormActivate(); };
    // Start-up showed the window before the news window existed: its first activation
    // counts now.
    if (::GetActiveWindow() == main.Handle())
      Guarded(main.Handle(), "FormActivate", main.Activated);
    ConfigureUpdater(updater, main);
    WireUpdater(main, updater);
    // The series needs the game paths that start-up has just derived.
    series = std::make_unique<SeriesController>(main, autoexec);
    main.RestoreScriptAtClose = [&] {
      if (autoexec.Pending) RestoreAutoexec(autoexec, main.Paths(), main.Handle());
    };
    if (unattended) {
      // The start-up ended early (its notice says why) or left the run button off (the
      // status line says why, e.g. the game was not found): no series.
      std::string refusal;
      if (!started)
        refusal = answers->FirstNotice().empty() ? main.Status() : answers->FirstNotice();
      else if (main.BenchButtonDisabledForGood())
        refusal = main.Status();
      if (!started || main.BenchButtonDisabledForGood()) {
        unattendedCode = PrintFailure(refusal.empty() ? "The series cannot start." : refusal);
        ::PostThreadMessageA(::GetCurrentThreadId(), kLeaveAfterSeries, 0, 0);
      } else {
        answers->ForgetNotices();
        bench::SeriesOrder order = OrderForRun(bench::SeriesOrderFrom(main), command.Run);
        SeriesController* running = series.get();
        series->RunUnattended(order, [&, running] {
          std::string status = main.Status();
          if (status == bench::kSeriesSucceeded && !running->ReportPath().empty()) {
            unattendedCode = 0;
            PrintOut("Report: " + running->ReportPath() + "\r\n");
            if (!running->ResultsJsonPath().empty())
              PrintOut("Results: " + running->ResultsJsonPath() + "\r\n");
          } else {
            std::string reason = answers->FirstNotice();
            // Without a notice, a series aborted at its end had no run with a result.
            if (reason.empty() && status == bench::kSeriesAborted)
              reason = status + std::string(" No run of the series left a result.");
            if (reason.empty()) reason = status;
            unattendedCode =
                PrintFailure(reason.empty() ? "The series ended without a result." : reason);
          }
          // Leaves as the exit button does, once the sequencer has returned: the user's game
          // settings go back once the game of the series has quit.
          ::PostThreadMessageA(::GetCurrentThreadId(), kLeaveAfterSeries, 0, 0);
        });
      }
    }
  } catch (const std::exception& e) {
    starting.Close();
    ReportError(main.Handle(), "Application", &e);
    if (unattended) return PrintFailure(e.what());
    if (!main.Handle()) return 1;
  }
  // Start-up has shown the window already, unless it ended before.
  if (!unattended && main.Handle() && !::IsWindowVisible(main.Handle())) main.Show();
  starting.Close();
  if (!unattended) updater.MainWindowLoaded(arguments);

  MSG msg = {};
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!msg.hwnd && msg.message == kLeaveAfterSeries) {
      Guarded(main.Handle(), "Exit", [&] { main.ExitButtonClick(); });
      continue;
    }
    if (update::HandleDialogKeys(msg)) continue;
    if (main.Handle() && ::IsDialogMessageA(main.Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  ::OleUninitialize();
  return unattended ? unattendedCode : static_cast<int>(msg.wParam);
}

}  // namespace quorvel
