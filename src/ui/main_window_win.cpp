// The main window itself: its creation, its window class and its message dispatch.
#include "ui/main_window_win.h"

#include <shellapi.h>

#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "settings/registry_settings_store_win.h"
#include "ui/resource_ids.h"

namespace quorvel {

namespace {
using ui::kCream;
using ui::kFontFace;
using ui::kPageColour;
}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::unique_ptr<SettingsStore> store,
                       std::unique_ptr<SettingsStore> userStore)
    : instance_(instance), store_(std::move(store)), userStore_(std::move(userStore)) {
  if (!store_) store_ = std::make_unique<RegistrySettingsStore>();
  if (!userStore_) userStore_ = std::make_unique<UserSettingsStore>();
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

}  // namespace quorvel
