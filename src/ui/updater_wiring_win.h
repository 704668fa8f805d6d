#pragma once
// The main window's side of the online update: the updater's settings in the program, the
// "Update benchmark" button and the window's four message boxes. User-interface thread.
#include "ui/main_window_win.h"
#include "update/updater_win.h"

namespace quorvel {

// The program's settings of `Updater`: the maker's information file over HTTPS, versions by
// number against the program's version, the messages [mAskUpgrade, mConnLost, mLostFile],
// the wizard in English without the file location and with the program's picture.
void ConfigureUpdater(update::TzUpdater& updater, MainWindow& main);

// ToolButton3Click: the proxy from the update page's controls as they are now, then the
// check. Throws AppError when the proxy port is no whole number (before anything starts).
void ToolButton3Click(MainWindow& main, update::TzUpdater& updater);

// Connects the button and the handlers UpdaterLaterUpgrade, UpdaterAborted ("Update
// aborted."), UpdaterNoUpdateAvailable ("No update available.") and UpdaterHostUnreachable
// ("No internet connection.").
void WireUpdater(MainWindow& main, update::TzUpdater& updater);

}  // namespace quorvel
