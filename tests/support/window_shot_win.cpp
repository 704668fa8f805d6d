#include "support/window_shot_win.h"

#include <cstdlib>

#include "platform/files_win.h"
#include "support/program_env_win.h"

namespace quorvel::testing {

WindowShot SaveWindowShot(HWND window, const std::string& name) {
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(20);
  }
  RECT r;
  ::GetWindowRect(window, &r);
  WindowShot shot;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  if (shot.width <= 0 || shot.height <= 0) return {};
  int stride = (shot.width * 3 + 3) & ~3;
  std::vector<BYTE> bgr(static_cast<size_t>(stride) * shot.height);
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, shot.width, shot.height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  ::GetDIBits(memory, bitmap, 0, shot.height, bgr.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const BYTE* p = &bgr[static_cast<size_t>(shot.height - 1 - y) * stride + x * 3];
      shot.pixels[static_cast<size_t>(y) * shot.width + x] = RGB(p[2], p[1], p[0]);
    }

  const char* build = std::getenv("QUORVEL_BUILD");
  if (build && *build) {
    std::string folder = std::string("Z:") + build + "\\screenshots\\";
    for (char& c : folder)
      if (c == '/') c = '\\';
    files::ForceDirectories(folder);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER head = info.bmiHeader;
    head.biSizeImage = static_cast<DWORD>(bgr.size());
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof head;
    file.bfSize = file.bfOffBits + head.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&head), sizeof head);
    bytes.append(reinterpret_cast<const char*>(bgr.data()), bgr.size());
    files::WriteAll(folder + name + ".bmp", bytes);
  }
  return shot;
}

}  // namespace quorvel::testing
