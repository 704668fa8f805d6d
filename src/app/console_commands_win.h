#pragma once
// The commands of the command line: "/compare" and "/?" run without the window (program
// entry, before anything else starts); "/run" runs a series through the window without
// showing it, and answers what the series would ask the user itself.
#include <optional>
#include <string>
#include <vector>

#include "platform/seams_win.h"

namespace quorvel {

// Runs the command of `arguments` (without the program's name) when it is one that needs no
// window, printing to the console the program was started from (or to its redirected
// output); its exit code. nullopt when the command line is the window's or a "/run" that
// can start (ParseCommandLine tells which).
std::optional<int> RunConsoleCommand(const std::vector<std::string>& arguments);

// Printing for the commands: to the redirected output, else to the console of the command
// prompt that started the program (if any).
void PrintOut(const std::string& text);
// "quorvel: <reason>" on the error output; returns 1, the exit code of a failed command.
int PrintFailure(const std::string& reason);

// While a series runs from the command line nothing waits for a click: a notice is noted
// (the first one is the reason the command failed), a question is answered No (what the
// program then says is the reason), a message box
// with its safest answer (No, else OK), the program's own dialogs No, the error reporter's
// dialog noted, and nothing is opened with the shell. Everything else goes to the seams that
// were in use before (not owned; they must outlive these).
class UnattendedSeams : public Seams {
 public:
  explicit UnattendedSeams(Seams& inner) : inner_(inner) {}

  // The first notice or error shown; empty when there was none.
  const std::string& FirstNotice() const { return first_; }
  // Forgets the notices so far (those of the start-up, once it went well).
  void ForgetNotices() { first_.clear(); }

  void Message(HWND owner, const std::string& text) override;
  bool Confirm(HWND owner, const std::string& text) override;
  int Box(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  bool ModalDialog(HWND owner, const std::string& what, const std::function<bool()>& run) override;
  void ErrorReport(HWND owner, const std::string& message, const std::string& details) override;
  std::optional<std::string> ChooseFile(HWND, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::vector<std::string> ChooseFiles(HWND, const std::string&, const std::string&,
                                       const std::string&) override {
    return {};
  }
  std::optional<std::string> ChooseFolder(HWND, const std::string&) override {
    return std::nullopt;
  }
  void ShellOpen(HWND, const std::string&, int) override {}
  bool DisplayMode(DWORD number, DWORD* width, DWORD* height) override {
    return inner_.DisplayMode(number, width, height);
  }
  unsigned WaitMs(unsigned ms) override { return inner_.WaitMs(ms); }
  void Checkpoint(const char* point) override { inner_.Checkpoint(point); }
  DriverEscapeResult DriverEscape(const std::string& driver, int escape, const void* request,
                                  int requestSize, void* reply, int replySize) override {
    return inner_.DriverEscape(driver, escape, request, requestSize, reply, replySize);
  }
  bool DisplayDevice(DWORD index, DISPLAY_DEVICEA* device) override {
    return inner_.DisplayDevice(index, device);
  }

 private:
  void Note(const std::string& text);
  Seams& inner_;
  std::string first_;
};

}  // namespace quorvel
