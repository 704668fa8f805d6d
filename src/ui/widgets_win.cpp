#include "ui/widgets_win.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <memory>
#include <vector>

#include "platform/error_reporter_win.h"
#include "platform/errors.h"

namespace quorvel::ui {

std::string WindowText(HWND window) {
  if (!window) return "";
  int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = ::GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

namespace {

constexpr const char* kSkinProperty = "QuorvelSkin";

HWND RootOf(HWND window) {
  HWND root = ::GetAncestor(window, GA_ROOT);
  return root ? root : window;
}

// ---- panels ----

struct PanelData {
  PanelLook look;
  HFONT font = nullptr;
};

void PaintPanel(HWND panel, const PanelData& data) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(panel, &ps);
  RECT client;
  ::GetClientRect(panel, &client);
  if (data.look.solidFill) {
    GdiObject<HBRUSH> fill(::CreateSolidBrush(data.look.fill));
    ::FillRect(dc, &client, fill.Get());
  } else if (const Skin* skin = SkinOf(panel)) {
    skin->PaintUnder(panel, dc, client);
  }
  if (data.look.framed) {
    GdiObject<HBRUSH> border(::CreateSolidBrush(data.look.border));
    ::FrameRect(dc, &client, border.Get());
  }
  if (data.look.groupFrame) {
    char caption[256] = {};
    ::GetWindowTextA(panel, caption, sizeof caption);
    HGDIOBJ oldFont =
        ::SelectObject(dc, data.font ? data.font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, caption, static_cast<int>(::lstrlenA(caption)), &extent);
    int mid = extent.cy / 2;
    RECT frame = {client.left, client.top + mid, client.right, client.bottom};
    GdiObject<HPEN> dark(::CreatePen(PS_SOLID, 1, RGB(64, 64, 70)));
    GdiObject<HPEN> light(::CreatePen(PS_SOLID, 1, RGB(24, 24, 28)));
    HGDIOBJ oldPen = ::SelectObject(dc, dark.Get());
    ::MoveToEx(dc, frame.left, frame.bottom - 2, nullptr);
    ::LineTo(dc, frame.left, frame.top);
    ::LineTo(dc, frame.right - 2, frame.top);
    ::LineTo(dc, frame.right - 2, frame.bottom - 2);
    ::LineTo(dc, frame.left, frame.bottom - 2);
    ::SelectObject(dc, light.Get());
    ::MoveToEx(dc, frame.left + 1, frame.bottom - 1, nullptr);
    ::LineTo(dc, frame.right - 1, frame.bottom - 1);
    ::LineTo(dc, frame.right - 1, frame.top);
    ::SelectObject(dc, oldPen);
    if (caption[0]) {
      RECT textRect = {client.left + 6, client.top, client.left + 6 + extent.cx,
                       client.top + extent.cy};
      if (data.look.solidFill) {
        GdiObject<HBRUSH> fill(::CreateSolidBrush(data.look.fill));
        ::FillRect(dc, &textRect, fill.Get());
      } else if (const Skin* skin = SkinOf(panel)) {
        skin->PaintUnder(panel, dc, textRect);
      }
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, data.look.captionColor);
      ::DrawTextA(dc, caption, -1, &textRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    ::SelectObject(dc, oldFont);
  }
  ::EndPaint(panel, &ps);
}

LRESULT PanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* data = reinterpret_cast<PanelData*>(::GetWindowLongPtrA(panel, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_NCDESTROY:
      delete data;
      ::SetWindowLongPtrA(panel, GWLP_USERDATA, 0);
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (data) {
        PaintPanel(panel, *data);
        return 0;
      }
      break;
    case WM_SETTEXT: {
      LRESULT r = ::DefWindowProcA(panel, message, wParam, lParam);
      ::InvalidateRect(panel, nullptr, FALSE);
      return r;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return ::SendMessageA(RootOf(panel), message, wParam, lParam);
    default:
      break;
  }
  return ::DefWindowProcA(panel, message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!Guarded(RootOf(panel), "panel",
               [&] { result = PanelMessage(panel, message, wParam, lParam); }))
    return ::DefWindowProcA(panel, message, wParam, lParam);
  return result;
}

// ---- pictures ----

struct PictureData {
  HBITMAP bitmap = nullptr;
  PictureActions actions;
  bool leftDown = false;
};

void PaintPicture(HWND window, const PictureData& data) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window, &ps);
  RECT client;
  ::GetClientRect(window, &client);
  if (const Skin* skin = SkinOf(window); skin && skin->Background() != data.bitmap)
    skin->PaintUnder(window, dc, client);
  if (data.bitmap) DrawTransparent(dc, data.bitmap, 0, 0);
  ::EndPaint(window, &ps);
}

LRESULT PictureMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* data = reinterpret_cast<PictureData*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_NCDESTROY:
      delete data;
      ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (data) {
        PaintPicture(window, *data);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (data) {
        int button = message == WM_LBUTTONDOWN   ? VK_LBUTTON
                     : message == WM_RBUTTONDOWN ? VK_RBUTTON
                                                 : VK_MBUTTON;
        if (button == VK_LBUTTON) data->leftDown = true;
        if (data->actions.onMouseDown) data->actions.onMouseDown(button);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (data && data->leftDown) {
        data->leftDown = false;
        if (data->actions.onClick) data->actions.onClick();
        return 0;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!Guarded(RootOf(window), "picture",
               [&] { result = PictureMessage(window, message, wParam, lParam); }))
    return ::DefWindowProcA(window, message, wParam, lParam);
  return result;
}

// ---- pointer-leaves ----

constexpr UINT_PTR kLeaveSubclass = 0x51;
constexpr UINT_PTR kGroupSubclass = 0x52;

struct LeaveData {
  std::function<void()> onLeave;
};

struct GroupData {
  HWND group;
  std::shared_ptr<std::function<void()>> onLeave;
};

void ArmLeave(HWND window) {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = window;
  ::TrackMouseEvent(&track);
}

bool PointerInside(HWND group) {
  POINT pt;
  RECT rect;
  if (!::GetCursorPos(&pt) || !::GetWindowRect(group, &rect)) return false;
  return ::PtInRect(&rect, pt) != FALSE;
}

LRESULT CALLBACK LeaveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR ref) {
  auto* data = reinterpret_cast<LeaveData*>(ref);
  switch (message) {
    case WM_MOUSEMOVE:
      ArmLeave(window);
      break;
    case WM_MOUSELEAVE:
      if (data->onLeave) Guarded(RootOf(window), "MouseLeave", [&] { data->onLeave(); });
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(window, LeaveProc, id);
      delete data;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK GroupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR ref) {
  auto* data = reinterpret_cast<GroupData*>(ref);
  switch (message) {
    case WM_MOUSEMOVE:
      ArmLeave(window);
      break;
    case WM_MOUSELEAVE:
      // Moving onto a control inside the group (or back onto the group) is not leaving it.
      if (!PointerInside(data->group) && *data->onLeave)
        Guarded(RootOf(window), "GroupMouseLeave", [&] { (*data->onLeave)(); });
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(window, GroupProc, id);
      delete data;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void RegisterWidgetClasses(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = kPanelClass;
  ::RegisterClassExA(&wc);
  wc.lpfnWndProc = PictureProc;
  wc.lpszClassName = kPictureClass;
  ::RegisterClassExA(&wc);
}

Skin::Skin(HBITMAP background)
    : background_(background), pattern_(::CreatePatternBrush(background)) {}

void Skin::PaintUnder(HWND child, HDC dc, const RECT& rect) const {
  HWND root = RootOf(child);
  POINT origin = {0, 0};
  ::MapWindowPoints(child, root, &origin, 1);
  int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  HDC source = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(source, background_.Get());
  ::BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source,
           origin.x + rect.left, origin.y + rect.top, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
  ::SetStretchBltMode(dc, oldMode);
}

HBRUSH Skin::BrushFor(HWND child, HDC dc) const {
  POINT origin = {0, 0};
  ::MapWindowPoints(child, RootOf(child), &origin, 1);
  ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  return pattern_.Get();
}

void AttachSkin(HWND topLevel, const Skin* skin) {
  ::SetPropA(topLevel, kSkinProperty, const_cast<Skin*>(skin));
}

void DetachSkin(HWND topLevel) { ::RemovePropA(topLevel, kSkinProperty); }

const Skin* SkinOf(HWND anyChild) {
  return static_cast<const Skin*>(::GetPropA(RootOf(anyChild), kSkinProperty));
}

HWND CreatePanel(HWND parent, const char* caption, int x, int y, int w, int h,
                 const PanelLook& look, HFONT font, DWORD extraStyle) {
  auto* data = new PanelData{look, font};
  HWND panel = ::CreateWindowExA(
      WS_EX_CONTROLPARENT, kPanelClass, caption,
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | extraStyle, x, y, w, h, parent,
      nullptr, reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), data);
  if (!panel) {
    delete data;
    throw AppError("The window could not be created.");
  }
  ::SendMessageA(panel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return panel;
}

HWND CreatePicture(HWND parent, HBITMAP bitmap, int x, int y, int w, int h,
                   PictureActions actions) {
  auto* data = new PictureData{bitmap, std::move(actions)};
  HWND picture = ::CreateWindowExA(
      0, kPictureClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent, nullptr,
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), data);
  if (!picture) {
    delete data;
    throw AppError("The window could not be created.");
  }
  return picture;
}

HBITMAP LoadPicture(HINSTANCE instance, int id) {
  auto bitmap = static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) throw AppError("A picture of the program is missing; please reinstall it.");
  return bitmap;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info = {};
  ::GetObjectA(bitmap, sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}

HRGN RegionFromBitmap(HBITMAP bitmap) {
  SIZE size = BitmapSize(bitmap);
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  for (int y = 0; y < size.cy; ++y) {
    int x = 0;
    while (x < size.cx) {
      while (x < size.cx && ::GetPixel(dc, x, y) == kTransparentKey) ++x;
      int start = x;
      while (x < size.cx && ::GetPixel(dc, x, y) != kTransparentKey) ++x;
      if (x > start) {
        HRGN run = ::CreateRectRgn(start, y, x, y + 1);
        ::CombineRgn(region, region, run, RGN_OR);
        ::DeleteObject(run);
      }
    }
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return region;
}

void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y) {
  SIZE size = BitmapSize(bitmap);
  HDC source = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(source, bitmap);
  ::TransparentBlt(dc, x, y, size.cx, size.cy, source, 0, 0, size.cx, size.cy, kTransparentKey);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

HWND CreateControl(const char* className, const char* text, DWORD style, int x, int y, int w, int h,
                   HWND parent, int id, HFONT font, DWORD exStyle) {
  HWND control = ::CreateWindowExA(
      exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, h, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
  if (!control) throw AppError("The window could not be created.");
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void UseClassicLook(HWND control) { ::SetWindowTheme(control, L"", L""); }

void Tooltips::Create(HWND owner) {
  tips_ = ::CreateWindowExA(
      WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(owner, GWLP_HINSTANCE)), nullptr);
  if (tips_) ::SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, 300);
}

namespace {
void AddOrUpdateTool(HWND tips, TOOLINFOA& info) {
  TOOLINFOA probe = info;
  probe.lpszText = nullptr;
  if (::SendMessageA(tips, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&probe)))
    ::SendMessageA(tips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  else
    ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}
}  // namespace

void Tooltips::Set(HWND control, const std::string& text) {
  if (!tips_) return;
  TOOLINFOA info = {};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = ::GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(text.c_str());
  AddOrUpdateTool(tips_, info);
}

void Tooltips::SetArea(HWND window, UINT_PTR id, const RECT& rect, const std::string& text) {
  if (!tips_) return;
  TOOLINFOA info = {};
  info.cbSize = sizeof info;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = window;
  info.uId = id;
  info.rect = rect;
  info.lpszText = const_cast<char*>(text.c_str());
  AddOrUpdateTool(tips_, info);
}

std::string Tooltips::Get(HWND control) const {
  if (!tips_) return "";
  // The wide message: the ANSI one hands back at most 80 characters.
  wchar_t buffer[1024] = {};
  TOOLINFOW info = {};
  info.cbSize = sizeof info;
  info.hwnd = ::GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  TOOLINFOW probe = info;
  if (!::SendMessageW(tips_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe))) return "";
  info.lpszText = buffer;
  ::SendMessageW(tips_, TTM_GETTEXTW, sizeof buffer / sizeof buffer[0],
                 reinterpret_cast<LPARAM>(&info));
  char text[1024] = {};
  ::WideCharToMultiByte(CP_ACP, 0, buffer, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

void TrackPointerLeave(HWND control, std::function<void()> onLeave) {
  auto* data = new LeaveData{std::move(onLeave)};
  if (!::SetWindowSubclass(control, LeaveProc, kLeaveSubclass, reinterpret_cast<DWORD_PTR>(data)))
    delete data;
}

void TrackGroupPointerLeave(HWND group, std::function<void()> onLeave) {
  auto shared = std::make_shared<std::function<void()>>(std::move(onLeave));
  std::vector<HWND> members{group};
  ::EnumChildWindows(
      group,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&members));
  for (HWND member : members) {
    auto* data = new GroupData{group, shared};
    if (!::SetWindowSubclass(member, GroupProc, kGroupSubclass, reinterpret_cast<DWORD_PTR>(data)))
      delete data;
  }
}

HFONT MakeFont(const char* face, int points, bool bold) {
  HDC screen = ::GetDC(nullptr);
  int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
  ::ReleaseDC(nullptr, screen);
  return ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace quorvel::ui
