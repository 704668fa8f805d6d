#include "app/console_commands_win.h"

#include "app/command_line.h"
#include "bench/results_files_win.h"
#include "platform/win.h"

namespace quorvel {

namespace {

// A window program has no console of its own: it writes to a redirected output, or else to
// the console of the command prompt that started it (if any).
HANDLE Output(DWORD which) {
  HANDLE out = ::GetStdHandle(which);
  if (out && out != INVALID_HANDLE_VALUE) return out;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return nullptr;
  out = ::GetStdHandle(which);
  return out == INVALID_HANDLE_VALUE ? nullptr : out;
}

void Print(DWORD which, const std::string& text) {
  HANDLE out = Output(which);
  if (!out) return;
  DWORD wrote = 0;
  ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
}

int Fail(const std::string& reason) { return PrintFailure(reason); }

// One line of a notice: its lines joined.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') line += ' ';
      continue;
    }
    line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

void PrintOut(const std::string& text) { Print(STD_OUTPUT_HANDLE, text); }

int PrintFailure(const std::string& reason) {
  Print(STD_ERROR_HANDLE, "quorvel: " + OneLine(reason) + "\r\n");
  return 1;
}

void UnattendedSeams::Note(const std::string& text) {
  if (first_.empty()) first_ = OneLine(text);
}

void UnattendedSeams::Message(HWND, const std::string& text) { Note(text); }

// A question is no notice: what the program says after the answer No is the reason.
bool UnattendedSeams::Confirm(HWND, const std::string&) { return false; }

int UnattendedSeams::Box(HWND, const std::string& text, const std::string&, UINT flags) {
  Note(text);
  UINT buttons = flags & MB_TYPEMASK;
  return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO : IDOK;
}

bool UnattendedSeams::ModalDialog(HWND, const std::string& what, const std::function<bool()>&) {
  Note(what);
  return false;
}

void UnattendedSeams::ErrorReport(HWND, const std::string& message, const std::string&) {
  Note(message);
}

std::optional<int> RunConsoleCommand(const std::vector<std::string>& arguments) {
  CommandLine line = ParseCommandLine(arguments);
  switch (line.Kind) {
    case CommandKind::Window:
      return std::nullopt;
    case CommandKind::Help:
      Print(STD_OUTPUT_HANDLE, UsageText());
      return 0;
    case CommandKind::Run:
      // A series runs through the window; only a command line that cannot run ends here.
      if (line.Error.empty()) return std::nullopt;
      return Fail(line.Error);
    case CommandKind::Compare:
      break;
  }
  if (!line.Error.empty()) return Fail(line.Error);
  std::string failure = bench::WriteComparePage(line.CompareFiles, line.ComparePage);
  if (!failure.empty()) return Fail(failure);
  Print(STD_OUTPUT_HANDLE, "Comparison page: " + line.ComparePage + "\r\n");
  return 0;
}

}  // namespace quorvel
