#include "app/startup_win.h"

#include "app/game_discovery_win.h"
#include "app/game_settings_steps_win.h"
#include "platform/error_reporter_win.h"
#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "settings/display_modes_win.h"
#include "settings/game_paths.h"
#include "settings/memory_win.h"
#include "settings/settings_environment_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

namespace {

// Steps 8 and 9: without the settings key or Steam the window only shows its pages.
void EndEarly(MainWindow& window, const char* message) {
  CurrentSeams().Message(window.Handle(), message);
  window.DisableBenchButton(message);
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
  const std::string accountFolder = steamFolder.empty() ? "" : FindAccountFolder(steamFolder);
  window.SetText(Control::HL2PathEdit, accountFolder);
  window.Store().WriteString("Path", accountFolder);
  paths = DeriveGamePaths(options.programFolder, steamFolder, accountFolder, "");

  // 16.-17. the remaining settings, the user's SID.
  settings.LoadRemaining();
  paths.UserSid = CurrentUserSid();

  // 18.-19. recovery and backup of the game's settings.
  RecoverAndBackUpGameSettings(window);

  // 20.
  window.ShowAboutView();
  return true;
}

}  // namespace

StartupOptions ProgramStartupOptions() { return {files::ProgramFolder(), files::ProgramPath()}; }

bool RunStartup(MainWindow& window, const StartupOptions& options) {
  bool completed = false;
  Guarded(window.Handle(), "FormCreate", [&] { completed = RunSteps(window, options); });
  return completed;
}

}  // namespace quorvel
