#include "ui/startup_window_win.h"

#include "ui/main_window_win.h"
#include "ui/widgets_win.h"

namespace quorvel {

namespace {
constexpr const char* kStartupWindowClass = "QuorvelStartupWindow";
constexpr int kWidth = 320;
constexpr int kHeight = 72;
constexpr COLORREF kBackground = RGB(6, 6, 8);
constexpr COLORREF kFrame = RGB(60, 60, 66);
}  // namespace

void StartupWindow::Show(HINSTANCE instance, const std::string& status) {
  if (hwnd_) return;
  status_ = status;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursor(nullptr, IDC_APPSTARTING);
  wc.lpszClassName = kStartupWindowClass;
  ::RegisterClassExA(&wc);
  titleFont_.Reset(ui::MakeFont("Arial", 10, true));
  font_.Reset(ui::MakeFont("MS Sans Serif", 8));

  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - kWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kHeight) / 2;
  // Disabled: it takes no input, and only the main window counts as the program's window.
  hwnd_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kStartupWindowClass, "", WS_POPUP | WS_DISABLED, x, y,
                            kWidth, kHeight, nullptr, nullptr, instance, this);
  if (!hwnd_) return;
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd_);
}

void StartupWindow::Close() {
  if (hwnd_) ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

LRESULT CALLBACK StartupWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<StartupWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<StartupWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_PAINT && self) {
    self->hwnd_ = hwnd;
    self->Paint();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_NCDESTROY) ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void StartupWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT r;
  ::GetClientRect(hwnd_, &r);
  GdiObject<HBRUSH> background(::CreateSolidBrush(kBackground));
  GdiObject<HBRUSH> frame(::CreateSolidBrush(kFrame));
  ::FillRect(dc, &r, background.Get());
  ::FrameRect(dc, &r, frame.Get());
  ::SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = ::SelectObject(dc, titleFont_.Get());
  ::SetTextColor(dc, ui::kOrange);
  RECT title = {12, 10, r.right - 12, 34};
  ::DrawTextA(dc, kApplicationTitle, -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, font_.Get());
  ::SetTextColor(dc, ui::kSilver);
  RECT status = {12, 40, r.right - 12, r.bottom - 8};
  ::DrawTextA(dc, status_.c_str(), -1, &status, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::EndPaint(hwnd_, &ps);
}

}  // namespace quorvel
