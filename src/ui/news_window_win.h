#pragma once
// TForm5, the news window: a small black window with an embedded web browser that shows the
// maker's news page, or the local "offlinenews.html" when the machine is offline, once per
// program run after a normal exit (the registry value "News" is "0"). Created hidden at
// start-up; closing it only hides it. It opens beside the main window, never over it, and
// only with something to show: without a browser engine it shows the local page's text, or
// stays closed. User-interface thread only.
#include <functional>
#include <optional>
#include <string>

#include "platform/handles_win.h"
#include "platform/win.h"

namespace quorvel {

inline constexpr const char* kNewsWindowClass = "QuorvelNewsWindow";
inline constexpr const char* kNewsCaption = "ZRVBench NEWS";
inline constexpr const char* kOfflineNewsFile = "offlinenews.html";
inline constexpr int kNewsClientWidth = 520;
inline constexpr int kNewsClientHeight = 500;

class WebBrowserHost;

class TForm5 {
 public:
  // `programFolder` ends with a backslash.
  TForm5(HINSTANCE instance, std::string programFolder);
  ~TForm5();
  TForm5(const TForm5&) = delete;
  TForm5& operator=(const TForm5&) = delete;

  // Creates the window hidden. Throws AppError when the window cannot be made.
  void Create();
  HWND Handle() const { return hwnd_; }

  // The main window's activation handler: the seven steps of the news check.
  void FormActivate();

  // The online test; unset, "InetIsOffline" of "URL.DLL" is asked. nullopt: the library or
  // the function is missing, and the online flag keeps its value.
  std::function<std::optional<bool>()> OnlineTest;
  // "InetIsOffline" of "URL.DLL", looked up at run time: true online, false offline,
  // nullopt when it cannot be found. The library stays loaded.
  static std::optional<bool> InetOnline();

  // What the window was last told to show (empty: nothing yet), and whether a browser control
  // could be created in it (there is none without a browser engine).
  const std::string& NavigatedTo() const { return navigatedTo_; }
  bool BrowserCreated() const;
  bool Online() const { return online_; }

  // The page's text when there is no browser engine to show it ("" when not shown so).
  const std::string& ShownText() const { return shownText_; }

  // The control filling the client area (the browser's window when it has one).
  HWND WebBrowser = nullptr;
  // The main window: the news window opens beside it and never covers it.
  HWND MainWindow = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Shows the window where it leaves the main window visible, without taking the focus.
  void ShowBesideMainWindow();
  // Without a browser engine: the local page's text in a read-only field.
  void ShowPageText(const std::string& text);

  HINSTANCE instance_;
  std::string programFolder_;
  HWND hwnd_ = nullptr;
  bool online_ = false;
  std::string navigatedTo_;
  std::string shownText_;
  HWND textField_ = nullptr;
  GdiObject<HFONT> textFont_;
  GdiObject<HBRUSH> background_;
  WebBrowserHost* host_ = nullptr;
};

}  // namespace quorvel
