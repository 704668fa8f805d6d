#pragma once
// A picture of a window as it is on the screen, saved as a 24-bit BMP under
// <build>/screenshots (QUORVEL_BUILD), for people to look at; the pixels are also returned.
#include <string>
#include <vector>

#include "platform/win.h"

namespace quorvel::testing {

struct WindowShot {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // top-down rows
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Redraws `window`, copies it from the screen and saves it as `name`.bmp; the shot is empty
// when the window has no size.
WindowShot SaveWindowShot(HWND window, const std::string& name);

}  // namespace quorvel::testing
