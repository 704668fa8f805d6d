#pragma once
// The building blocks of the program's skinned windows: containers that show the window's
// background picture through them, picture controls, owner-drawn buttons, tooltips and the
// pointer-leaves tracking of controls and groups. Everything here runs on the
// user-interface thread.
#include <functional>
#include <string>

#include "platform/error_reporter_win.h"
#include "platform/handles_win.h"
#include "platform/win.h"

namespace quorvel::ui {

inline constexpr COLORREF kOrange = RGB(243, 126, 31);
inline constexpr COLORREF kCream = RGB(254, 232, 183);
inline constexpr COLORREF kSilver = RGB(192, 192, 192);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
// The background of the settings pages, and the windows' font face.
inline constexpr COLORREF kPageColour = RGB(6, 6, 8);
inline constexpr const char* kFontFace = "MS Sans Serif";

// The text of a window or control; empty for a null handle.
std::string WindowText(HWND window);
// Pixels of this colour in a picture are left transparent.
inline constexpr COLORREF kTransparentKey = RGB(255, 0, 255);

// Window classes of this file; registering twice is harmless.
inline constexpr const char* kPanelClass = "QuorvelPanel";
inline constexpr const char* kPictureClass = "QuorvelPicture";

void RegisterWidgetClasses(HINSTANCE instance);

// The background picture of a top-level window, shown through every container and label on
// it. A top-level window publishes its skin with AttachSkin; children find it through their
// root window.
class Skin {
 public:
  explicit Skin(HBITMAP background);
  HBITMAP Background() const { return background_.Get(); }
  // Fills `rect` (in `child`'s client coordinates) of `dc` with the part of the background
  // that lies under it.
  void PaintUnder(HWND child, HDC dc, const RECT& rect) const;
  // A brush that paints the background under `child` when used on `dc` (brush origin set).
  HBRUSH BrushFor(HWND child, HDC dc) const;

 private:
  GdiObject<HBITMAP> background_;
  GdiObject<HBRUSH> pattern_;
};

void AttachSkin(HWND topLevel, const Skin* skin);
void DetachSkin(HWND topLevel);
const Skin* SkinOf(HWND anyChild);

// The window procedure of a top-level window that belongs to an object of type `Window`: the
// object comes with the creation message and is kept with the window in `Window::*handle`;
// every message runs `Window::*handler` inside the error reporter's boundary named `where`;
// when the window goes, the object and its skin let go of it. UI thread only.
template <typename Window>
LRESULT ObjectWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const char* where,
                         HWND Window::*handle, LRESULT (Window::*handler)(UINT, WPARAM, LPARAM)) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->*handle = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DetachSkin(hwnd);
    self->*handle = nullptr;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (!Guarded(hwnd, where, [&] { result = (self->*handler)(message, wParam, lParam); }))
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return result;
}

// A container: paints the background under it, optionally a group frame with its window
// text as caption, and hands WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_CTLCOLOR* of its
// children to its root window.
struct PanelLook {
  bool groupFrame = false;
  COLORREF captionColor = kSilver;
  bool solidFill = false;  // fill with `fill` instead of the background picture
  COLORREF fill = RGB(0, 0, 0);
  bool framed = false;  // a one-pixel border of `border`
  COLORREF border = RGB(0, 0, 0);
};
HWND CreatePanel(HWND parent, const char* caption, int x, int y, int w, int h,
                 const PanelLook& look, HFONT font, DWORD extraStyle = 0);

// A picture control. `onMouseDown(button)` runs for WM_LBUTTONDOWN (VK_LBUTTON),
// WM_RBUTTONDOWN and WM_MBUTTONDOWN; `onClick` after a left click. Both are optional.
// Pixels of kTransparentKey show the background under the control. `bitmap` is not owned.
struct PictureActions {
  std::function<void(int button)> onMouseDown;
  std::function<void()> onClick;
};
HWND CreatePicture(HWND parent, HBITMAP bitmap, int x, int y, int w, int h,
                   PictureActions actions = {});

// Loads a picture resource; throws AppError when it is missing.
HBITMAP LoadPicture(HINSTANCE instance, int id);
// The size of a bitmap.
SIZE BitmapSize(HBITMAP bitmap);
// A window region of the pixels of `bitmap` that are not kTransparentKey.
HRGN RegionFromBitmap(HBITMAP bitmap);

// Draws `bitmap` at (x, y), leaving kTransparentKey pixels untouched.
void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y);

// A child control of any class with the window's font.
HWND CreateControl(const char* className, const char* text, DWORD style, int x, int y, int w, int h,
                   HWND parent, int id, HFONT font, DWORD exStyle = 0);

// Turns the visual style off for a control so that it draws with the colours its parent
// gives it (check boxes and radio buttons on the dark background).
void UseClassicLook(HWND control);

// Tooltips of a top-level window.
class Tooltips {
 public:
  void Create(HWND owner);
  // Adds or replaces the tooltip of `control`.
  void Set(HWND control, const std::string& text);
  // Adds a tooltip for `rect` of `window` (for a control that is disabled: its parent
  // receives the mouse then). `id` tells such areas apart.
  void SetArea(HWND window, UINT_PTR id, const RECT& rect, const std::string& text);
  // The tooltip text of `control` as the tooltip control holds it; "" when it has none.
  std::string Get(HWND control) const;
  HWND Handle() const { return tips_; }

 private:
  HWND tips_ = nullptr;
};

// Pointer-leaves of a single control: `onLeave` runs when the mouse pointer leaves it.
void TrackPointerLeave(HWND control, std::function<void()> onLeave);
// Pointer-leaves of a group: `onLeave` runs when the pointer leaves the rectangle of `group`;
// moving between the group and the controls inside it does not count.
void TrackGroupPointerLeave(HWND group, std::function<void()> onLeave);

// A font of `points` size; bold when asked.
HFONT MakeFont(const char* face, int points, bool bold = false);

}  // namespace quorvel::ui
