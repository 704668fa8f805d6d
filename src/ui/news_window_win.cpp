#include "ui/news_window_win.h"

#include <exdisp.h>
#include <ole2.h>

#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/libraries_win.h"
#include "platform/registry_win.h"
#include "settings/settings_store.h"
#include "ui/news_layout.h"
#include "ui/widgets_win.h"
#include "update/update_info.h"

namespace quorvel {

// The smallest container an embedded web browser control needs: a client site that is also
// the in-place site and the frame, all on the news window's handle.
class WebBrowserHost : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  // Creates the control, in-place active over the whole client area of `parent`; null when
  // the platform has no browser control.
  static WebBrowserHost* Create(HWND parent) {
    // The control draws pages with the platform's HTML engine; without one (Wine without
    // its browser engine) it would only cover the window with a blank area, so the window
    // stays as it is, black.
    HMODULE engine = libraries::LoadSystemLibrary("mshtml.dll");
    if (!engine) return nullptr;
    ::FreeLibrary(engine);
    auto* host = new WebBrowserHost(parent);
    if (!host->Start()) {
      host->Close();
      host->Release();
      return nullptr;
    }
    return host;
  }

  // Navigate with only the address given; false when the control refused it.
  bool Navigate(const std::string& target) {
    if (!browser_) return false;
    int length = ::MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide.data(), length);
    BSTR url = ::SysAllocString(wide.c_str());
    VARIANT empty;
    ::VariantInit(&empty);
    HRESULT hr = browser_->Navigate(url, &empty, &empty, &empty, &empty);
    ::SysFreeString(url);
    return SUCCEEDED(hr);
  }

  HWND ControlWindow() const { return control_; }

  void Resize() {
    RECT r;
    ::GetClientRect(parent_, &r);
    if (browser_) {
      browser_->put_Width(r.right);
      browser_->put_Height(r.bottom);
    }
  }

  void Close() {
    if (browser_) {
      browser_->Release();
      browser_ = nullptr;
    }
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
      object_->Release();
      object_ = nullptr;
    }
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
      *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceFrame) || IsEqualIID(riid, IID_IOleInPlaceUIWindow))
      *out = static_cast<IOleInPlaceFrame*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the site and the frame)
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = parent_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame) {
      *frame = this;
      AddRef();
    }
    if (document) *document = nullptr;
    if (position) ::GetClientRect(parent_, position);
    if (clip) ::GetClientRect(parent_, clip);
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = parent_;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  explicit WebBrowserHost(HWND parent) : parent_(parent) {}
  virtual ~WebBrowserHost() = default;

  bool Start() {
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&object_))))
      return false;
    if (FAILED(object_->SetClientSite(this))) return false;
    RECT r;
    ::GetClientRect(parent_, &r);
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &r)))
      return false;
    if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))))
      return false;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(
            object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
      inPlace->GetWindow(&control_);
      inPlace->Release();
    }
    Resize();
    return true;
  }

  LONG refs_ = 1;
  HWND parent_;
  HWND control_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
};

TForm5::TForm5(HINSTANCE instance, std::string programFolder)
    : instance_(instance), programFolder_(std::move(programFolder)) {}

TForm5::~TForm5() {
  if (host_) {
    host_->Close();
    host_->Release();
  }
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void TForm5::Create() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kNewsWindowClass;
    if (!::RegisterClassA(&wc)) throw AppError("Cannot register the news window");
    registered = true;
  }
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r = {0, 0, kNewsClientWidth, kNewsClientHeight};
  ::AdjustWindowRectEx(&r, style, FALSE, 0);
  // The designed screen position, not centred.
  hwnd_ = ::CreateWindowExA(0, kNewsWindowClass, kNewsCaption, style, 120, 80, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, instance_, this);
  if (!hwnd_) throw AppError("Cannot create the news window");
}

bool TForm5::BrowserCreated() const { return host_ != nullptr; }

std::optional<bool> TForm5::InetOnline() {
  // The library stays loaded for the rest of the run.
  libraries::LoadSystemLibrary("URL.DLL");
  HMODULE module = ::GetModuleHandleA("URL.DLL");
  if (!module) return std::nullopt;
  using InetIsOfflineFn = BOOL(WINAPI*)(DWORD);
  auto fn = reinterpret_cast<InetIsOfflineFn>(
      reinterpret_cast<void*>(::GetProcAddress(module, "InetIsOffline")));
  if (!fn) return std::nullopt;
  return fn(0) == 0;
}

void TForm5::FormActivate() {
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ | KEY_SET_VALUE);
  if (!key) return;
  // A "News" of another type reads as absent: the window stays shut, and no error is shown at
  // every activation of the main window.
  std::optional<std::string> news;
  try {
    news = reg::ReadString(key.Get(), "News");
  } catch (const AppError&) {
  }
  if (news.value_or("") != "0") return;
  reg::WriteString(key.Get(), "News", "1");
  std::optional<bool> online = OnlineTest ? OnlineTest() : InetOnline();
  if (online) online_ = *online;
  const std::string local = programFolder_ + kOfflineNewsFile;
  if (online_)
    navigatedTo_ = update::kNewsURL;
  else if (files::FileExists(local))
    navigatedTo_ = local;
  // An empty window would only be a black square in front of the user's work.
  if (navigatedTo_.empty()) return;
  if (!host_) {
    host_ = WebBrowserHost::Create(hwnd_);
    if (host_) WebBrowser = host_->ControlWindow();
  }
  if (host_) {
    ShowBesideMainWindow();
    host_->Navigate(navigatedTo_);
    return;
  }
  // No browser engine draws the page: the local page's own words stand in for it. The news
  // page from the web cannot be shown without one.
  if (navigatedTo_ != local) return;
  std::optional<std::string> page = files::ReadAll(local);
  if (!page) return;
  std::string text = news::PageText(*page);
  if (text.empty()) return;
  ShowPageText(text);
  ShowBesideMainWindow();
}

void TForm5::ShowPageText(const std::string& text) {
  shownText_ = text;
  if (!textField_) {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    constexpr int kMargin = 12;
    textField_ = ::CreateWindowExA(
        0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, kMargin,
        kMargin, r.right - 2 * kMargin, r.bottom - 2 * kMargin, hwnd_, nullptr, instance_, nullptr);
    textFont_.Reset(ui::MakeFont("Tahoma", 9));
    background_.Reset(::CreateSolidBrush(RGB(0, 0, 0)));
    ::SendMessageA(textField_, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.Get()), FALSE);
    WebBrowser = textField_;
  }
  ::SetWindowTextA(textField_, text.c_str());
}

void TForm5::ShowBesideMainWindow() {
  RECT frame;
  ::GetWindowRect(hwnd_, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  HWND main = MainWindow && ::IsWindowVisible(MainWindow) ? MainWindow : nullptr;
  if (!main) {
    ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return;
  }
  RECT mainFrame;
  ::GetWindowRect(main, &mainFrame);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  RECT work = {};
  if (::GetMonitorInfoA(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor))
    work = monitor.rcWork;
  else
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  news::Placement place = news::NewsWindowPlacement(
      {work.left, work.top, work.right, work.bottom},
      {mainFrame.left, mainFrame.top, mainFrame.right, mainFrame.bottom}, width, height);
  // Where it must overlap, it stays behind the main window; either way the main window keeps
  // the focus.
  ::SetWindowPos(hwnd_, place.overlapsMain ? main : HWND_TOP, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT CALLBACK TForm5::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<TForm5*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm5*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT TForm5::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // Closing only hides the window; it lives until the program ends.
      ::ShowWindow(hwnd_, SW_HIDE);
      return 0;
    case WM_SIZE:
      if (host_) host_->Resize();
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (textField_ && reinterpret_cast<HWND>(lParam) == textField_) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ui::kSilver);
        ::SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(background_.Get());
      }
      break;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

}  // namespace quorvel
