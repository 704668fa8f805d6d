// The main window's setting controls as the settings logic sees them (SettingsControls).
#include "ui/main_window_win.h"

#include "settings/resolution_catalogue.h"

namespace quorvel {

namespace {

using ui::WindowText;

}  // namespace

HWND MainWindow::ControlHandle(Control control) const {
  switch (control) {
    case Control::cusresbox:
      return cusresbox;
    case Control::FastZBox:
      return FastZBox;
    case Control::UseProxyBox:
      return UseProxyBox;
    case Control::NormalHL2:
      return NormalHL2;
    case Control::HL2LC:
      return HL2LC;
    case Control::AFBox:
      return AFBox;
    case Control::AABox:
      return AABox;
    case Control::RunNumberBox:
      return RunNumberBox;
    case Control::HDRBox:
      return HDRBox;
    case Control::HeapsizeBox:
      return HeapsizeBox;
    case Control::RefreshBox:
      return RefreshBox;
    case Control::CusWidth:
      return CusWidth;
    case Control::CusHeight:
      return CusHeight;
    case Control::DemoEdit:
      return DemoEdit;
    case Control::ResEdit:
      return ResEdit;
    case Control::NoteEdit:
      return NoteEdit;
    case Control::HL2PathEdit:
      return HL2PathEdit;
    case Control::ProxyServerEdit:
      return ProxyServerEdit;
    case Control::ProxyPortEdit:
      return ProxyPortEdit;
    case Control::ProxyUsernameEdit:
      return ProxyUsernameEdit;
    case Control::ProxyPassEdit:
      return ProxyPassEdit;
    case Control::DemoEditButton:
      return DemoEditButton;
    case Control::BenchButton:
      return BenchButton;
  }
  return nullptr;
}

void MainWindow::SetSlot(int slot, bool enabled, bool ticked) {
  if (slot < 0 || slot >= kFixedSlotCount) return;
  ::EnableWindow(resItems[slot], enabled ? TRUE : FALSE);
  ::SendMessageA(resItems[slot], BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainWindow::SlotTicked(int slot) const {
  if (slot < 0 || slot >= kFixedSlotCount) return false;
  return ::SendMessageA(resItems[slot], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool MainWindow::SlotEnabled(int slot) const {
  if (slot < 0 || slot >= kFixedSlotCount) return false;
  return ::IsWindowEnabled(resItems[slot]) != FALSE;
}

bool MainWindow::Checked(Control control) const {
  return ::SendMessageA(ControlHandle(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetChecked(Control control, bool checked) {
  ::SendMessageA(ControlHandle(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int MainWindow::Selected(Control list) const {
  LRESULT index = ::SendMessageA(ControlHandle(list), CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void MainWindow::Select(Control list, int index) {
  ::SendMessageA(ControlHandle(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string MainWindow::Text(Control field) const { return WindowText(ControlHandle(field)); }

void MainWindow::SetText(Control field, const std::string& text) {
  HWND control = ControlHandle(field);
  ++settingText_;
  ::SetWindowTextA(control, text.c_str());
  --settingText_;
  // As a change by the user would; an error goes to the caller (the load).
  RunChangeHandler(control);
}

void MainWindow::RunChangeHandler(HWND control) {
  auto found = changeHandlers_.find(control);
  if (found != changeHandlers_.end() && found->second) found->second();
}

bool MainWindow::Enabled(Control control) const {
  return ::IsWindowEnabled(ControlHandle(control)) != FALSE;
}

void MainWindow::SetEnabled(Control control, bool enabled) {
  HWND window = ControlHandle(control);
  ::EnableWindow(window, enabled ? TRUE : FALSE);
  ::InvalidateRect(window, nullptr, TRUE);
}

int MainWindow::TickedDemo() const {
  for (int i = 0; i < 4; ++i)
    if (::SendMessageA(demoItems[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  return -1;
}

void MainWindow::TickDemo(int item) {
  if (item < 0 || item >= 4) return;
  // The item is ticked first, then the group's change handling runs, then the group
  // records the new index.
  for (int i = 0; i < 4; ++i)
    ::SendMessageA(demoItems[i], BM_SETCHECK, i == item ? BST_CHECKED : BST_UNCHECKED, 0);
  demoChanging();
  demoIndex_ = item;
}

}  // namespace quorvel
