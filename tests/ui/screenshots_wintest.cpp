// Pictures of every page and of the About view, taken from the screen into BMP files under
// the build tree (build/win/screenshots), and the colours the window promises in them.
#include <cstdlib>

#include "ui/window_fixture_win.h"

namespace quorvel::testing {
namespace {

struct Shot {
  int width = 0;
  int height = 0;
  std::vector<BYTE> bgr;  // bottom-up rows as in the BMP file, 4-byte aligned
  int stride = 0;
  COLORREF At(int x, int y) const {
    const BYTE* p = &bgr[static_cast<size_t>(height - 1 - y) * stride + x * 3];
    return RGB(p[2], p[1], p[0]);
  }
};

Shot Capture(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  RECT r;
  ::GetWindowRect(window, &r);
  Shot shot;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  shot.stride = (shot.width * 3 + 3) & ~3;
  shot.bgr.resize(static_cast<size_t>(shot.stride) * shot.height);
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
  ::GetDIBits(memory, bitmap, 0, shot.height, shot.bgr.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return shot;
}

std::string ShotFolder() {
  const char* build = std::getenv("QUORVEL_BUILD");
  std::string folder =
      build ? std::string("Z:") + build + "\\screenshots\\" : BuildFolder() + "screenshots\\";
  files::ForceDirectories(folder);
  return folder;
}

void Save(const Shot& shot, const std::string& name) {
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER head = {};
  head.biSize = sizeof head;
  head.biWidth = shot.width;
  head.biHeight = shot.height;
  head.biPlanes = 1;
  head.biBitCount = 24;
  head.biSizeImage = static_cast<DWORD>(shot.bgr.size());
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof head;
  file.bfSize = file.bfOffBits + head.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&head), sizeof head);
  bytes.append(reinterpret_cast<const char*>(shot.bgr.data()), shot.bgr.size());
  files::WriteAll(ShotFolder() + name + ".bmp", bytes);
}

bool Near(COLORREF a, COLORREF b, int tolerance = 12) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Where `control` lies in the shot of its top-level window.
POINT InShot(HWND control, int dx, int dy) {
  RECT c, w;
  ::GetWindowRect(control, &c);
  ::GetWindowRect(::GetAncestor(control, GA_ROOT), &w);
  return {c.left - w.left + dx, c.top - w.top + dy};
}

int CountNear(const Shot& shot, RECT area, COLORREF colour) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Near(shot.At(x, y), colour, 30)) ++count;
  return count;
}

class ScreenshotTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Install({{"Demo", "4"},
             {"640", "1"},
             {"1024", "1"},
             {"Note", "Screenshot run"},
             {"AFLevel", "5"},
             {"AALevel", "2"},
             {"HDR", "1"},
             {"Heapsize", "256000"},
             {"Refresh", "60"},
             {"RunNumber", "3"},
             {"UseProxy", "1"},
             {"ProxyServer", "proxy.local"},
             {"ProxyPort", "3128"}});
    Open();
    ASSERT_TRUE(completed);
    ::SetWindowPos(window->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
};

TEST_F(ScreenshotTest, EveryViewIsDrawnWithTheWindowsColours) {
  Shot about = Capture(window->Handle());
  Save(about, "about");
  // The picture fills the window: its orange line under the title runs across it.
  EXPECT_TRUE(Near(about.At(250, 28), RGB(243, 126, 31)));
  EXPECT_TRUE(Near(about.At(10, 28), RGB(243, 126, 31)));
  // The group captions are orange.
  Shot bar = Capture(window->Handle());
  POINT caption = InShot(window->GroupCaption(NavGroup::Benchmark), 0, 0);
  EXPECT_GT(
      CountNear(bar, {caption.x, caption.y, caption.x + 90, caption.y + 20}, RGB(243, 126, 31)),
      20);

  struct View {
    NavItem item;
    const char* name;
    HWND creamField;
  };
  const View views[] = {
      {NavItem::PathInformation, "page0_path_information", window->HL2PathEdit},
      {NavItem::ResolutionDetail, "page1_resolution_detail", nullptr},
      {NavItem::FiltersDemos, "page2_filters_demos", window->DemoEdit},
      {NavItem::Miscellaneous, "page3_miscellaneous", window->NoteEdit},
      {NavItem::OurSponsor, "page4_our_sponsor", nullptr},
      {NavItem::UpdateBench, "page5_update_bench", nullptr},
  };
  for (const View& v : views) {
    SCOPED_TRACE(v.name);
    Navigate(v.item);
    Shot shot = Capture(window->Handle());
    Save(shot, v.name);
    if (v.creamField) {
      // Most of the field is its cream background, whatever text it holds in whatever font.
      RECT field;
      ::GetClientRect(v.creamField, &field);
      POINT topLeft = InShot(v.creamField, 0, 0);
      RECT area = {topLeft.x, topLeft.y, topLeft.x + field.right, topLeft.y + field.bottom};
      int pixels = field.right * field.bottom;
      EXPECT_GT(CountNear(shot, area, RGB(254, 232, 183)), pixels / 2) << pixels;
    }
    // The small logo replaces the version label in the title area.
    POINT logo = InShot(window->hl2logo, 0, 0);
    EXPECT_GT(CountNear(shot, {logo.x, logo.y, logo.x + 20, logo.y + 18}, RGB(243, 126, 31)), 5);
  }

  // The picker over the main window.
  ::ShowWindow(picker->Handle(), SW_SHOWNOACTIVATE);
  ::SendMessageA(picker->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  picker->SetLineTicked(1, true);
  Shot pick = Capture(picker->Handle());
  Save(pick, "picker");
  EXPECT_EQ(pick.width, 228);
  EXPECT_EQ(pick.height, 502);
  ::ShowWindow(picker->Handle(), SW_HIDE);

  // The progress panel as a series shows it.
  ::ShowWindow(window->Panel2, SW_SHOW);
  Shot progress = Capture(window->Handle());
  Save(progress, "progress");
  ::ShowWindow(window->Panel2, SW_HIDE);
}

}  // namespace
}  // namespace quorvel::testing
