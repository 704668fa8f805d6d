#include "update/updater_dialogs_win.h"

#include <commctrl.h>

#include <vector>

#include "platform/errors.h"

namespace quorvel::update {

namespace {

constexpr int kMargin = 10;
constexpr int kFinishId = 101;

// The line ends of the texts are LF; the static controls break lines at CR LF.
std::string WithCrLf(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
    out += c;
  }
  return out;
}

void RegisterFormClass(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSA existing;
  if (::GetClassInfoA(instance, name, &existing)) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  if (!::RegisterClassA(&wc)) throw AppError(std::string("Cannot register the window ") + name);
}

}  // namespace

UpdaterTexts::UpdaterTexts(HINSTANCE instance, TzUpdaterLanguage language)
    : instance_(instance),
      language_(language == TzUpdaterLanguage::wlAuto
                    ? LanguageFromLangId(::GetSystemDefaultLangID())
                    : language) {}

std::string UpdaterTexts::Text(int i) const {
  char buffer[1024];
  int n = ::LoadStringA(instance_, TextResourceId(language_, i), buffer, sizeof buffer);
  if (n <= 0 && language_ != TzUpdaterLanguage::wlEnglish)
    n = ::LoadStringA(instance_, TextResourceId(TzUpdaterLanguage::wlEnglish, i), buffer,
                      sizeof buffer);
  if (n > 0) return std::string(buffer, n);
  return std::string(EnglishText(i));
}

UpdaterForm::~UpdaterForm() {
  if (hwnd_) {
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

void UpdaterForm::CreateFrame(const char* className, const std::string& caption, int clientWidth,
                              int clientHeight, DWORD exStyle) {
  RegisterFormClass(instance_, className, WindowProc);
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  metrics.lfMessageFont.lfWeight = FW_NORMAL;
  font_.Reset(::CreateFontIndirectA(&metrics.lfMessageFont));
  metrics.lfMessageFont.lfWeight = FW_BOLD;
  metrics.lfMessageFont.lfHeight = metrics.lfMessageFont.lfHeight * 4 / 3;
  boldFont_.Reset(::CreateFontIndirectA(&metrics.lfMessageFont));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  exStyle |= WS_EX_DLGMODALFRAME;
  RECT r = {0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  int y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  hwnd_ = ::CreateWindowExA(exStyle, className, caption.c_str(), style, x, y, w, h, nullptr,
                            nullptr, instance_, this);
  if (!hwnd_) throw AppError(std::string("Cannot create the window ") + className);
}

HWND UpdaterForm::Control(const char* className, const std::string& text, DWORD style, int x, int y,
                          int w, int h, int id, DWORD exStyle) {
  HWND control =
      ::CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                        hwnd_, reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
  if (!control) throw AppError(std::string("Cannot create a control of ") + className);
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  return control;
}

bool UpdaterForm::RunModal(HWND owner) {
  modalDone_ = false;
  modalAnswer_ = false;
  bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
  MSG msg;
  while (!modalDone_) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the loop and let the caller's loop see the quit.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (::IsDialogMessageA(hwnd_, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  ::ShowWindow(hwnd_, SW_HIDE);
  if (owner) ::SetForegroundWindow(owner);
  return modalAnswer_;
}

void UpdaterForm::EndModal(bool answer) {
  modalAnswer_ = answer;
  modalDone_ = true;
}

LRESULT CALLBACK UpdaterForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<UpdaterForm*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<UpdaterForm*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT UpdaterForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

// --- the question window ---

void TzUpdaterQuestionForm::Create(const std::string& question) {
  const int width = 400;
  CreateFrame(kQuestionWindowClass, texts_.Text(0), width, 100, WS_EX_TOPMOST);
  std::string text = WithCrLf(question);
  // The label's height follows its text.
  const int labelLeft = kMargin + 32 + kMargin;
  const int labelWidth = width - labelLeft - kMargin;
  RECT measure = {0, 0, labelWidth, 0};
  HDC dc = ::GetDC(hwnd_);
  HGDIOBJ old = ::SelectObject(dc, font_.Get());
  ::DrawTextA(dc, text.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  int labelHeight = std::max<int>(32, measure.bottom);
  Icon = Control("STATIC", "", SS_ICON, kMargin, kMargin, 32, 32);
  ::SendMessageA(Icon, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIcon(nullptr, IDI_QUESTION)), 0);
  Label1 =
      Control("STATIC", text, SS_LEFT | SS_NOPREFIX, labelLeft, kMargin, labelWidth, labelHeight);
  int buttonsTop = kMargin + labelHeight + kMargin;
  YesBtn = Control("BUTTON", texts_.Text(14), BS_DEFPUSHBUTTON | WS_TABSTOP, width / 2 - 85,
                   buttonsTop, 80, 25, IDOK);
  LaterBtn = Control("BUTTON", texts_.Text(19), BS_PUSHBUTTON | WS_TABSTOP, width / 2 + 5,
                     buttonsTop, 80, 25, IDCANCEL);
  int clientHeight = buttonsTop + 25 + kMargin;
  RECT r = {0, 0, width, clientHeight};
  ::AdjustWindowRectEx(&r, ::GetWindowLongA(hwnd_, GWL_STYLE), FALSE,
                       ::GetWindowLongA(hwnd_, GWL_EXSTYLE));
  int w = r.right - r.left, h = r.bottom - r.top;
  ::SetWindowPos(hwnd_, HWND_TOPMOST, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOACTIVATE);
  ::SetFocus(YesBtn);
}

LRESULT TzUpdaterQuestionForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) EndModal(true);
    if (LOWORD(wParam) == IDCANCEL) EndModal(false);
    return 0;
  }
  if (message == WM_CLOSE) {
    EndModal(false);
    return 0;
  }
  return UpdaterForm::HandleMessage(message, wParam, lParam);
}

// --- the password window ---

void TzUpdaterPasswordForm::Create(const std::string& fileName, const std::string& username) {
  const int width = 360, height = 190;
  CreateFrame(kPasswordWindowClass, texts_.Text(11), width, height, 0);
  Label1 = Control("STATIC", WithCrLf(FillTexts(texts_.Text(29), fileName)), SS_LEFT | SS_NOPREFIX,
                   kMargin, kMargin, width - 2 * kMargin, 78);
  UsernameLab = Control("STATIC", texts_.Text(12), SS_LEFT, kMargin, 96, 90, 20);
  UsernameEdit = Control("EDIT", username, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 110, 94,
                         width - 110 - kMargin, 21);
  PasswordLab = Control("STATIC", texts_.Text(13), SS_LEFT, kMargin, 124, 90, 20);
  PasswordEdit = Control("EDIT", "", ES_AUTOHSCROLL | ES_PASSWORD | WS_BORDER | WS_TABSTOP, 110,
                         122, width - 110 - kMargin, 21);
  ::SendMessageA(PasswordEdit, EM_SETPASSWORDCHAR, '*', 0);
  OKBtn = Control("BUTTON", texts_.Text(16), BS_DEFPUSHBUTTON | WS_TABSTOP, width - 2 * 80 - 15,
                  height - 25 - kMargin, 80, 25, IDOK);
  CancelBtn = Control("BUTTON", texts_.Text(17), BS_PUSHBUTTON | WS_TABSTOP, width - 80 - kMargin,
                      height - 25 - kMargin, 80, 25, IDCANCEL);
  ::SetFocus(UsernameEdit);
}

bool TzUpdaterPasswordForm::ShowModal(HWND owner, std::string& username, std::string& password) {
  if (!RunModal(owner)) return false;
  char buffer[512];
  ::GetWindowTextA(UsernameEdit, buffer, sizeof buffer);
  username = buffer;
  ::GetWindowTextA(PasswordEdit, buffer, sizeof buffer);
  password = buffer;
  return true;
}

LRESULT TzUpdaterPasswordForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) EndModal(true);
    if (LOWORD(wParam) == IDCANCEL) EndModal(false);
    return 0;
  }
  if (message == WM_CLOSE) {
    EndModal(false);
    return 0;
  }
  return UpdaterForm::HandleMessage(message, wParam, lParam);
}

// --- the wizard ---

namespace {
constexpr char kDialogKeysProperty[] = "QuorvelDialogKeys";
}  // namespace

bool HandleDialogKeys(MSG& msg) {
  if (!msg.hwnd) return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  return root && ::GetPropA(root, kDialogKeysProperty) && ::IsDialogMessageA(root, &msg);
}

void TzUpdaterWizardForm::Create(bool hideFileLocation, int picture, bool stayOnTop) {
  CreateFrame(kWizardWindowClass, texts_.Text(0), kWizardClientWidth, kWizardClientHeight,
              stayOnTop ? WS_EX_TOPMOST : 0);
  ::SetPropA(hwnd_, kDialogKeysProperty, reinterpret_cast<HANDLE>(1));
  Image1 = Control("STATIC", "", SS_BITMAP | SS_REALSIZECONTROL, kMargin, kMargin, 118, 218);
  if (picture) {
    picture_.Reset(static_cast<HBITMAP>(
        ::LoadImageA(instance_, MAKEINTRESOURCEA(picture), IMAGE_BITMAP, 0, 0, 0)));
    if (picture_)
      ::SendMessageA(Image1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.Get()));
  }
  ::SetWindowPos(Image1, nullptr, kMargin, kMargin, 118, 218, SWP_NOZORDER);
  const int left = kMargin + 118 + 12;                    // 140
  const int width = kWizardClientWidth - left - kMargin;  // 313
  WizardTitle = Control("STATIC", texts_.Text(1), SS_LEFT | SS_NOPREFIX, left, kMargin, width, 22);
  ::SendMessageA(WizardTitle, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);

  // The current file; without the file location its lines move up into its place.
  const int shift = hideFileLocation ? 40 : 0;
  int y = 36;
  LCurrentFile =
      Control("BUTTON", " " + texts_.Text(3) + " ", BS_GROUPBOX, left, y, width, 130 - shift);
  LDownloadingFileFrom =
      Control("STATIC", texts_.Text(5), SS_LEFT, left + 10, y + 18, width - 20, 16);
  FileURL = Control("EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, left + 10, y + 35,
                    width - 20, 20);
  if (hideFileLocation) {
    ::ShowWindow(LDownloadingFileFrom, SW_HIDE);
    ::ShowWindow(FileURL, SW_HIDE);
  }
  int lines = y + 60 - shift;
  LFileSize = Control("STATIC", "", SS_LEFT | SS_NOPREFIX, left + 10, lines, width - 20, 16);
  LTransferRate =
      Control("STATIC", "", SS_LEFT | SS_NOPREFIX, left + 10, lines + 16, width - 20, 16);
  LEstimatedTime = Control("STATIC", texts_.Text(22), SS_LEFT | SS_NOPREFIX, left + 10, lines + 32,
                           width - 20, 16);
  ProgressCurrentFile = Control(PROGRESS_CLASSA, "", 0, left + 10, lines + 52, width - 20, 14);
  ::SendMessageA(ProgressCurrentFile, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

  y = 36 + 130 - shift + 8;
  LAllFiles = Control("BUTTON", " " + texts_.Text(4) + " ", BS_GROUPBOX, left, y, width, 62);
  AllDownloading = Control("STATIC", "", SS_LEFT | SS_NOPREFIX, left + 10, y + 18, width - 20, 16);
  ProgressAllFiles = Control(PROGRESS_CLASSA, "", 0, left + 10, y + 38, width - 20, 14);
  ::SendMessageA(ProgressAllFiles, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

  AfterNote = Control("STATIC", "", SS_LEFT | SS_NOPREFIX, left, 44, width, 120);
  ::ShowWindow(AfterNote, SW_HIDE);

  // The engraved caption at the bottom left: the shadow first, the label over it.
  const int bottom = kWizardClientHeight - kMargin - 25;
  AboutShadow = Control("STATIC", kAboutCaption, SS_OWNERDRAW, kMargin + 1, bottom + 7, 130, 16);
  AboutLabel = Control("STATIC", kAboutCaption, SS_OWNERDRAW, kMargin, bottom + 6, 130, 16, 0,
                       WS_EX_TRANSPARENT);
  FinishBtn = Control("BUTTON", texts_.Text(18), BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                      kWizardClientWidth - 2 * 85 - kMargin, bottom, 80, 25, kFinishId);
  CancelBtn = Control("BUTTON", texts_.Text(17), BS_DEFPUSHBUTTON | WS_TABSTOP,
                      kWizardClientWidth - 80 - kMargin, bottom, 80, 25, IDCANCEL);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
}

void TzUpdaterWizardForm::ShowEndState(const std::string& note) {
  endState_ = true;
  ::SetWindowTextA(WizardTitle, texts_.Text(2).c_str());
  ::SetWindowTextA(AfterNote, WithCrLf(note).c_str());
  for (HWND c : {LCurrentFile, LDownloadingFileFrom, FileURL, LFileSize, LTransferRate,
                 LEstimatedTime, ProgressCurrentFile, LAllFiles, AllDownloading, ProgressAllFiles})
    ::ShowWindow(c, SW_HIDE);
  ::ShowWindow(AfterNote, SW_SHOW);
  ::EnableWindow(CancelBtn, FALSE);
  ::SetWindowTextA(FinishBtn, texts_.Text(16).c_str());
  ::EnableWindow(FinishBtn, TRUE);
  ::SendMessageA(CancelBtn, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  ::SendMessageA(FinishBtn, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  ::SetFocus(FinishBtn);
}

LRESULT TzUpdaterWizardForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDCANCEL && ::IsWindowEnabled(CancelBtn)) {
          if (OnCancel) OnCancel();
        } else if (LOWORD(wParam) == kFinishId && endState_) {
          if (OnFinish) OnFinish();
        }
        return 0;
      }
      break;
    case WM_CLOSE:
      if (OnCancel) OnCancel();
      return 0;
    case WM_DESTROY:
      ::RemovePropA(hwnd_, kDialogKeysProperty);
      break;
    case DM_GETDEFID:
      // Enter presses OK at the end, Cancel while downloading (Esc always means Cancel).
      return MAKELRESULT(endState_ ? kFinishId : IDCANCEL, DC_HASDEFID);
    case WM_CTLCOLORSTATIC: {
      // The field stays white though it is read-only.
      if (reinterpret_cast<HWND>(lParam) == FileURL) {
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem != AboutLabel && item->hwndItem != AboutShadow) break;
      HDC dc = item->hDC;
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, item->hwndItem == AboutShadow ? ::GetSysColor(COLOR_BTNHIGHLIGHT)
                                                       : ::GetSysColor(COLOR_BTNSHADOW));
      HGDIOBJ old = ::SelectObject(dc, font_.Get());
      RECT r = item->rcItem;
      ::DrawTextA(dc, kAboutCaption, -1, &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
      ::SelectObject(dc, old);
      return TRUE;
    }
    default:
      break;
  }
  return UpdaterForm::HandleMessage(message, wParam, lParam);
}

}  // namespace quorvel::update
