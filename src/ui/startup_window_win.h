#pragma once
// The small window that shows, the moment the program starts, that it is starting: the
// program's title in orange on the dark background of the main window, and a line of
// status. It takes no input and goes when the main window shows. User-interface thread only.
#include <string>

#include "platform/handles_win.h"
#include "platform/win.h"

namespace quorvel {

class StartupWindow {
 public:
  StartupWindow() = default;
  ~StartupWindow() { Close(); }
  StartupWindow(const StartupWindow&) = delete;
  StartupWindow& operator=(const StartupWindow&) = delete;

  // Shows the window centred on the desktop with `status`, painted before it returns.
  // Does nothing when the window cannot be made.
  void Show(HINSTANCE instance, const std::string& status);
  void Close();
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  HWND hwnd_ = nullptr;
  std::string status_;
  GdiObject<HFONT> titleFont_;
  GdiObject<HFONT> font_;
};

}  // namespace quorvel
