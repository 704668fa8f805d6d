// The main window's pages, the navigation bar, the status line and tooltips.
#include "ui/main_window_win.h"

#include "bench/demo_choice.h"
#include "platform/seams_win.h"
#include "ui/links.h"

namespace quorvel {

namespace {

using ui::kFontFace;
using ui::WindowText;

}  // namespace

void MainWindow::SetActivePage(Page page) {
  activePage_ = page;
  for (int p = 0; p < kPageCount; ++p)
    ::ShowWindow(Pages[p], p == static_cast<int>(page) ? SW_SHOW : SW_HIDE);
  for (HWND item : navItems_) ::InvalidateRect(item, nullptr, FALSE);
}

void MainWindow::ShowPage(Page page) {
  SetActivePage(page);
  for (HWND control : {Image1, Separator1, AboutMemo, Image3}) ::ShowWindow(control, SW_HIDE);
  ::ShowWindow(PageControl, SW_SHOW);
  ::ShowWindow(verselabel, SW_HIDE);
  ::ShowWindow(hl2logo, SW_SHOW);
  if (page != Page::FiltersDemos) SetStatus("");
  for (HWND item : navItems_) ::InvalidateRect(item, nullptr, FALSE);
}

void MainWindow::ShowAboutView() {
  ::ShowWindow(PageControl, SW_HIDE);
  for (HWND control : {Image1, Separator1, AboutMemo, Image3}) ::ShowWindow(control, SW_SHOW);
  ::ShowWindow(verselabel, SW_SHOW);
  ::ShowWindow(hl2logo, SW_HIDE);
  SetStatus("");
  for (HWND item : navItems_) ::InvalidateRect(item, nullptr, FALSE);
}

bool MainWindow::AboutViewShown() const {
  return !::IsWindowVisible(PageControl) && ::IsWindowVisible(AboutMemo);
}

void MainWindow::ToggleGroup(NavGroup group) {
  int g = static_cast<int>(group);
  bool open = !groupOpen_[g];
  groupOpen_ = {false, false};
  groupOpen_[g] = open;
  LayoutGroupBar();
  for (HWND caption : groupCaptions_) ::InvalidateRect(caption, nullptr, FALSE);
}

void MainWindow::Navigate(NavItem item) {
  switch (item) {
    case NavItem::PathInformation:
      ShowPage(Page::PathInformation);
      break;
    case NavItem::ResolutionDetail:
      ShowPage(Page::ResolutionDetail);
      break;
    case NavItem::FiltersDemos:
      ShowPage(Page::FiltersDemos);
      if (bench::FiltersPageShowsHint(TickedDemo())) SetStatus(bench::kDefineCustomDemo);
      break;
    case NavItem::Miscellaneous:
      ShowPage(Page::Miscellaneous);
      break;
    case NavItem::BenchmarkHelp:
      OpenHelp();
      break;
    case NavItem::UpdateBench:
      ShowPage(Page::UpdateBench);
      break;
    case NavItem::OurSponsor:
      ShowPage(Page::OurSponsor);
      break;
    case NavItem::Homepage:
      CurrentSeams().ShellOpen(hwnd_, kHomepageAddress, SW_SHOW);
      break;
    case NavItem::TweakGuide:
      CurrentSeams().ShellOpen(hwnd_, kTweakGuideAddress, SW_SHOW);
      break;
    case NavItem::About:
      ShowAboutView();
      break;
  }
}

void MainWindow::ApplyColours() {
  coloursApplied_ = true;
  ::InvalidateRect(hwnd_, nullptr, TRUE);
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

void MainWindow::SetStatus(const std::string& text) { ::SetWindowTextA(StatusInfo, text.c_str()); }

std::string MainWindow::Status() const { return WindowText(StatusInfo); }

void MainWindow::SetTooltip(HWND control, const std::string& text) { tips_.Set(control, text); }

std::string MainWindow::Tooltip(HWND control) const { return tips_.Get(control); }

void MainWindow::SetStartingUp(bool startingUp) {
  startingUp_ = startingUp;
  if (startingUp_ || !closeAfterStartup_) return;
  closeAfterStartup_ = false;
  ::PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::DisableBenchButton(const std::string& reason) {
  benchDisabled_ = true;
  ::EnableWindow(BenchButton, FALSE);
  SetTooltip(BenchButton, reason);
  RECT r;
  ::GetWindowRect(BenchButton, &r);
  ::MapWindowPoints(nullptr, Panelsh, reinterpret_cast<POINT*>(&r), 2);
  tips_.SetArea(Panelsh, 1, r, reason);
}

void MainWindow::SetFontSize(HWND label, int points) {
  sizedFonts_.emplace_back(ui::MakeFont(kFontFace, points));
  ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(sizedFonts_.back().Get()), TRUE);
}

std::string MainWindow::MaxSetText() const { return WindowText(MaxSet); }

}  // namespace quorvel
