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

int Fail(const std::string& reason) {
  Print(STD_ERROR_HANDLE, "quorvel: " + reason + "\r\n");
  return 1;
}

}  // namespace

std::optional<int> RunConsoleCommand(const std::vector<std::string>& arguments) {
  CommandLine line = ParseCommandLine(arguments);
  switch (line.Kind) {
    case CommandKind::Window:
      return std::nullopt;
    case CommandKind::Help:
      Print(STD_OUTPUT_HANDLE, UsageText());
      return 0;
    case CommandKind::Run:
      // Not in this version: a series runs from the window only.
      return Fail(line.Error.empty() ? "/run is not available in this version." : line.Error);
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
