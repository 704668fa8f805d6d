#include "ui/picker_window_win.h"

#include <commctrl.h>

#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "settings/display_modes_win.h"
#include "ui/main_window_win.h"
#include "ui/mode_text.h"
#include "ui/resource_ids.h"

namespace quorvel {

namespace {
constexpr COLORREF kListColour = RGB(6, 6, 8);
constexpr UINT_PTR kListSubclass = 0x53;
constexpr int kCheckListId = 10;
constexpr int kAddId = 11;
constexpr int kCloseId = 12;
}  // namespace

TForm3::TForm3(HINSTANCE instance, MainWindow& main) : instance_(instance), main_(main) {}

TForm3::~TForm3() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void TForm3::Create() {
  ui::RegisterWidgetClasses(instance_);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kPickerWindowClass;
  ::RegisterClassExA(&wc);

  font_.Reset(ui::MakeFont("MS Sans Serif", 8));
  skin_ = std::make_unique<ui::Skin>(ui::LoadPicture(instance_, IDB_PICKER_BACKGROUND));
  HWND created =
      ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPickerWindowClass, "Custom resolution",
                        WS_POPUP | WS_CLIPCHILDREN, 0, 0, kPickerWidth, kPickerHeight,
                        main_.Handle(), nullptr, instance_, this);
  if (!created) throw AppError("The custom resolution window could not be created.");
  ui::AttachSkin(hwnd_, skin_.get());

  Image1 = ui::CreatePicture(hwnd_, skin_->Background(), 0, 0, kPickerWidth, kPickerHeight);
  CheckList1 = ui::CreateControl("LISTBOX", "",
                                 LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                                     LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                                 10, 38, 208, 406, hwnd_, kCheckListId, font_.Get());
  ::SendMessageA(CheckList1, LB_SETITEMHEIGHT, 0, kPickerLineHeight);
  ::SetWindowSubclass(CheckList1, ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
  Button1 = ui::CreateControl("BUTTON", "Add", BS_OWNERDRAW | WS_TABSTOP, 10, 458, 96, 28, hwnd_,
                              kAddId, font_.Get());
  ToolButton1 = ui::CreateControl("BUTTON", "", BS_OWNERDRAW | WS_TABSTOP, 202, 5, 20, 20, hwnd_,
                                  kCloseId, font_.Get());
  ::SetWindowPos(Image1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  main_.SetTooltip(ToolButton1, "Close");
}

void TForm3::ShowModal() {
  if (!hwnd_ || modal_) return;
  HWND owner = main_.Handle();
  RECT r = {};
  ::GetWindowRect(owner, &r);
  int x = r.left + (r.right - r.left - kPickerWidth) / 2;
  int y = r.top + (r.bottom - r.top - kPickerHeight) / 2;
  modal_ = true;
  closing_ = false;
  ::EnableWindow(owner, FALSE);
  ::SetWindowPos(hwnd_, HWND_TOPMOST, x, y, kPickerWidth, kPickerHeight, SWP_SHOWWINDOW);
  ::SetActiveWindow(hwnd_);
  ::SetFocus(CheckList1);
  MSG msg;
  while (!closing_) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: hand the quit on to the main loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!::IsDialogMessageA(hwnd_, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  ::EnableWindow(owner, TRUE);
  ::ShowWindow(hwnd_, SW_HIDE);
  ::SetActiveWindow(owner);
  modal_ = false;
}

void TForm3::Close() {
  closing_ = true;
  ::PostMessageA(hwnd_, WM_NULL, 0, 0);
  if (!modal_) ::ShowWindow(hwnd_, SW_HIDE);
}

int TForm3::LineCount() const {
  LRESULT count = ::SendMessageA(CheckList1, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::string TForm3::LineText(int line) const {
  LRESULT length = ::SendMessageA(CheckList1, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
  if (length == LB_ERR) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  ::SendMessageA(CheckList1, LB_GETTEXT, static_cast<WPARAM>(line),
                 reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

bool TForm3::LineTicked(int line) const {
  LRESULT data = ::SendMessageA(CheckList1, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
  return data != LB_ERR && data != 0;
}

void TForm3::SetLineTicked(int line, bool ticked) {
  if (line < 0 || line >= LineCount()) return;
  ::SendMessageA(CheckList1, LB_SETITEMDATA, static_cast<WPARAM>(line), ticked ? 1 : 0);
  RECT r;
  if (::SendMessageA(CheckList1, LB_GETITEMRECT, static_cast<WPARAM>(line),
                     reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    ::InvalidateRect(CheckList1, &r, FALSE);
}

void TForm3::Button1Click() {
  for (int line = 0; line < LineCount(); ++line) {
    if (!LineTicked(line)) continue;
    if (auto size = SplitModeText(LineText(line)); size && main_.Settings())
      main_.Settings()->CustomSizeChosen(size->first, size->second);
    break;
  }
  Close();
}

void TForm3::Rebuild() {
  ::SendMessageA(CheckList1, LB_RESETCONTENT, 0, 0);
  modes_ = DisplayModeList();
  for (const std::string& mode : modes_) {
    LRESULT index =
        ::SendMessageA(CheckList1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode.c_str()));
    if (index >= 0) ::SendMessageA(CheckList1, LB_SETITEMDATA, static_cast<WPARAM>(index), 0);
  }
}

void TForm3::DrawLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  GdiObject<HBRUSH> fill(::CreateSolidBrush(selected ? RGB(60, 34, 12) : kListColour));
  ::FillRect(dc, &r, fill.Get());
  if (item.itemID == static_cast<UINT>(-1)) return;
  int line = static_cast<int>(item.itemID);
  RECT box = {r.left + 3, r.top + 2, r.left + 16, r.top + 15};
  ::DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (LineTicked(line) ? DFCS_CHECKED : 0));
  std::string text = LineText(line);
  RECT textRect = {r.left + 22, r.top, r.right, r.bottom};
  HGDIOBJ old = ::SelectObject(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, selected ? ui::kCream : ui::kSilver);
  ::DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  ::SelectObject(dc, old);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &r);
}

void TForm3::DrawButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  skin_->PaintUnder(item.hwndItem, dc, r);
  if (item.hwndItem == ToolButton1) {
    if (HIMAGELIST images = main_.ImageList())
      ::ImageList_Draw(images, IMG_CLOSE, dc, r.left + 2 + (pressed ? 1 : 0),
                       r.top + 2 + (pressed ? 1 : 0), ILD_TRANSPARENT);
    return;
  }
  GdiObject<HBRUSH> face(::CreateSolidBrush(pressed ? RGB(120, 62, 16) : RGB(46, 46, 52)));
  ::FillRect(dc, &r, face.Get());
  GdiObject<HBRUSH> border(::CreateSolidBrush(pressed ? ui::kOrange : RGB(96, 96, 104)));
  ::FrameRect(dc, &r, border.Get());
  HGDIOBJ old = ::SelectObject(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ui::kSilver);
  ::OffsetRect(&r, pressed ? 1 : 0, pressed ? 1 : 0);
  ::DrawTextA(dc, "Add", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
  ::SelectObject(dc, old);
  if (item.itemState & ODS_FOCUS) {
    ::InflateRect(&r, -3, -3);
    ::DrawFocusRect(dc, &r);
  }
}

LRESULT CALLBACK TForm3::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ui::ObjectWindowProc(hwnd, message, wParam, lParam, "TForm3", &TForm3::hwnd_,
                              &TForm3::HandleMessage);
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // Each activation starts from a fresh mode list with every line clear.
      if (LOWORD(wParam) == WA_INACTIVE)
        modes_.clear();
      else
        Guarded(hwnd_, "FormActivate", [this] { Rebuild(); });
      break;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = kPickerLineHeight;
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_LISTBOX)
        DrawLine(item);
      else
        DrawButton(item);
      return TRUE;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == Button1) Guarded(hwnd_, "Button1Click", [this] { Button1Click(); });
        if (control == ToolButton1 || LOWORD(wParam) == IDCANCEL)
          Guarded(hwnd_, "ToolButton1Click", [this] { Close(); });
      }
      return 0;
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK TForm3::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR ref) {
  auto* self = reinterpret_cast<TForm3*>(ref);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // A click on a line toggles its check box.
      LRESULT hit = ::SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0) {
        int line = LOWORD(hit);
        Guarded(self->hwnd_, "CheckList1Click",
                [&] { self->SetLineTicked(line, !self->LineTicked(line)); });
      }
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        LRESULT line = ::SendMessageA(hwnd, LB_GETCURSEL, 0, 0);
        if (line != LB_ERR) {
          int index = static_cast<int>(line);
          Guarded(self->hwnd_, "CheckList1Click",
                  [&] { self->SetLineTicked(index, !self->LineTicked(index)); });
        }
        return 0;
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, ListProc, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace quorvel
