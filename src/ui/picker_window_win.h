#pragma once
// TForm3, the custom resolution picker: a small borderless window on top of the others that
// lists the display's screen sizes with a check box each; "Add" takes the first ticked size
// as the custom resolution. Exists from start to exit, hidden until the main window's
// "Possibilities" button shows it modally. User-interface thread only.
#include <memory>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/win.h"
#include "ui/widgets_win.h"

namespace quorvel {

class MainWindow;

inline constexpr const char* kPickerWindowClass = "QuorvelPicker";
inline constexpr int kPickerWidth = 228;
inline constexpr int kPickerHeight = 502;
inline constexpr int kPickerLineHeight = 17;

class TForm3 {
 public:
  TForm3(HINSTANCE instance, MainWindow& main);
  ~TForm3();
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  // Creates the window hidden. Throws AppError when it cannot be made.
  void Create();
  // Shows the picker centred on the main window and returns when it closes; the main window
  // takes no input meanwhile.
  void ShowModal();
  // Closes the picker without changing anything.
  void Close();
  bool Shown() const { return modal_; }
  HWND Handle() const { return hwnd_; }

  // The lines of CheckList1.
  int LineCount() const;
  std::string LineText(int line) const;
  bool LineTicked(int line) const;
  void SetLineTicked(int line, bool ticked);

  // "Add": the first ticked line becomes the custom size, then the picker closes.
  void Button1Click();

  HWND Image1 = nullptr;
  HWND CheckList1 = nullptr;
  HWND Button1 = nullptr;
  HWND ToolButton1 = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR ref);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Rebuild();
  void DrawLine(const DRAWITEMSTRUCT& item);
  void DrawButton(const DRAWITEMSTRUCT& item);

  HINSTANCE instance_;
  MainWindow& main_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<ui::Skin> skin_;
  GdiObject<HFONT> font_;
  std::vector<std::string> modes_;  // the display mode list while the picker is active
  bool modal_ = false;
  bool closing_ = false;
};

}  // namespace quorvel
