#include "ui/main_window_win.h"

#include <shellapi.h>

#include <algorithm>

#include "bench/demo_choice.h"
#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "settings/registry_settings_store_win.h"
#include "settings/resolution_catalogue.h"
#include "ui/compare_action_win.h"
#include "ui/links.h"
#include "ui/picker_window_win.h"
#include "ui/resource_ids.h"

namespace quorvel {

namespace {

using ui::kCream;
using ui::kOrange;
using ui::kSilver;
using ui::kWhite;

constexpr COLORREF kPageColour = RGB(6, 6, 8);
constexpr const char* kFontFace = "MS Sans Serif";
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

std::string WindowText(HWND window) {
  if (!window) return "";
  int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = ::GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

bool IsClass(HWND window, const char* name) {
  char cls[64] = {};
  ::GetClassNameA(window, cls, sizeof cls);
  return ::lstrcmpiA(cls, name) == 0;
}

void FillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom, bool vertical) {
  int span = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  for (int i = 0; i < span; ++i) {
    double t = span > 1 ? static_cast<double>(i) / (span - 1) : 0.0;
    auto channel = [t](int a, int b) { return static_cast<BYTE>(a + (b - a) * t); };
    COLORREF c =
        RGB(channel(GetRValue(top), GetRValue(bottom)), channel(GetGValue(top), GetGValue(bottom)),
            channel(GetBValue(top), GetBValue(bottom)));
    GdiObject<HBRUSH> brush(::CreateSolidBrush(c));
    RECT line = vertical ? RECT{rect.left, rect.top + i, rect.right, rect.top + i + 1}
                         : RECT{rect.left + i, rect.top, rect.left + i + 1, rect.bottom};
    ::FillRect(dc, &line, brush.Get());
  }
}

void Darken(HDC dc, const RECT& rect) {
  HDC source = ::CreateCompatibleDC(dc);
  GdiObject<HBITMAP> black(::CreateCompatibleBitmap(dc, 1, 1));
  HGDIOBJ old = ::SelectObject(source, black.Get());
  ::SetPixel(source, 0, 0, RGB(0, 0, 0));
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 140, 0};
  ::AlphaBlend(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0,
               0, 1, 1, blend);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::unique_ptr<SettingsStore> store)
    : instance_(instance), store_(std::move(store)) {
  if (!store_) store_ = std::make_unique<RegistrySettingsStore>();
  EndProgram = [] { ::PostQuitMessage(0); };
}

MainWindow::~MainWindow() {
  if (hwnd_) ::DestroyWindow(hwnd_);
  if (images_) ::ImageList_Destroy(images_);
}

void MainWindow::Create() {
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&common);
  ui::RegisterWidgetClasses(instance_);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  wc.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kMainWindowClass;
  ::RegisterClassExA(&wc);

  font_.Reset(ui::MakeFont(kFontFace, 8));
  boldFont_.Reset(ui::MakeFont(kFontFace, 8, true));
  versionFont_.Reset(ui::MakeFont("Arial", 8, true));
  creamBrush_.Reset(::CreateSolidBrush(kCream));
  pageBrush_.Reset(::CreateSolidBrush(kPageColour));
  skin_ = std::make_unique<ui::Skin>(ui::LoadPicture(instance_, IDB_BACKGROUND));
  images_ = ::ImageList_LoadImageA(instance_, MAKEINTRESOURCEA(IDB_TOOL_IMAGES), 16, 0,
                                   ui::kTransparentKey, IMAGE_BITMAP, LR_CREATEDIBSECTION);

  // A frameless window; the system menu gives the task bar entry minimise and close.
  HWND created =
      ::CreateWindowExA(WS_EX_APPWINDOW, kMainWindowClass, kApplicationTitle,
                        WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, kMainWidth, kMainHeight, nullptr, nullptr, instance_, this);
  if (!created) throw AppError("The main window could not be created.");
  if (HMENU menu = ::GetSystemMenu(hwnd_, FALSE)) {
    ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  }
  ui::AttachSkin(hwnd_, skin_.get());
  tips_.Create(hwnd_);
  BuildControls();
  WireSettingsHandlers();
  SetActivePage(Page::PathInformation);
}

void MainWindow::Show() {
  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + (work.right - work.left - kMainWidth) / 2;
  int y = work.top + (work.bottom - work.top - kMainHeight) / 2;
  ::SetWindowPos(hwnd_, nullptr, x, y, kMainWidth, kMainHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
  ::SetForegroundWindow(hwnd_);
}

void MainWindow::UseSettings(const SettingsEnvironment& environment) {
  settings_ = std::make_unique<BenchSettings>(*store_, *this, environment);
}

// ---------------------------------------------------------------------------------------
// Building the controls

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
    if (picker_) picker_->ShowModal();
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

// ---------------------------------------------------------------------------------------
// Window procedure

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ui::ObjectWindowProc(hwnd, message, wParam, lParam, "TForm1", &MainWindow::hwnd_,
                              &MainWindow::HandleMessage);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      HWND control = reinterpret_cast<HWND>(lParam);
      UINT code = HIWORD(wParam);
      if (!control) break;
      // Text set by the program runs its change handler itself (SetText).
      if (code == EN_CHANGE && settingText_ > 0) return 0;
      auto found = commands_.find(control);
      if (found == commands_.end()) return 0;
      auto handler = found->second.find(code);
      if (handler == found->second.end()) return 0;
      Handler copy = handler->second;  // the handler may rebuild the table
      Guarded(hwnd_, copy.name, copy.run);
      return 0;
    }
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return ControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && handCursor_.count(reinterpret_cast<HWND>(wParam))) {
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && Activated) Guarded(hwnd_, "FormActivate", Activated);
      break;
    case WM_CLOSE:
      if (startingUp_) {
        closeAfterStartup_ = true;
        return 0;
      }
      // The query always lets the window close; each step runs even if one before failed.
      CloseQuery();
      Guarded(hwnd_, "FormClose", [this] { CloseStep(); });
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      // Another program may still cancel the end of the session: nothing is put back yet.
      return TRUE;
    case WM_ENDSESSION:
      // The session ends and the system ends the program after this: the steps of the
      // system's close. The game's values come back at the next start. During start-up the
      // settings are not loaded yet, so nothing is saved over the user's.
      if (wParam && !startingUp_) {
        CloseQuery();
        Guarded(hwnd_, "FormClose", [this] { CloseStep(); });
      }
      return 0;
    case WM_DESTROY:
      if (EndProgram) EndProgram();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT MainWindow::ControlColour(UINT message, HDC dc, HWND control) {
  if (coloursApplied_ && creamFields_.count(control)) {
    ::SetBkColor(dc, kCream);
    ::SetTextColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(creamBrush_.Get());
  }
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX)
    return ::DefWindowProcA(hwnd_, message, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
  if (IsClass(control, "Edit")) {
    if (control == AboutMemo || control == SponsorMemo) {
      ::SetBkColor(dc, kPageColour);
      ::SetTextColor(dc, kSilver);
      return reinterpret_cast<LRESULT>(pageBrush_.Get());
    }
    return ::DefWindowProcA(hwnd_, message, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
  }
  ::SetBkMode(dc, TRANSPARENT);
  COLORREF text = whiteLabels_.count(control) ? kWhite : kSilver;
  ::SetTextColor(dc, ::IsWindowEnabled(control) ? text : RGB(96, 96, 100));
  return reinterpret_cast<LRESULT>(skin_->BrushFor(control, dc));
}

void MainWindow::DrawSeparator(const DRAWITEMSTRUCT& item, bool vertical) {
  RECT r = item.rcItem;
  COLORREF edge = RGB(20, 20, 24);
  COLORREF highlight = coloursApplied_ ? kOrange : RGB(110, 110, 116);
  RECT first = r, second = r;
  if (vertical) {
    first.bottom = r.top + (r.bottom - r.top) / 2;
    second.top = first.bottom;
  } else {
    first.right = r.left + (r.right - r.left) / 2;
    second.left = first.right;
  }
  FillGradient(item.hDC, first, edge, highlight, vertical);
  FillGradient(item.hDC, second, highlight, edge, vertical);
}

void MainWindow::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType == ODT_STATIC) {
    DrawSeparator(item, item.hwndItem == Separator2);
    return;
  }
  auto found = looks_.find(item.hwndItem);
  if (found == looks_.end()) return;
  const ButtonLook& look = found->second;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  bool disabled = (item.itemState & ODS_DISABLED) != 0;
  std::string caption = WindowText(item.hwndItem);
  HGDIOBJ oldFont = ::SelectObject(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  switch (look.look) {
    case Look::Picture: {
      skin_->PaintUnder(item.hwndItem, dc, r);
      HBITMAP picture = pressed && look.down ? look.down : look.up;
      if (picture) ui::DrawTransparent(dc, picture, 0, 0);
      if (disabled) Darken(dc, r);
      break;
    }
    case Look::Tool: {
      skin_->PaintUnder(item.hwndItem, dc, r);
      RECT face = r;
      FillGradient(dc, face, pressed ? RGB(120, 62, 16) : RGB(58, 58, 64),
                   pressed ? RGB(70, 36, 10) : RGB(30, 30, 34), true);
      GdiObject<HBRUSH> border(::CreateSolidBrush(pressed ? kOrange : RGB(96, 96, 104)));
      ::FrameRect(dc, &face, border.Get());
      int x = r.left + 4;
      int offset = pressed ? 1 : 0;
      bool hasImage = look.image >= 0 && images_;
      if (hasImage) {
        int imageX = caption.empty() ? r.left + (r.right - r.left - 16) / 2 : x;
        int imageY = r.top + (r.bottom - r.top - 16) / 2;
        ::ImageList_DrawEx(images_, look.image, dc, imageX + offset, imageY + offset, 16, 16,
                           CLR_NONE, CLR_NONE, ILD_TRANSPARENT | (disabled ? ILD_BLEND50 : 0));
        x += 20;
      }
      if (!caption.empty()) {
        RECT text = {hasImage ? x + offset : r.left + offset, r.top + offset, r.right + offset,
                     r.bottom + offset};
        ::SetTextColor(dc, disabled ? RGB(100, 100, 100) : kSilver);
        ::DrawTextA(dc, caption.c_str(), -1, &text,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (hasImage ? DT_LEFT : DT_CENTER));
      }
      if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
      }
      break;
    }
    case Look::NavCaption: {
      FillGradient(dc, r, RGB(52, 52, 58), RGB(24, 24, 28), true);
      GdiObject<HBRUSH> border(::CreateSolidBrush(RGB(70, 70, 76)));
      ::FrameRect(dc, &r, border.Get());
      ::SelectObject(dc, boldFont_.Get());
      ::SetTextColor(dc, coloursApplied_ ? kOrange : kSilver);
      RECT text = {r.left + 8, r.top, r.right - 18, r.bottom};
      ::DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      RECT sign = {r.right - 18, r.top, r.right - 6, r.bottom};
      ::DrawTextA(dc, groupOpen_[look.image] ? "-" : "+", -1, &sign,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
      break;
    }
    case Look::NavItem: {
      skin_->PaintUnder(item.hwndItem, dc, r);
      auto nav = static_cast<NavItem>(look.image);
      bool current = false;
      if (::IsWindowVisible(PageControl)) {
        switch (nav) {
          case NavItem::PathInformation:
            current = activePage_ == Page::PathInformation;
            break;
          case NavItem::ResolutionDetail:
            current = activePage_ == Page::ResolutionDetail;
            break;
          case NavItem::FiltersDemos:
            current = activePage_ == Page::FiltersDemos;
            break;
          case NavItem::Miscellaneous:
            current = activePage_ == Page::Miscellaneous;
            break;
          case NavItem::OurSponsor:
            current = activePage_ == Page::OurSponsor;
            break;
          case NavItem::UpdateBench:
            current = activePage_ == Page::UpdateBench;
            break;
          default:
            break;
        }
      } else {
        current = nav == NavItem::About;
      }
      if (current) {
        GdiObject<HBRUSH> mark(::CreateSolidBrush(kOrange));
        RECT bar = {r.left, r.top + 4, r.left + 3, r.bottom - 4};
        ::FillRect(dc, &bar, mark.Get());
      }
      ::SetTextColor(dc, pressed ? kOrange : current ? kCream : kSilver);
      RECT text = {r.left + 8 + (pressed ? 1 : 0), r.top + (pressed ? 1 : 0), r.right, r.bottom};
      ::DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      break;
    }
  }
  ::SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------------------------------
// View and navigation

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
      if (FiltersPageShowsHint(TickedDemo())) SetStatus(kCustomDemoHint);
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

// ---------------------------------------------------------------------------------------
// Handlers

void MainWindow::demoChanging() {
  bool filtersShown = activePage_ == Page::FiltersDemos && ::IsWindowVisible(PageControl);
  auto choice = ChooseDemo(TickedDemo(), filtersShown, Text(Control::DemoEdit).empty());
  if (!choice) return;
  for (Control c : {Control::DemoEdit, Control::DemoEditButton, Control::HL2LC, Control::NormalHL2})
    SetEnabled(c, choice->customControlsEnabled);
  store_->WriteString("Demo", choice->demoValue);
  if (choice->showCustomHint) SetStatus(kCustomDemoHint);
}

void MainWindow::DemoEditButtonClick() {
  auto file = CurrentSeams().ChooseFile(hwnd_, "Open", DemoFileFilter());
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

// ---------------------------------------------------------------------------------------
// SettingsControls

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
