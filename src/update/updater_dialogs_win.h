#pragma once
// The update component's three windows: the question window, the download wizard and the
// password window, with their controls under their names, and the component's texts in the
// chosen language. All on the user-interface thread.
#include <functional>
#include <string>

#include "platform/handles_win.h"
#include "platform/win.h"
#include "update/update_texts.h"

namespace quorvel::update {

inline constexpr const char* kQuestionWindowClass = "TzUpdaterQuestionForm";
inline constexpr const char* kWizardWindowClass = "TzUpdaterWizardForm";
inline constexpr const char* kPasswordWindowClass = "TzUpdaterPasswordForm";
inline constexpr int kWizardClientWidth = 463;
inline constexpr int kWizardClientHeight = 281;
inline constexpr const char* kAboutCaption = " Zarvent Updater ";

// Text number i of the chosen set: from the program's string table, and the English text
// when the table has none for that set.
class UpdaterTexts {
 public:
  UpdaterTexts(HINSTANCE instance, TzUpdaterLanguage language);
  std::string Text(int i) const;
  TzUpdaterLanguage Language() const { return language_; }

 private:
  HINSTANCE instance_;
  TzUpdaterLanguage language_;
};

// The base of the three windows: a fixed dialog frame centred on the screen, the dialog font.
class UpdaterForm {
 public:
  virtual ~UpdaterForm();
  HWND Handle() const { return hwnd_; }

 protected:
  UpdaterForm(HINSTANCE instance, const UpdaterTexts& texts) : instance_(instance), texts_(texts) {}
  // Creates the window hidden with a client area of this size, centred on the screen.
  void CreateFrame(const char* className, const std::string& caption, int clientWidth,
                   int clientHeight, DWORD exStyle);
  HWND Control(const char* className, const std::string& text, DWORD style, int x, int y, int w,
               int h, int id = 0, DWORD exStyle = 0);
  // Runs a modal loop until EndModal; the owner is disabled meanwhile.
  bool RunModal(HWND owner);
  void EndModal(bool answer);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  const UpdaterTexts& texts_;
  HWND hwnd_ = nullptr;
  GdiObject<HFONT> font_;
  GdiObject<HFONT> boldFont_;
  bool modalDone_ = false;
  bool modalAnswer_ = false;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The question: "A newer version ... was released." with Yes and Later.
class TzUpdaterQuestionForm : public UpdaterForm {
 public:
  TzUpdaterQuestionForm(HINSTANCE instance, const UpdaterTexts& texts)
      : UpdaterForm(instance, texts) {}
  // Creates the window (hidden) with `question` word-wrapped; its height follows the label.
  void Create(const std::string& question);
  // Shows it modal and topmost; true when answered Yes.
  bool ShowModal(HWND owner) { return RunModal(owner); }

  HWND Icon = nullptr, Label1 = nullptr, YesBtn = nullptr, LaterBtn = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The password window: user name and password for a protected file.
class TzUpdaterPasswordForm : public UpdaterForm {
 public:
  TzUpdaterPasswordForm(HINSTANCE instance, const UpdaterTexts& texts)
      : UpdaterForm(instance, texts) {}
  void Create(const std::string& fileName, const std::string& username);
  // Shows it modal; true for OK, with the fields in `username` and `password`.
  bool ShowModal(HWND owner, std::string& username, std::string& password);

  HWND Label1 = nullptr, UsernameLab = nullptr, UsernameEdit = nullptr, PasswordLab = nullptr,
       PasswordEdit = nullptr, OKBtn = nullptr, CancelBtn = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Enter, Esc and Tab for the modeless update windows: true when `msg` was meant for one of
// them and has been handled as a dialog key. Every message loop of the program calls it.
bool HandleDialogKeys(MSG& msg);

// The download wizard, modeless: the current file and all files with their progress bars,
// and the end state with the note and the OK button.
class TzUpdaterWizardForm : public UpdaterForm {
 public:
  TzUpdaterWizardForm(HINSTANCE instance, const UpdaterTexts& texts)
      : UpdaterForm(instance, texts) {}
  // Creates and shows the wizard with the download captions; `picture` is a 118 x 218 bitmap
  // resource (0: none).
  void Create(bool hideFileLocation, int picture, bool stayOnTop);
  // The end state: title text 2, the note, both groups hidden, Cancel disabled, the finish
  // button reading text 16, enabled and focused.
  void ShowEndState(const std::string& note);
  bool InEndState() const { return endState_; }

  // The Cancel button or the close box, and the finish button (only in the end state).
  std::function<void()> OnCancel;
  std::function<void()> OnFinish;

  HWND Image1 = nullptr, WizardTitle = nullptr, LCurrentFile = nullptr,
       LDownloadingFileFrom = nullptr, FileURL = nullptr, LFileSize = nullptr,
       LTransferRate = nullptr, LEstimatedTime = nullptr, ProgressCurrentFile = nullptr,
       LAllFiles = nullptr, AllDownloading = nullptr, ProgressAllFiles = nullptr,
       AfterNote = nullptr, AboutLabel = nullptr, AboutShadow = nullptr, FinishBtn = nullptr,
       CancelBtn = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  GdiObject<HBITMAP> picture_;
  bool endState_ = false;
};

}  // namespace quorvel::update
