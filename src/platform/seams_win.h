#pragma once
// What tests may choose: the answers to notices, questions and dialogs, the display modes,
// the shell's "open", the length of the run sequencer's waits and where the program dies. The
// shipped program uses `Seams` itself, which calls Windows; the test host installs a scripted
// subclass. All functions are called on the user-interface thread.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win.h"

namespace quorvel {

// What became of one driver escape sent through a device context of its own.
struct DriverEscapeResult {
  bool contextCreated = false;  // CreateDCA gave a device context (nothing else ran otherwise)
  int result = 0;               // ExtEscape's return value; 0 when there was no context
  bool contextDeleted = false;  // DeleteDC succeeded afterwards
};

class Seams {
 public:
  virtual ~Seams() = default;

  // A notice with an OK button.
  virtual void Message(HWND owner, const std::string& text);
  // A question with Yes and No; true for Yes.
  virtual bool Confirm(HWND owner, const std::string& text);
  // A message box with its own caption and MB_* flags; the button pressed (IDOK, IDYES, IDNO).
  virtual int Box(HWND owner, const std::string& text, const std::string& caption, UINT flags);
  // A modal window of the program: `run` shows it and returns its answer (true: Yes or OK).
  // `what` names the window and its text, for tests that answer in its place.
  virtual bool ModalDialog(HWND owner, const std::string& what, const std::function<bool()>& run);
  // The error reporter's dialog: the error's message and its details.
  virtual void ErrorReport(HWND owner, const std::string& message, const std::string& details);
  // The file-open dialog; nullopt when the user cancels. `filter` is a double-NUL list.
  virtual std::optional<std::string> ChooseFile(HWND owner, const std::string& title,
                                                const std::string& filter);
  // The file-open dialog choosing one or more files, opened in `folder`; full paths, empty
  // when the user cancels.
  virtual std::vector<std::string> ChooseFiles(HWND owner, const std::string& title,
                                               const std::string& filter,
                                               const std::string& folder);
  // The folder dialog; nullopt when the user cancels. The path has no trailing backslash
  // except for a drive root.
  virtual std::optional<std::string> ChooseFolder(HWND owner, const std::string& title);
  // ShellExecuteA "open" with no parameters; the result is not examined.
  virtual void ShellOpen(HWND owner, const std::string& target, int show);
  // ShellExecuteExA with the verb "runas": Windows asks for administrator consent and starts
  // `file` with `parameters` elevated. The started process (the caller closes it), or null
  // with the reason in `*error` (ERROR_CANCELLED when the user declined).
  virtual HANDLE RunElevated(HWND owner, const std::string& file, const std::string& parameters,
                             DWORD* error);
  // Display mode `number` of the display the program runs on; false past the last mode.
  virtual bool DisplayMode(DWORD number, DWORD* width, DWORD* height);
  // How long a wait of the run sequencer that is `ms` long really lasts.
  virtual unsigned WaitMs(unsigned ms) { return ms; }
  // The program has just reached a named point of its work on the user's game settings
  // (tests end the program there, as a crash would). The shipped program does nothing.
  virtual void Checkpoint(const char* /*point*/) {}
  // What the display driver answers to a private escape: creates a device context with
  // CreateDCA(driver, null, null, null), sends ExtEscape `escape` with the request and reply
  // buffers, and deletes the context again.
  virtual DriverEscapeResult DriverEscape(const std::string& driver, int escape,
                                          const void* request, int requestSize, void* reply,
                                          int replySize);
  // EnumDisplayDevicesA(null, index, device, 0); false past the last device. `device->cb`
  // must be set by the caller.
  virtual bool DisplayDevice(DWORD index, DISPLAY_DEVICEA* device);
};

// The seams in use: the shipped ones unless a test installed others.
Seams& CurrentSeams();
// Installs `seams` (not owned; null restores the shipped ones).
void InstallSeams(Seams* seams);

}  // namespace quorvel
