#include "app/startup_win.h"

#include <atomic>
#include <exception>
#include <thread>

#include "app/game_discovery_win.h"
#include "app/game_settings_steps_win.h"
#include "app/settings_environment_win.h"
#include "platform/error_reporter_win.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/seams_win.h"
#include "settings/display_modes_win.h"
#include "settings/game_paths.h"
#include "sysinfo/memory_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

namespace {

// Steps 8 and 9: without the settings key or Steam the window only shows its pages.
void EndEarly(MainWindow& window, const char* message) {
  CurrentSeams().Message(window.Handle(), message);
  window.DisableBenchButton(message);
}

// The quit message arrived while the game search ran: the start-up goes no further.
struct StartupStopped {};

// Runs the game search on a worker thread and handles this thread's messages until it has
// finished, so the window paints and answers while a large Steam folder is walked. The
// worker touches no window and no setting: it only takes the Steam folder and gives the
// found game back. Throws StartupStopped when the quit message comes first (the worker is
// told to stop and waited for; the message is posted again).
GameLocation SearchWhileAnswering(const std::string& steamFolder) {
  std::atomic<bool> stop{false};
  GameLocation found;
  std::exception_ptr failure;
  UniqueHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!done) return LocateGame(steamFolder);
  std::thread worker([&] {
    try {
      found = LocateGame(steamFolder, &stop);
    } catch (...) {
      failure = std::current_exception();
    }
    ::SetEvent(done.Get());
  });
  bool quit = false;
  WPARAM quitCode = 0;
  HANDLE waitFor = done.Get();
  while (!quit &&
         ::MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  if (quit) stop = true;
  worker.join();
  if (quit) {
    ::PostQuitMessage(static_cast<int>(quitCode));
    throw StartupStopped();
  }
  if (failure) std::rethrow_exception(failure);
  return found;
}

bool RunSteps(MainWindow& window, const StartupOptions& options) {
  // 1. colours; 2. program folder (and the settings that need it); 3. first page.
  window.ApplyColours();
  GamePaths& paths = window.Paths();
  paths.ProgramFolder = options.programFolder;
  SettingsEnvironment environment = WindowsSettingsEnvironment(window.Handle());
  environment.ProgramFolder = options.programFolder;
  window.UseSettings(environment);
  window.SetActivePage(Page::PathInformation);
  if (options.showAtOnce) {
    // Something of ours on screen at once, saying what is going on.
    window.SetStatus(kStartingStatus);
    window.Show();
    if (options.onShown) options.onShown();
  }

  // 4.-7. results folder, left-over debug file, memory figure, version text.
  const std::string results = options.programFolder + "Benchmark\\";
  if (!files::DirectoryExists(results)) files::ForceDirectories(results);
  const std::string debugInfo = options.programFolder + "debuginfo.txt";
  if (files::FileExists(debugInfo)) files::DeleteQuietly(debugInfo);
  window.MemoryFigure = PhysicalMemoryFigure(TotalPhysicalMemoryBytes());
  window.VersionText = ReadFileVersion(options.programPath);
  ::SetWindowTextA(window.Label17, window.VersionText.c_str());

  // 8.-9. the settings key and Steam.
  if (!window.Store().KeyExists()) {
    EndEarly(window, kReinstallMessage);
    return false;
  }
  if (!SteamKeyExists()) {
    EndEarly(window, kInstallGameMessage);
    return false;
  }

  // 10.-12. version label, resolutions from the display's modes, levels and runs.
  ::SetWindowTextA(window.verselabel, ("v" + window.VersionText).c_str());
  BenchSettings& settings = *window.Settings();
  settings.LoadSlotsAndCustomSize(DisplayModeList());
  settings.LoadLevelsAndRuns();

  // 13.-15. Steam and the game, "Path", the game folders.
  const std::string steamFolder = ReadSteamFolder();
  GameLocation game;
  if (!steamFolder.empty()) {
    window.SetStatus(kSearchingStatus);
    game = SearchWhileAnswering(steamFolder);
  }
  window.SetStatus("");
  window.SetText(Control::HL2PathEdit, game.AccountFolder);
  window.Store().WriteString("Path", game.AccountFolder);
  paths = DeriveGamePaths(options.programFolder, steamFolder, game.AccountFolder, "");
  if (game.LostCoastInsideHalfLife2) UseLostCoastInsideHalfLife2(paths);
  UseRecordedGameFolders(paths, game.Hl2GameFolder, game.LostCoastGameFolder);

  // 16.-17. the remaining settings, the user's SID.
  settings.LoadRemaining();
  paths.UserSid = CurrentUserSid();
  paths.DataFolder = files::UserDataFolder();

  // 18.-19. recovery and backup of the game's settings.
  RecoverAndBackUpGameSettings(window);

  // 20.
  window.ShowAboutView();
  // Without the game a series would prepare folders relative to wherever the program was
  // started from: the run button stays off and says why.
  if (game.AccountFolder.empty()) {
    window.DisableBenchButton(kGameNotFoundMessage);
    window.SetStatus(kGameNotFoundMessage);
  }
  return true;
}

}  // namespace

StartupOptions ProgramStartupOptions() {
  return {files::ProgramFolder(), files::ProgramPath(), true, nullptr};
}

bool RunStartup(MainWindow& window, const StartupOptions& options) {
  // No input reaches the window, and the run button cannot be pressed, before the start-up
  // has ended; the window still paints and answers a later start.
  const HWND bench = window.BenchButton;
  const bool benchWasEnabled = ::IsWindowEnabled(bench);
  ::EnableWindow(bench, FALSE);
  ::EnableWindow(window.Handle(), FALSE);
  window.SetStartingUp(true);
  bool completed = false;
  Guarded(window.Handle(), "FormCreate", [&] {
    try {
      completed = RunSteps(window, options);
    } catch (const StartupStopped&) {
    }
  });
  // What the start-up was doing is over, however it ended.
  const std::string status = window.Status();
  if (status == kStartingStatus || status == kSearchingStatus) window.SetStatus("");
  // An early end has disabled the run button for good; otherwise it is as before.
  if (benchWasEnabled && !window.BenchButtonDisabledForGood()) ::EnableWindow(bench, TRUE);
  ::EnableWindow(window.Handle(), TRUE);
  window.SetStartingUp(false);
  return completed;
}

}  // namespace quorvel
