#pragma once
// Seams whose answers a test scripts, and which log what the program showed.
// Configured from the environment (so the test host program can use them too):
//   QUORVEL_SEAM_LOG      file that receives one line per notice, question, error, open, dialog
//   QUORVEL_SEAM_ANSWERS  answers to questions in order, "yes"/"no" separated by commas
//                         (no answers left: "no")
//   QUORVEL_SEAM_FILE     the file the file dialog returns (unset or empty: cancelled)
//   QUORVEL_SEAM_FILES    the files the multiple-file dialog returns, separated by "|"
//                         (unset or empty: cancelled)
//   QUORVEL_SEAM_FOLDER   the folder the folder dialog returns (unset or empty: cancelled)
//   QUORVEL_SEAM_MODES    display modes "640x480,800x600,..." (unset: the real display's)
//   QUORVEL_SEAM_WAIT_DIVISOR  the sequencer's waits are divided by this number
//   QUORVEL_SEAM_NO_SHELL "1": "open" is only logged, nothing is started
//   QUORVEL_SEAM_RUNAS    how the administrator consent ends: unset or "consent": the program
//                         is started for real (under Wine: without a prompt); "cancel": the
//                         user declines (ERROR_CANCELLED), nothing is started
//   QUORVEL_SEAM_KILL_AT  the checkpoint at which the program terminates itself at once
//                         (exit code 9), as a crash or a kill would end it
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/seams_win.h"

namespace quorvel::testing {

class ScriptedSeams : public Seams {
 public:
  ScriptedSeams() = default;
  // Reads the configuration from the environment.
  static ScriptedSeams FromEnvironment();

  void Message(HWND owner, const std::string& text) override;
  bool Confirm(HWND owner, const std::string& text) override;
  void ErrorReport(HWND owner, const std::string& message, const std::string& details) override;
  // Logged as "box <flags in hex>: <caption> | <text>", with " -> yes" / " -> no" for a
  // question (answered from `answers`).
  int Box(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  // Logged as "dialog: <what> -> yes" / " -> no", answered from `answers`; with
  // `showDialogs` the window is run for real.
  bool ModalDialog(HWND owner, const std::string& what, const std::function<bool()>& run) override;
  std::optional<std::string> ChooseFile(HWND owner, const std::string& title,
                                        const std::string& filter) override;
  std::vector<std::string> ChooseFiles(HWND owner, const std::string& title,
                                       const std::string& filter,
                                       const std::string& folder) override;
  std::optional<std::string> ChooseFolder(HWND owner, const std::string& title) override;
  void ShellOpen(HWND owner, const std::string& target, int show) override;
  // Logged as "runas: <file> <parameters> -> started" or " -> error <code>".
  HANDLE RunElevated(HWND owner, const std::string& file, const std::string& parameters,
                     DWORD* error) override;
  bool DisplayMode(DWORD number, DWORD* width, DWORD* height) override;
  unsigned WaitMs(unsigned ms) override { return divisor_ > 1 ? ms / divisor_ : ms; }
  // Writes "checkpoint: <point>" to the log file (not to `log`); ends the process at the
  // point named by `killAt`.
  void Checkpoint(const char* point) override;
  DriverEscapeResult DriverEscape(const std::string& driver, int escape, const void* request,
                                  int requestSize, void* reply, int replySize) override;
  bool DisplayDevice(DWORD index, DISPLAY_DEVICEA* device) override;

  // Script. `consent`: Given starts the program for real; Declined fails with
  // ERROR_CANCELLED; Pretended starts nothing and hands back this process.
  std::deque<bool> answers;
  std::optional<std::string> file;
  std::optional<std::string> folder;
  std::vector<std::string> files;
  bool useModes = false;
  std::vector<std::pair<DWORD, DWORD>> modes;
  bool shellForReal = false;
  enum class Consent { Given, Declined, Pretended } consent = Consent::Given;
  bool showDialogs = false;
  std::string logPath;
  std::string killAt;
  unsigned divisor_ = 1;
  // A scripted display driver: when set, it answers every escape in place of the real one
  // (it may write into `reply` and into memory the request points to).
  std::function<DriverEscapeResult(const std::string& driver, int escape, const void* request,
                                   int requestSize, void* reply, int replySize)>
      driverEscape;
  // When set, the display device list is `displayDevices` instead of the real one.
  bool useDisplayDevices = false;
  std::vector<DISPLAY_DEVICEA> displayDevices;

  // What the program showed, "kind: text" per entry.
  std::vector<std::string> log;

 private:
  void Record(const std::string& entry);
  void AppendToLogFile(const std::string& entry);
};

// Parses "640x480,800x600" into modes; malformed entries are skipped.
std::vector<std::pair<DWORD, DWORD>> ParseModes(const std::string& text);

}  // namespace quorvel::testing
