// The handlers of the main window's own buttons: demo, folders, help, sponsor and exit.
#include "ui/main_window_win.h"

#include <shellapi.h>

#include "bench/demo_choice.h"
#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "ui/links.h"

namespace quorvel {

void MainWindow::demoChanging() {
  bool filtersShown = activePage_ == Page::FiltersDemos && ::IsWindowVisible(PageControl);
  auto choice = bench::ChooseDemo(TickedDemo(), filtersShown, Text(Control::DemoEdit).empty());
  if (!choice) return;
  for (Control c : {Control::DemoEdit, Control::DemoEditButton, Control::HL2LC, Control::NormalHL2})
    SetEnabled(c, choice->customControlsEnabled);
  store_->WriteString("Demo", choice->demoValue);
  if (choice->showCustomHint) SetStatus(bench::kDefineCustomDemo);
}

void MainWindow::DemoEditButtonClick() {
  auto file = CurrentSeams().ChooseFile(hwnd_, "Open", bench::DemoFileFilter());
  if (!file) return;
  if (settings_)
    settings_->DemoFileChosen(*file);
  else
    SetText(Control::DemoEdit, *file);
}

void MainWindow::OpenResFolderClick() {
  std::string folder = Text(Control::ResEdit);
  if (folder.empty()) return;
  if (files::DirectoryExists(folder))
    CurrentSeams().ShellOpen(hwnd_, folder, SW_SHOWNORMAL);
  else
    CurrentSeams().Message(hwnd_, kResultsFolderMissing);
}

void MainWindow::ToolButton5Click() {
  auto folder = CurrentSeams().ChooseFolder(hwnd_, "Results folder");
  if (folder && settings_) settings_->ResultsFolderChosen(*folder);
}

void MainWindow::OpenHelp() {
  std::string help = paths_.ProgramFolder + kHelpFile;
  if (!paths_.ProgramFolder.empty() && files::FileExists(help))
    CurrentSeams().ShellOpen(hwnd_, help, SW_SHOW);
  else
    CurrentSeams().Message(hwnd_, kHelpMissing);
}

void MainWindow::OpenSponsor() { CurrentSeams().ShellOpen(hwnd_, kSponsorAddress, SW_SHOWNORMAL); }

void MainWindow::ExitButtonClick() {
  // Leaving must not be stopped by a failed step: each is reported and the next still runs.
  Guarded(hwnd_, "SaveAtExit", [this] {
    if (settings_) settings_->SaveAtExit();
  });
  bool delayed = false;
  Guarded(hwnd_, "RestoreRegistry", [&] {
    if (DelayExit) delayed = DelayExit([this] { FinishExit(); });
  });
  if (!delayed) FinishExit();
}

void MainWindow::FinishExit() {
  Guarded(hwnd_, "RestoreRegistry", [this] {
    if (RestoreRegistryAtExit) RestoreRegistryAtExit();
  });
  if (EndProgram) EndProgram();
}

void MainWindow::CloseQuery() {
  Guarded(hwnd_, "RestoreAutoexec", [this] {
    if (RestoreScriptAtClose) RestoreScriptAtClose();
  });
  Guarded(hwnd_, "FormCloseQuery", [this] {
    if (!paths_.ProgramFolder.empty()) files::DeleteQuietly(paths_.ProgramFolder + "batchview.txt");
    if (settings_) settings_->SaveAtExit();
  });
}

void MainWindow::CloseStep() {
  if (settings_) settings_->SaveAtExit();
}

void MainWindow::RadioClicked(HWND clicked) {
  HWND other = clicked == NormalHL2 ? HL2LC : NormalHL2;
  ::SendMessageA(clicked, BM_SETCHECK, BST_CHECKED, 0);
  ::SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
}

}  // namespace quorvel
