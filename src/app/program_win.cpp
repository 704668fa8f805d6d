#include "app/program_win.h"

#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console_commands_win.h"
#include "app/single_instance_win.h"
#include "app/startup_win.h"
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

int RunProgram(HINSTANCE instance) {
  // Before anything is loaded at run time: no library from the program's folder or any other
  // folder a user may write to.
  libraries::RestrictSearchToSystemFolder();
  // "/compare" and "/?" need no window and no guard: they print and end.
  if (std::optional<int> code = RunConsoleCommand(
          std::vector<std::string>(__argv + (__argc > 0 ? 1 : 0), __argv + __argc)))
    return *code;
  // Only one instance per program file: a later start wakes the running one and leaves.
  SingleInstanceGuard guard(files::ProgramPath());
  if (guard.ActivateOther()) return 0;
  // On screen at once; the main window takes a moment to build.
  StartupWindow starting;
  starting.Show(instance, kStartingStatus);
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
    RunStartup(main, options);
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
  } catch (const std::exception& e) {
    starting.Close();
    ReportError(main.Handle(), "Application", &e);
    if (!main.Handle()) return 1;
  }
  // Start-up has shown the window already, unless it ended before.
  if (main.Handle() && !::IsWindowVisible(main.Handle())) main.Show();
  starting.Close();
  std::vector<std::string> arguments(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  updater.MainWindowLoaded(arguments);

  MSG msg = {};
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (update::HandleDialogKeys(msg)) continue;
    if (main.Handle() && ::IsDialogMessageA(main.Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  ::OleUninitialize();
  return static_cast<int>(msg.wParam);
}

}  // namespace quorvel
