// How the main window paints: control colours, the skinned buttons and the separators.
#include "ui/main_window_win.h"

#include "platform/handles_win.h"

namespace quorvel {

namespace {

using ui::kCream;
using ui::kOrange;
using ui::kPageColour;
using ui::kSilver;
using ui::kWhite;
using ui::WindowText;

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
    case Look::Picture:
      DrawPictureButton(dc, r, item.hwndItem, look, pressed, disabled);
      break;
    case Look::Tool:
      DrawToolButton(dc, r, item, look, caption, pressed, disabled);
      break;
    case Look::NavCaption:
      DrawNavCaption(dc, r, look, caption);
      break;
    case Look::NavItem:
      DrawNavItem(dc, r, item.hwndItem, look, caption, pressed);
      break;
  }
  ::SelectObject(dc, oldFont);
}

void MainWindow::DrawPictureButton(HDC dc, const RECT& r, HWND button, const ButtonLook& look,
                                   bool pressed, bool disabled) {
  skin_->PaintUnder(button, dc, r);
  HBITMAP picture = pressed && look.down ? look.down : look.up;
  if (picture) ui::DrawTransparent(dc, picture, 0, 0);
  if (disabled) Darken(dc, r);
}

void MainWindow::DrawToolButton(HDC dc, const RECT& r, const DRAWITEMSTRUCT& item,
                                const ButtonLook& look, const std::string& caption, bool pressed,
                                bool disabled) {
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
    ::ImageList_DrawEx(images_, look.image, dc, imageX + offset, imageY + offset, 16, 16, CLR_NONE,
                       CLR_NONE, ILD_TRANSPARENT | (disabled ? ILD_BLEND50 : 0));
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
}

void MainWindow::DrawNavCaption(HDC dc, RECT r, const ButtonLook& look,
                                const std::string& caption) {
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
}

void MainWindow::DrawNavItem(HDC dc, const RECT& r, HWND button, const ButtonLook& look,
                             const std::string& caption, bool pressed) {
  skin_->PaintUnder(button, dc, r);
  auto nav = static_cast<NavItem>(look.image);
  bool current = NavItemCurrent(nav);
  if (current) {
    GdiObject<HBRUSH> mark(::CreateSolidBrush(kOrange));
    RECT bar = {r.left, r.top + 4, r.left + 3, r.bottom - 4};
    ::FillRect(dc, &bar, mark.Get());
  }
  ::SetTextColor(dc, pressed ? kOrange : current ? kCream : kSilver);
  RECT text = {r.left + 8 + (pressed ? 1 : 0), r.top + (pressed ? 1 : 0), r.right, r.bottom};
  ::DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

bool MainWindow::NavItemCurrent(NavItem nav) const {
  if (!::IsWindowVisible(PageControl)) return nav == NavItem::About;
  switch (nav) {
    case NavItem::PathInformation:
      return activePage_ == Page::PathInformation;
    case NavItem::ResolutionDetail:
      return activePage_ == Page::ResolutionDetail;
    case NavItem::FiltersDemos:
      return activePage_ == Page::FiltersDemos;
    case NavItem::Miscellaneous:
      return activePage_ == Page::Miscellaneous;
    case NavItem::OurSponsor:
      return activePage_ == Page::OurSponsor;
    case NavItem::UpdateBench:
      return activePage_ == Page::UpdateBench;
    default:
      return false;
  }
}

}  // namespace quorvel
