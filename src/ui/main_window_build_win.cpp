// The main window's controls: where each one stands, its look and its handlers.
#include "ui/compare_action_win.h"
#include "ui/main_window_win.h"

#include <commctrl.h>

#include "bench/option_lists.h"
#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "settings/resolution_catalogue.h"
#include "ui/links.h"
#include "ui/resource_ids.h"

namespace quorvel {

namespace {

using ui::kPageColour;

constexpr UINT kMoveByTitle = 0xF012;  // SC_MOVE with HTCAPTION: the window follows the mouse

constexpr const char* kGroupTitles[2] = {"Benchmark", "Help"};
constexpr const char* kNavTitles[kNavItemCount] = {"Path & information", "Resolution & detail",
                                                   "Filters & demos",    "Miscellaneous",
                                                   "Benchmark help",     "Update bench",
                                                   "Our Sponsor",        "Homepage",
                                                   "HL2 TweakGuide",     "About..."};
constexpr NavGroup kNavGroupOf[kNavItemCount] = {
    NavGroup::Benchmark, NavGroup::Benchmark, NavGroup::Benchmark, NavGroup::Benchmark,
    NavGroup::Help,      NavGroup::Help,      NavGroup::Help,      NavGroup::Help,
    NavGroup::Help,      NavGroup::Help};

constexpr const char* kAboutText =
    "Zarvent Half-Life 2 benchmark\r\n"
    "\r\n"
    "Measures how fast this PC plays Half-Life 2 and Lost Coast:\r\n"
    "choose resolutions, demo and details, then press RUN.\r\n"
    "\r\n"
    "Copyright (C) Zarvent.\r\n"
    "Half-Life 2 is a trademark of Valve Corporation.";

constexpr const char* kSponsorText =
    "Kestrel Hardware builds quiet, fast gaming PCs\r\n"
    "and hand-picks every part for the games you play.\r\n"
    "\r\n"
    "Every Kestrel machine is tested with Half-Life 2\r\n"
    "before it leaves the workshop.\r\n"
    "\r\n"
    "Click the picture to visit our sponsor's web site.";

// The fixed template of the "Maximum quality" detail level.
constexpr const char* kMaxSetText =
    "// Tovrel - Maximum details\r\n"
    "\r\n"
    "sv_cheats \"1\"\r\n"
    "cl_showfps \"1\"\r\n"
    "sv_unlockedchapters \"15\"\r\n"
    "ai_norebuildgraph \"1\"";

constexpr const char* kFastZTip =
    "Enables or disables a depth fill pass that may improve performance in graphics-bound "
    "situations.";

}  // namespace

HWND MainWindow::Label(HWND parent, const char* text, int x, int y, int w, int h, DWORD style) {
  return ui::CreateControl("STATIC", text, SS_LEFT | SS_NOPREFIX | style, x, y, w, h, parent,
                           nextId_++, font_.Get());
}

HWND MainWindow::Edit(HWND parent, int x, int y, int w, int h, DWORD style) {
  return ui::CreateControl("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | style, x, y, w, h,
                           parent, nextId_++, font_.Get());
}

HWND MainWindow::DropDown(HWND parent, int x, int y, int w, const std::vector<const char*>& items) {
  HWND box = ui::CreateControl("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, x, y, w,
                               200, parent, nextId_++, font_.Get());
  for (const char* item : items)
    ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  return box;
}

HWND MainWindow::CheckBox(HWND parent, const char* text, int x, int y, int w, int h) {
  HWND box = ui::CreateControl("BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP, x, y, w, h, parent,
                               nextId_++, font_.Get());
  ui::UseClassicLook(box);
  return box;
}

HWND MainWindow::Radio(HWND parent, const char* text, int x, int y, int w, int h) {
  // Not an automatic radio button: the window decides what a click ticks.
  HWND button = ui::CreateControl("BUTTON", text, BS_RADIOBUTTON | WS_TABSTOP, x, y, w, h, parent,
                                  nextId_++, font_.Get());
  ui::UseClassicLook(button);
  return button;
}

HWND MainWindow::OwnerButton(HWND parent, const char* text, int x, int y, int w, int h,
                             ButtonLook look) {
  HWND button = ui::CreateControl("BUTTON", text, BS_OWNERDRAW | WS_TABSTOP, x, y, w, h, parent,
                                  nextId_++, font_.Get());
  looks_[button] = look;
  return button;
}

HWND MainWindow::Group(HWND parent, const char* caption, int x, int y, int w, int h) {
  ui::PanelLook look;
  look.groupFrame = true;
  return ui::CreatePanel(parent, caption, x, y, w, h, look, font_.Get());
}

void MainWindow::BuildControls() {
  Image4 = ui::CreatePicture(hwnd_, skin_->Background(), 0, 0, kMainWidth, kMainHeight,
                             {[this](int button) {
                                if (button != VK_LBUTTON) return;
                                ::ReleaseCapture();
                                ::SendMessageA(hwnd_, WM_SYSCOMMAND, kMoveByTitle, 0);
                              },
                              nullptr});
  BuildTitleArea();
  BuildNavigation();
  Separator2 =
      ui::CreateControl("STATIC", "", SS_OWNERDRAW, 141, 36, 3, 288, hwnd_, nextId_++, font_.Get());
  StatusInfo = Label(hwnd_, "", 8, 332, 498, 15, SS_LEFTNOWORDWRAP);
  ::SetWindowLongPtrA(StatusInfo, GWLP_ID, IDC_STATUSINFO);
  BuildAboutView();
  BuildPages();
  BuildProgressPanel();
  // The background lies under everything; the progress panel over the pages.
  ::SetWindowPos(Image4, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SetWindowPos(Panel2, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::BuildTitleArea() {
  auto picture = [this](int id) {
    HBITMAP bitmap = ui::LoadPicture(instance_, id);
    bitmaps_.emplace_back(bitmap);
    return bitmap;
  };
  SpeedButton2 = OwnerButton(hwnd_, "", 472, 5, 17, 17,
                             {Look::Picture, picture(IDB_MINIMIZE_UP), picture(IDB_MINIMIZE_DOWN)});
  SpeedButton1 = OwnerButton(hwnd_, "", 491, 5, 18, 17,
                             {Look::Picture, picture(IDB_EXIT_UP), picture(IDB_EXIT_DOWN)});
  SetTooltip(SpeedButton2, "Minimize");
  SetTooltip(SpeedButton1, "Exit");
  handCursor_.insert({SpeedButton1, SpeedButton2});
  OnCommand(SpeedButton2, BN_CLICKED, "SpeedButton2Click",
            [this] { ::ShowWindow(hwnd_, SW_MINIMIZE); });
  OnCommand(SpeedButton1, BN_CLICKED, "SpeedButton1Click", [this] { ExitButtonClick(); });

  verselabel = Label(hwnd_, "", 370, 8, 98, 14, SS_RIGHT);
  ::SendMessageA(verselabel, WM_SETFONT, reinterpret_cast<WPARAM>(versionFont_.Get()), FALSE);
  whiteLabels_.insert(verselabel);
  hl2logo = ui::CreatePicture(hwnd_, picture(IDB_GAME_LOGO), 372, 5, 96, 18);
  ::ShowWindow(hl2logo, SW_HIDE);
}

void MainWindow::BuildNavigation() {
  GroupBar1 = ui::CreatePanel(hwnd_, "", 8, 36, 128, 192, ui::PanelLook{}, font_.Get());
  for (int g = 0; g < 2; ++g) {
    groupCaptions_[g] = OwnerButton(GroupBar1, kGroupTitles[g], 0, 0, 128, 20,
                                    {Look::NavCaption, nullptr, nullptr, g});
    handCursor_.insert(groupCaptions_[g]);
    OnCommand(groupCaptions_[g], BN_CLICKED, "GroupBar1GroupClick",
              [this, g] { ToggleGroup(static_cast<NavGroup>(g)); });
  }
  for (int i = 0; i < kNavItemCount; ++i) {
    navItems_[i] =
        OwnerButton(GroupBar1, kNavTitles[i], 0, 0, 120, 18, {Look::NavItem, nullptr, nullptr, i});
    handCursor_.insert(navItems_[i]);
    OnCommand(navItems_[i], BN_CLICKED, "GroupBar1ItemClick",
              [this, i] { Navigate(static_cast<NavItem>(i)); });
  }
  LayoutGroupBar();

  Panelsh = ui::CreatePanel(hwnd_, "", 8, 234, 128, 88, ui::PanelLook{}, font_.Get());
  HBITMAP up = ui::LoadPicture(instance_, IDB_BENCH_UP);
  HBITMAP down = ui::LoadPicture(instance_, IDB_BENCH_DOWN);
  bitmaps_.emplace_back(up);
  bitmaps_.emplace_back(down);
  SIZE size = ui::BitmapSize(up);
  int x = (128 - size.cx) / 2;
  int y = (88 - size.cy) / 2;
  BenchButton = OwnerButton(Panelsh, "", x, y, size.cx, size.cy, {Look::Picture, up, down});
  ::SetWindowLongPtrA(BenchButton, GWLP_ID, IDC_BENCHBUTTON);
  ::SetWindowRgn(BenchButton, ui::RegionFromBitmap(up), FALSE);
  handCursor_.insert(BenchButton);
  SetTooltip(BenchButton, kRunBenchmarkTip);
  // A disabled button gets no mouse messages; its panel shows the tooltip then.
  tips_.SetArea(Panelsh, 1, RECT{x, y, x + size.cx, y + size.cy}, kRunBenchmarkTip);
  OnCommand(BenchButton, BN_CLICKED, "BenchButtonClick", [this] {
    if (RunBenchmark) RunBenchmark();
  });
}

void MainWindow::LayoutGroupBar() {
  int y = 0;
  for (int g = 0; g < 2; ++g) {
    ::SetWindowPos(groupCaptions_[g], nullptr, 0, y, 128, 20, SWP_NOZORDER | SWP_NOACTIVATE);
    y += 22;
    for (int i = 0; i < kNavItemCount; ++i) {
      if (static_cast<int>(kNavGroupOf[i]) != g) continue;
      if (groupOpen_[g]) {
        ::SetWindowPos(navItems_[i], nullptr, 8, y, 120, 18,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        y += 18;
      } else {
        ::ShowWindow(navItems_[i], SW_HIDE);
      }
    }
    if (groupOpen_[g]) y += 4;
  }
  ::InvalidateRect(GroupBar1, nullptr, TRUE);
}

void MainWindow::BuildAboutView() {
  HBITMAP logo = ui::LoadPicture(instance_, IDB_ABOUT_LOGO);
  HBITMAP banner = ui::LoadPicture(instance_, IDB_SPONSOR_BANNER);
  bitmaps_.emplace_back(logo);
  bitmaps_.emplace_back(banner);
  Image1 = ui::CreatePicture(hwnd_, logo, 178, 46, 300, 64);
  Separator1 = ui::CreateControl("STATIC", "", SS_OWNERDRAW, 166, 118, 324, 2, hwnd_, nextId_++,
                                 font_.Get());
  AboutMemo = ui::CreateControl("EDIT", kAboutText, ES_MULTILINE | ES_READONLY | ES_CENTER, 160,
                                128, 336, 84, hwnd_, nextId_++, font_.Get());
  Image3 =
      ui::CreatePicture(hwnd_, banner, 178, 232, 300, 80, {nullptr, [this] { OpenSponsor(); }});
  SponsorPicture(Image3);
  for (HWND control : {Image1, Separator1, AboutMemo, Image3}) ::ShowWindow(control, SW_HIDE);
}

void MainWindow::SponsorPicture(HWND picture) {
  handCursor_.insert(picture);
  SetTooltip(picture, kSponsorTip);
}

void MainWindow::BuildProgressPanel() {
  ui::PanelLook look;
  look.solidFill = true;
  look.fill = kPageColour;
  look.framed = true;
  look.border = RGB(70, 70, 76);
  Panel2 = ui::CreatePanel(hwnd_, "", 150, 36, 356, 286, look, font_.Get());
  Label20 = Label(Panel2, "Collecting system information, please wait...", 38, 40, 310, 22);
  SetFontSize(Label20, 10);
  whiteLabels_.insert(Label20);
  Label21 = Label(Panel2, "Resolution: ...", 38, 92, 310, 16);
  RunsLabel = Label(Panel2, "", 38, 114, 310, 16);
  HBITMAP banner = ui::LoadPicture(instance_, IDB_SPONSOR_BANNER);
  bitmaps_.emplace_back(banner);
  Image5 =
      ui::CreatePicture(Panel2, banner, 28, 190, 300, 80, {nullptr, [this] { OpenSponsor(); }});
  SponsorPicture(Image5);
  ::ShowWindow(Panel2, SW_HIDE);
}

void MainWindow::BuildPages() {
  PageControl = ui::CreatePanel(hwnd_, "", 150, 36, 356, 286, ui::PanelLook{}, font_.Get());
  for (int p = 0; p < kPageCount; ++p) {
    Pages[p] = ui::CreatePanel(PageControl, "", 0, 0, 356, 286, ui::PanelLook{}, font_.Get());
    ::ShowWindow(Pages[p], SW_HIDE);
  }
  BuildPage0(Pages[0]);
  BuildPage1(Pages[1]);
  BuildPage2(Pages[2]);
  BuildPage3(Pages[3]);
  BuildPage4(Pages[4]);
  BuildPage5(Pages[5]);
}

void MainWindow::BuildPage0(HWND page) {
  HWND path = Group(page, " Half-Life 2 path ", 8, 4, 340, 52);
  HL2PathEdit = Edit(path, 12, 20, 316, 20, ES_READONLY);
  creamFields_.insert(HL2PathEdit);

  HWND info = Group(page, " Information ", 8, 64, 340, 46);
  Label(info, "Benchmark version:", 12, 22, 104, 14);
  Label17 = Label(info, "", 118, 22, 200, 14);

  HWND results = Group(page, " Results folder ", 8, 118, 340, 58);
  ResEdit = Edit(results, 12, 24, 224, 20, ES_READONLY);
  creamFields_.insert(ResEdit);
  OpenResFolder = OwnerButton(results, "Open", 242, 22, 58, 24,
                              {Look::Tool, nullptr, nullptr, IMG_OPEN_FOLDER});
  ToolButton5 =
      OwnerButton(results, "", 304, 22, 24, 24, {Look::Tool, nullptr, nullptr, IMG_FOLDER});
  SetTooltip(OpenResFolder, "Open results folder");
  SetTooltip(ToolButton5, "Browse...");
  OnCommand(OpenResFolder, BN_CLICKED, "OpenResFolderClick", [this] { OpenResFolderClick(); });
  OnCommand(ToolButton5, BN_CLICKED, "ToolButton5Click", [this] { ToolButton5Click(); });
  CompareButton = OwnerButton(page, "Compare results...", 8, 184, 140, 26, {Look::Tool});
  SetTooltip(CompareButton, "Put two or more result files side by side");
  OnCommand(CompareButton, BN_CLICKED, "CompareResultsClick",
            [this] { CompareResultsClick(hwnd_, Text(Control::ResEdit)); });
}

void MainWindow::BuildPage1(HWND page) {
  res = Group(page, " Resolution ", 8, 4, 340, 120);
  const auto& catalogue = ResolutionCatalogue();
  for (int slot = 0; slot < kFixedSlotCount; ++slot) {
    // Three columns, filled top to bottom.
    int column = slot / 3;
    int row = slot % 3;
    resItems[slot] =
        CheckBox(res, catalogue[slot].Label, 12 + column * 110, 20 + row * 21, 104, 18);
  }
  cusresbox = CheckBox(res, "Custom resolution:", 12, 90, 112, 18);
  CusWidth = Edit(res, 128, 89, 44, 20, ES_READONLY);
  Label(res, "\xD7", 177, 92, 10, 14);
  CusHeight = Edit(res, 190, 89, 44, 20, ES_READONLY);
  CusPossibilities = OwnerButton(res, "Possibilities", 244, 88, 86, 22, {Look::Tool});
  OnCommand(CusPossibilities, BN_CLICKED, "CusPossibilitiesClick", [this] {
    if (ShowPicker) ShowPicker();
  });

  DetailBox = Group(page, " Detail level ", 8, 132, 200, 82);
  HWND maximum = ui::CreateControl("BUTTON", "Maximum quality", BS_AUTORADIOBUTTON | WS_TABSTOP, 12,
                                   20, 180, 18, DetailBox, nextId_++, font_.Get());
  ui::UseClassicLook(maximum);
  ::SendMessageA(maximum, BM_SETCHECK, BST_CHECKED, 0);
  Label(DetailBox, "The maximum quality level is the best graphics possible.", 12, 42, 182, 30);
  MaxSet = ui::CreateControl("EDIT", kMaxSetText, ES_MULTILINE | ES_READONLY, 0, 0, 10, 10, page,
                             nextId_++, font_.Get());
  ::ShowWindow(MaxSet, SW_HIDE);

  HBITMAP small = ui::LoadPicture(instance_, IDB_SPONSOR_SMALL);
  bitmaps_.emplace_back(small);
  Image8 = ui::CreatePicture(page, small, 216, 154, 128, 44, {nullptr, [this] { OpenSponsor(); }});
  SponsorPicture(Image8);
}

void MainWindow::BuildPage2(HWND page) {
  HWND filters = Group(page, " Filters ", 8, 4, 340, 76);
  Label(filters, "Filtering mode", 14, 24, 110, 14);
  AFBox = DropDown(filters, 128, 20, 200,
                   {"Bilinear", "Trilinear", "Anisotropic 2\xD7", "Anisotropic 4\xD7",
                    "Anisotropic 8\xD7", "Anisotropic 16\xD7", "From System"});
  Label(filters, "Antialiasing mode", 14, 50, 110, 14);
  AABox = DropDown(filters, 128, 46, 200, {"None", "2\xD7", "4\xD7", "6\xD7", "From System"});

  demo = Group(page, " Choose a demo ", 8, 86, 340, 132);
  const char* items[4] = {"ZRV - Highway", "ZRV - Lost Coast", "ZRV - Anticitizen", "Custom demo:"};
  for (int i = 0; i < 4; ++i) {
    // Two columns, filled top to bottom.
    demoItems[i] = Radio(demo, items[i], 14 + (i / 2) * 162, 20 + (i % 2) * 22, 150, 18);
    OnCommand(demoItems[i], BN_CLICKED, "demoClick", [this, i] { TickDemo(i); });
  }
  DemoEdit = Edit(demo, 14, 68, 284, 20, ES_READONLY);
  DemoEditButton =
      OwnerButton(demo, "", 304, 66, 24, 24, {Look::Tool, nullptr, nullptr, IMG_FOLDER});
  Label(demo, "Type:", 14, 102, 34, 14);
  NormalHL2 = Radio(demo, "Normal HL2 Demo", 52, 100, 118, 18);
  HL2LC = Radio(demo, "HL2 Lost Coast Demo", 176, 100, 150, 18);
  for (HWND control : {DemoEdit, DemoEditButton, NormalHL2, HL2LC}) ::EnableWindow(control, FALSE);
  creamFields_.insert({DemoEdit, AFBox, AABox});
  OnCommand(DemoEditButton, BN_CLICKED, "DemoEditButtonClick", [this] { DemoEditButtonClick(); });
  OnCommand(NormalHL2, BN_CLICKED, "NormalHL2Click", [this] { RadioClicked(NormalHL2); });
  OnCommand(HL2LC, BN_CLICKED, "HL2LCClick", [this] { RadioClicked(HL2LC); });
}

void MainWindow::BuildPage3(HWND page) {
  Label(page, "Benchmark notes (50 chars at most!)", 12, 6, 300, 14);
  NoteEdit = Edit(page, 12, 22, 332, 20);
  ::SendMessageA(NoteEdit, EM_LIMITTEXT, 50, 0);
  Label(page, "Heapsize ", 12, 56, 130, 14);
  HeapsizeBox =
      DropDown(page, 150, 52, 180, {"64 MB - default", "128 MB", "256 MB", "512 MB", "1024 MB"});
  Label(page, "High Dynamic Range", 12, 82, 130, 14);
  HDRBox = DropDown(page, 150, 78, 180, {"None", "Bloom (if available)", "Full (if available)"});
  Label(page, "Refresh rate", 12, 108, 130, 14);
  RefreshBox = DropDown(page, 150, 104, 180, {"60 Hz", "70 Hz", "75 Hz", "85 Hz"});
  FastZBox = CheckBox(page, "Enable fast z-setting", 12, 134, 200, 18);
  SetTooltip(FastZBox, kFastZTip);
  HWND runs = Group(page, " Number of times to run the demo ", 8, 160, 200, 54);
  RunNumberBox = DropDown(runs, 14, 22, 80, {"1", "2", "3", "4", "5"});
  creamFields_.insert({NoteEdit, HeapsizeBox, HDRBox, RefreshBox});

  HBITMAP small = ui::LoadPicture(instance_, IDB_SPONSOR_SMALL);
  bitmaps_.emplace_back(small);
  Image6 = ui::CreatePicture(page, small, 216, 166, 128, 44, {nullptr, [this] { OpenSponsor(); }});
  SponsorPicture(Image6);
}

void MainWindow::BuildPage4(HWND page) {
  HBITMAP large = ui::LoadPicture(instance_, IDB_SPONSOR_LARGE);
  bitmaps_.emplace_back(large);
  Image2 = ui::CreatePicture(page, large, 8, 6, 340, 128, {nullptr, [this] { OpenSponsor(); }});
  SponsorPicture(Image2);
  SponsorMemo = ui::CreateControl("EDIT", kSponsorText, ES_MULTILINE | ES_READONLY | ES_CENTER, 8,
                                  144, 340, 110, page, nextId_++, font_.Get());
}

void MainWindow::BuildPage5(HWND page) {
  ToolButton3 = OwnerButton(page, "Update benchmark", 10, 8, 160, 26,
                            {Look::Tool, nullptr, nullptr, IMG_UPDATE});
  ::SetWindowLongPtrA(ToolButton3, GWLP_ID, IDC_UPDATEBUTTON);
  OnCommand(ToolButton3, BN_CLICKED, "ToolButton3Click", [this] {
    if (UpdateBenchmark) UpdateBenchmark();
  });
  HWND proxy = Group(page, " Proxy Settings ", 8, 44, 340, 126);
  Label(proxy, "Proxy Server", 14, 24, 90, 14);
  ProxyServerEdit = Edit(proxy, 110, 20, 216, 20);
  Label(proxy, "Proxy Port", 14, 50, 90, 14);
  ProxyPortEdit = Edit(proxy, 110, 46, 216, 20);
  Label(proxy, "Username", 14, 76, 90, 14);
  ProxyUsernameEdit = Edit(proxy, 110, 72, 216, 20);
  Label(proxy, "Password", 14, 102, 90, 14);
  ProxyPassEdit = Edit(proxy, 110, 98, 216, 20, ES_PASSWORD);
  ::SendMessageA(ProxyPassEdit, EM_SETPASSWORDCHAR, '*', 0);
  UseProxyBox = CheckBox(page, "Use Proxy  Server", 12, 178, 160, 18);
  for (HWND field : {ProxyServerEdit, ProxyPortEdit, ProxyUsernameEdit, ProxyPassEdit})
    ::EnableWindow(field, FALSE);
}

// The save-on-change handlers of the settings, each at its moment.
void MainWindow::WireSettingsHandlers() {
  auto settings = [this](void (BenchSettings::*handler)()) {
    return [this, handler] {
      if (settings_) (settings_.get()->*handler)();
    };
  };
  auto onLeave = [this](HWND control, const char* name, std::function<void()> run) {
    ui::TrackPointerLeave(control, GuardedAction(name, std::move(run)));
  };
  auto onChange = [this](HWND field, const char* name, std::function<void()> run) {
    changeHandlers_[field] = run;
    OnCommand(field, EN_CHANGE, name, std::move(run));
  };

  ui::TrackGroupPointerLeave(
      res, GuardedAction("resMouseLeave", settings(&BenchSettings::SlotsPointerLeft)));
  onLeave(cusresbox, "cusresboxMouseLeave", settings(&BenchSettings::CusResPointerLeft));
  OnCommand(AFBox, CBN_SELCHANGE, "AFBoxChange", settings(&BenchSettings::AFBoxChanged));
  OnCommand(AABox, CBN_SELCHANGE, "AABoxChange", settings(&BenchSettings::AABoxChanged));
  OnCommand(RunNumberBox, CBN_SELCHANGE, "RunNumberBoxChange",
            settings(&BenchSettings::RunNumberChanged));
  ui::TrackGroupPointerLeave(
      demo, GuardedAction("demoMouseLeave", settings(&BenchSettings::DemoPointerLeft)));
  onLeave(HL2LC, "HL2LCMouseLeave", settings(&BenchSettings::HL2LCPointerLeft));
  onLeave(NormalHL2, "NormalHL2MouseLeave", settings(&BenchSettings::NormalHL2PointerLeft));
  OnCommand(ResEdit, EN_KILLFOCUS, "ResEditExit", settings(&BenchSettings::ResEditExited));
  onChange(NoteEdit, "NoteEditChange", settings(&BenchSettings::NoteChanged));
  OnCommand(HDRBox, CBN_SELCHANGE, "HDRBoxChange", settings(&BenchSettings::HDRChanged));
  onLeave(HDRBox, "HDRBoxMouseLeave", settings(&BenchSettings::HDRPointerLeft));
  OnCommand(HeapsizeBox, CBN_SELCHANGE, "HeapsizeBoxChange",
            settings(&BenchSettings::HeapsizeChanged));
  onLeave(HeapsizeBox, "HeapsizeBoxMouseLeave", settings(&BenchSettings::HeapsizePointerLeft));
  OnCommand(RefreshBox, CBN_SELCHANGE, "RefreshBoxChange",
            settings(&BenchSettings::RefreshChanged));
  onLeave(RefreshBox, "RefreshBoxMouseLeave", settings(&BenchSettings::RefreshPointerLeft));
  onLeave(FastZBox, "FastZBoxMouseLeave", settings(&BenchSettings::FastZPointerLeft));
  onLeave(UseProxyBox, "UseProxyBoxMouseLeave", settings(&BenchSettings::UseProxyPointerLeft));
  OnCommand(UseProxyBox, BN_CLICKED, "UseProxyBoxClick", settings(&BenchSettings::UseProxyClicked));
  onChange(ProxyServerEdit, "ProxyServerEditChange", settings(&BenchSettings::ProxyServerChanged));
  onChange(ProxyPortEdit, "ProxyPortEditChange", settings(&BenchSettings::ProxyPortChanged));
  onChange(ProxyUsernameEdit, "ProxyUsernameEditChange",
           settings(&BenchSettings::ProxyUsernameChanged));
  onChange(ProxyPassEdit, "ProxyPassEditChange", settings(&BenchSettings::ProxyPassChanged));

  // Pointer-leaves of a drop-down list: its list box is a window of its own.
  for (HWND box : {AFBox, AABox, HDRBox, HeapsizeBox, RefreshBox}) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (::GetComboBoxInfo(box, &info) && info.hwndList) creamFields_.insert(info.hwndList);
  }
}

std::function<void()> MainWindow::GuardedAction(const char* name, std::function<void()> action) {
  return [this, name, action = std::move(action)] { Guarded(hwnd_, name, action); };
}

void MainWindow::OnCommand(HWND control, UINT code, const char* name, std::function<void()> run) {
  commands_[control][code] = Handler{name, std::move(run)};
}

}  // namespace quorvel
