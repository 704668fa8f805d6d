#pragma once
// TForm1, the program's main window: the skinned frameless window with the navigation bar,
// the six settings pages, the About view, the run button, the status line and the progress
// panel. It owns the settings (BenchSettings over the registry) and the game paths that
// start-up derives. Everything runs on the user-interface thread; every handler runs inside
// the error reporter's boundary.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// windows.h before the common controls.
#include "platform/win.h"

#include <commctrl.h>

#include "platform/handles_win.h"
#include "settings/bench_settings.h"
#include "settings/game_paths.h"
#include "settings/settings_controls.h"
#include "settings/settings_store.h"
#include "ui/resource_ids.h"
#include "ui/widgets_win.h"

namespace quorvel {

inline constexpr const char* kApplicationTitle = "Zarvent Half-Life 2 benchmark";
inline constexpr const char* kMainWindowClass = QUORVEL_MAIN_WINDOW_CLASS;
inline constexpr int kMainWidth = 514;
inline constexpr int kMainHeight = 351;

// The pages of PageControl, by index.
enum class Page {
  PathInformation = 0,
  ResolutionDetail,
  FiltersDemos,
  Miscellaneous,
  OurSponsor,
  UpdateBench
};
inline constexpr int kPageCount = 6;

// The two groups of the navigation bar and their items, in the order shown.
enum class NavGroup { Benchmark = 0, Help };
enum class NavItem {
  PathInformation = 0,
  ResolutionDetail,
  FiltersDemos,
  Miscellaneous,
  BenchmarkHelp,
  UpdateBench,
  OurSponsor,
  Homepage,
  TweakGuide,
  About,
};
inline constexpr int kNavItemCount = 10;

// Texts of the window that more than one place uses.
inline constexpr const char* kResultsFolderMissing = "The results directory not exist.";
inline constexpr const char* kHelpMissing =
    "Corrupt Help file, please reinstall the Zarvent Half-Life 2 Benchmark.";
inline constexpr const char* kHelpFile = "Help.pdf";
inline constexpr const char* kRunBenchmarkTip = "Run benchmark";

class MainWindow : public SettingsControls {
 public:
  // `store` is the settings key the window's handlers write; null means the registry.
  // `store` is the machine's settings key, `userStore` the account's own (both the registry's
  // when null).
  explicit MainWindow(HINSTANCE instance, std::unique_ptr<SettingsStore> store = nullptr,
                      std::unique_ptr<SettingsStore> userStore = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, hidden, with all its controls in the state the window defines
  // (before any setting is loaded). Throws AppError when a window or picture cannot be made.
  void Create();
  // Shows the window, centred on the desktop the first time.
  void Show();
  HWND Handle() const { return hwnd_; }

  // --- what start-up fills and everybody else reads ---
  // The settings: created by start-up once the program folder is known; null before.
  void UseSettings(const SettingsEnvironment& environment);
  BenchSettings* Settings() { return settings_.get(); }
  SettingsStore& Store() { return *store_; }
  SettingsStore& UserStore() { return *userStore_; }
  GamePaths& Paths() { return paths_; }
  const GamePaths& Paths() const { return paths_; }
  // The version text ("2.3.0.0"), handed to the updater; set by start-up.
  std::string VersionText;
  // The physical memory figure in megabytes, computed once by start-up.
  int MemoryFigure = 0;

  // --- hooks for the parts that plug into the window (empty: nothing happens) ---
  std::function<void()> RunBenchmark;           // BenchButton click: starts a series
  std::function<void()> UpdateBenchmark;        // ToolButton3 click: the update check
  std::function<void()> ShowPicker;             // CusPossibilities click: the picker
  std::function<void()> Activated;              // the window became active (news check)
  std::function<void()> RestoreRegistryAtExit;  // exit button, after SaveAtExit
  // Exit button, after SaveAtExit: true when the restore must wait; the hook then calls
  // `resume` once it may go on (the restore and the end follow).
  std::function<bool(std::function<void()> resume)> DelayExit;
  std::function<void()> RestoreScriptAtClose;  // system close, first step of the query
  // Ends the program; by default posts the quit message to the message loop.
  std::function<void()> EndProgram;

  // --- view ---
  // Start-up step 3 and the initial state: page `page` inside the page control, nothing else.
  void SetActivePage(Page page);
  // The navigation's "page n": the page shown, verselabel hidden, hl2logo shown, and the
  // status line cleared except for "Filters & demos".
  void ShowPage(Page page);
  void ShowAboutView();
  Page ActivePage() const { return activePage_; }
  bool AboutViewShown() const;
  // A navigation item chosen (as a click on it does).
  void Navigate(NavItem item);
  void ToggleGroup(NavGroup group);
  bool GroupOpen(NavGroup group) const { return groupOpen_[static_cast<int>(group)]; }
  HWND NavButton(NavItem item) const { return navItems_[static_cast<int>(item)]; }
  HWND GroupCaption(NavGroup group) const { return groupCaptions_[static_cast<int>(group)]; }

  // Start-up step 1: the orange captions and the cream fields.
  void ApplyColours();
  bool ColoursApplied() const { return coloursApplied_; }

  // --- status line, tooltips, fonts ---
  void SetStatus(const std::string& text);
  std::string Status() const;
  void SetTooltip(HWND control, const std::string& text);
  std::string Tooltip(HWND control) const;
  // Start-up's early end: the run button disabled, `reason` as its tooltip.
  void DisableBenchButton(const std::string& reason);
  bool BenchButtonDisabledForGood() const { return benchDisabled_; }
  // While start-up runs (it handles messages during the game search) the settings are not
  // all loaded yet: a close asked for meanwhile waits until start-up has ended, and the
  // end of the session saves nothing.
  void SetStartingUp(bool startingUp);
  // Gives a label a font of the window's face in another size (the progress panel's title).
  void SetFontSize(HWND label, int points);
  // The small images of the tool buttons (image 6 is the close image).
  HIMAGELIST ImageList() const { return images_; }
  // The hidden template of the "Maximum quality" detail level.
  std::string MaxSetText() const;

  // --- handlers of the window's own controls ---
  void demoChanging();
  void DemoEditButtonClick();
  void OpenResFolderClick();
  void ToolButton5Click();
  void OpenHelp();
  void OpenSponsor();
  void ExitButtonClick();
  void FinishExit();
  void CloseQuery();
  void CloseStep();

  // --- SettingsControls over the real controls ---
  void SetSlot(int slot, bool enabled, bool ticked) override;
  bool SlotTicked(int slot) const override;
  bool SlotEnabled(int slot) const override;
  bool Checked(Control control) const override;
  void SetChecked(Control control, bool checked) override;
  int Selected(Control list) const override;
  void Select(Control list, int index) override;
  std::string Text(Control field) const override;
  void SetText(Control field, const std::string& text) override;
  bool Enabled(Control control) const override;
  void SetEnabled(Control control, bool enabled) override;
  int TickedDemo() const override;
  void TickDemo(int item) override;
  HWND ControlHandle(Control control) const;

  // --- the controls, under their names ---
  HWND Image4 = nullptr;        // background picture; left-button drag moves the window
  HWND SpeedButton2 = nullptr;  // minimise
  HWND SpeedButton1 = nullptr;  // exit
  HWND verselabel = nullptr;
  HWND hl2logo = nullptr;
  HWND GroupBar1 = nullptr;
  HWND Panelsh = nullptr;
  HWND BenchButton = nullptr;
  HWND Separator2 = nullptr;
  HWND StatusInfo = nullptr;
  HWND PageControl = nullptr;
  std::array<HWND, kPageCount> Pages = {};
  // progress panel
  HWND Panel2 = nullptr;
  HWND Label20 = nullptr;
  HWND Label21 = nullptr;
  HWND RunsLabel = nullptr;
  HWND Image5 = nullptr;
  // About view
  HWND Image1 = nullptr;
  HWND Separator1 = nullptr;
  HWND AboutMemo = nullptr;
  HWND Image3 = nullptr;
  // page 0 "Path & information"
  HWND HL2PathEdit = nullptr;
  HWND Label17 = nullptr;
  HWND ResEdit = nullptr;
  HWND OpenResFolder = nullptr;
  HWND ToolButton5 = nullptr;
  HWND CompareButton = nullptr;  // "Compare results..." below the results folder
  // page 1 "Resolution & detail"
  HWND res = nullptr;
  std::array<HWND, 9> resItems = {};
  HWND cusresbox = nullptr;
  HWND CusWidth = nullptr;
  HWND CusHeight = nullptr;
  HWND CusPossibilities = nullptr;
  HWND DetailBox = nullptr;
  HWND MaxSet = nullptr;
  HWND Image8 = nullptr;
  // page 2 "Filters & demos"
  HWND AFBox = nullptr;
  HWND AABox = nullptr;
  HWND demo = nullptr;
  std::array<HWND, 4> demoItems = {};
  HWND DemoEdit = nullptr;
  HWND DemoEditButton = nullptr;
  HWND NormalHL2 = nullptr;
  HWND HL2LC = nullptr;
  // page 3 "Miscellaneous"
  HWND NoteEdit = nullptr;
  HWND HeapsizeBox = nullptr;
  HWND HDRBox = nullptr;
  HWND RefreshBox = nullptr;
  HWND FastZBox = nullptr;
  HWND RunNumberBox = nullptr;
  HWND Image6 = nullptr;
  // page 4 "Our Sponsor"
  HWND Image2 = nullptr;
  HWND SponsorMemo = nullptr;
  // page 5 "Update bench"
  HWND ToolButton3 = nullptr;
  HWND ProxyServerEdit = nullptr;
  HWND ProxyPortEdit = nullptr;
  HWND ProxyUsernameEdit = nullptr;
  HWND ProxyPassEdit = nullptr;
  HWND UseProxyBox = nullptr;

 private:
  struct Handler {
    const char* name;
    std::function<void()> run;
  };
  enum class Look { Picture, Tool, NavCaption, NavItem };
  struct ButtonLook {
    Look look;
    HBITMAP up = nullptr;
    HBITMAP down = nullptr;
    int image = -1;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ControlColour(UINT message, HDC dc, HWND control);
  void DrawItem(const DRAWITEMSTRUCT& item);
  // One owner-drawn button of each look, into `dc` over the rectangle `r`.
  void DrawPictureButton(HDC dc, const RECT& r, HWND button, const ButtonLook& look, bool pressed,
                         bool disabled);
  void DrawToolButton(HDC dc, const RECT& r, const DRAWITEMSTRUCT& item, const ButtonLook& look,
                      const std::string& caption, bool pressed, bool disabled);
  void DrawNavCaption(HDC dc, RECT r, const ButtonLook& look, const std::string& caption);
  void DrawNavItem(HDC dc, const RECT& r, HWND button, const ButtonLook& look,
                   const std::string& caption, bool pressed);
  // Whether a navigation item names the view on screen (its page, or the About view).
  bool NavItemCurrent(NavItem nav) const;
  void DrawSeparator(const DRAWITEMSTRUCT& item, bool vertical);

  void BuildControls();
  void BuildTitleArea();
  void BuildNavigation();
  void BuildPages();
  void BuildPage0(HWND page);
  void BuildPage1(HWND page);
  void BuildPage2(HWND page);
  void BuildPage3(HWND page);
  void BuildPage4(HWND page);
  void BuildPage5(HWND page);
  void BuildAboutView();
  void BuildProgressPanel();
  void WireSettingsHandlers();
  void LayoutGroupBar();

  HWND Label(HWND parent, const char* text, int x, int y, int w, int h, DWORD style = 0);
  HWND Edit(HWND parent, int x, int y, int w, int h, DWORD style = 0);
  HWND DropDown(HWND parent, int x, int y, int w, const std::vector<const char*>& items);
  HWND CheckBox(HWND parent, const char* text, int x, int y, int w, int h);
  HWND Radio(HWND parent, const char* text, int x, int y, int w, int h);
  HWND OwnerButton(HWND parent, const char* text, int x, int y, int w, int h, ButtonLook look);
  HWND Group(HWND parent, const char* caption, int x, int y, int w, int h);
  std::function<void()> GuardedAction(const char* name, std::function<void()> action);
  void OnCommand(HWND control, UINT code, const char* name, std::function<void()> run);
  void RunChangeHandler(HWND control);
  void RadioClicked(HWND clicked);
  void SponsorPicture(HWND picture);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<SettingsStore> userStore_;
  std::unique_ptr<BenchSettings> settings_;
  GamePaths paths_;

  std::unique_ptr<ui::Skin> skin_;
  GdiObject<HFONT> font_;
  GdiObject<HFONT> boldFont_;
  GdiObject<HFONT> versionFont_;
  std::vector<GdiObject<HFONT>> sizedFonts_;
  GdiObject<HBRUSH> creamBrush_;
  GdiObject<HBRUSH> pageBrush_;
  std::vector<GdiObject<HBITMAP>> bitmaps_;
  HIMAGELIST images_ = nullptr;
  ui::Tooltips tips_;

  Page activePage_ = Page::PathInformation;
  std::array<HWND, 2> groupCaptions_ = {};
  std::array<HWND, kNavItemCount> navItems_ = {};
  std::array<bool, 2> groupOpen_ = {false, false};
  bool coloursApplied_ = false;
  bool benchDisabled_ = false;
  bool startingUp_ = false;
  bool closeAfterStartup_ = false;
  int demoIndex_ = -1;  // the group's recorded item
  int settingText_ = 0;

  std::unordered_map<HWND, std::unordered_map<UINT, Handler>> commands_;
  std::unordered_map<HWND, std::function<void()>> changeHandlers_;
  std::unordered_map<HWND, ButtonLook> looks_;
  std::unordered_set<HWND> creamFields_;
  std::unordered_set<HWND> whiteLabels_;
  std::unordered_set<HWND> handCursor_;
  int nextId_ = 1000;
};

}  // namespace quorvel
