#include "support/scripted_seams_win.h"

#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace quorvel::testing {

namespace {
std::optional<std::string> Env(const char* name) {
  const char* v = std::getenv(name);
  if (!v) return std::nullopt;
  return std::string(v);
}
}  // namespace

std::vector<std::pair<DWORD, DWORD>> ParseModes(const std::string& text) {
  std::vector<std::pair<DWORD, DWORD>> out;
  for (const std::string& entry : text::Split(text, ',')) {
    size_t x = entry.find('x');
    if (x == std::string::npos) continue;
    DWORD w = std::strtoul(entry.substr(0, x).c_str(), nullptr, 10);
    DWORD h = std::strtoul(entry.substr(x + 1).c_str(), nullptr, 10);
    if (w && h) out.emplace_back(w, h);
  }
  return out;
}

ScriptedSeams ScriptedSeams::FromEnvironment() {
  ScriptedSeams s;
  if (auto log = Env("QUORVEL_SEAM_LOG")) s.logPath = *log;
  if (auto answers = Env("QUORVEL_SEAM_ANSWERS"))
    for (const std::string& a : text::Split(*answers, ','))
      if (!text::Trim(a).empty()) s.answers.push_back(text::EqualsNoCase(text::Trim(a), "yes"));
  if (auto f = Env("QUORVEL_SEAM_FILE"); f && !f->empty()) s.file = *f;
  if (auto f = Env("QUORVEL_SEAM_FOLDER"); f && !f->empty()) s.folder = *f;
  if (auto f = Env("QUORVEL_SEAM_FILES"))
    for (const std::string& name : text::Split(*f, '|'))
      if (!name.empty()) s.files.push_back(name);
  if (auto m = Env("QUORVEL_SEAM_MODES")) {
    s.useModes = true;
    s.modes = ParseModes(*m);
  }
  if (auto d = Env("QUORVEL_SEAM_WAIT_DIVISOR")) {
    unsigned long v = std::strtoul(d->c_str(), nullptr, 10);
    if (v > 1) s.divisor_ = static_cast<unsigned>(v);
  }
  s.shellForReal = Env("QUORVEL_SEAM_NO_SHELL").value_or("0") != "1";
  s.killAt = Env("QUORVEL_SEAM_KILL_AT").value_or("");
  if (Env("QUORVEL_SEAM_RUNAS").value_or("") == "cancel") s.consent = Consent::Declined;
  return s;
}

void ScriptedSeams::Record(const std::string& entry) {
  log.push_back(entry);
  AppendToLogFile(entry);
}

void ScriptedSeams::AppendToLogFile(const std::string& entry) {
  if (logPath.empty()) return;
  if (FILE* f = std::fopen(logPath.c_str(), "ab")) {
    std::string line = text::ReplaceAll(text::ReplaceAll(entry, "\r", "\\r"), "\n", "\\n");
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

void ScriptedSeams::Message(HWND, const std::string& text) { Record("message: " + text); }

void ScriptedSeams::Checkpoint(const char* point) {
  // Only in the log file: what the program showed stays as it was.
  AppendToLogFile(std::string("checkpoint: ") + point);
  if (!killAt.empty() && killAt == point) ::TerminateProcess(::GetCurrentProcess(), 9);
}

bool ScriptedSeams::Confirm(HWND, const std::string& text) {
  bool yes = false;
  if (!answers.empty()) {
    yes = answers.front();
    answers.pop_front();
  }
  Record("confirm: " + text + (yes ? " -> yes" : " -> no"));
  return yes;
}

int ScriptedSeams::Box(HWND, const std::string& text, const std::string& caption, UINT flags) {
  std::string entry = text::Format("box %X: ", flags) + caption + " | " + text;
  if ((flags & 0xF) == MB_YESNO) {
    bool yes = false;
    if (!answers.empty()) {
      yes = answers.front();
      answers.pop_front();
    }
    Record(entry + (yes ? " -> yes" : " -> no"));
    return yes ? IDYES : IDNO;
  }
  Record(entry);
  return IDOK;
}

bool ScriptedSeams::ModalDialog(HWND, const std::string& what, const std::function<bool()>& run) {
  if (showDialogs) {
    bool answer = run();
    Record("dialog: " + what + (answer ? " -> yes" : " -> no"));
    return answer;
  }
  bool yes = false;
  if (!answers.empty()) {
    yes = answers.front();
    answers.pop_front();
  }
  Record("dialog: " + what + (yes ? " -> yes" : " -> no"));
  return yes;
}

void ScriptedSeams::ErrorReport(HWND, const std::string& message, const std::string& details) {
  Record("error: " + message + " | " + details);
}

std::optional<std::string> ScriptedSeams::ChooseFile(HWND, const std::string& title,
                                                     const std::string&) {
  Record("choosefile: " + title + " -> " + file.value_or("(cancel)"));
  return file;
}

std::vector<std::string> ScriptedSeams::ChooseFiles(HWND, const std::string& title,
                                                    const std::string&, const std::string& folder) {
  std::string chosen;
  for (const std::string& f : files) chosen += (chosen.empty() ? "" : "|") + f;
  Record("choosefiles: " + title + " in " + folder + " -> " +
         (files.empty() ? std::string("(cancel)") : chosen));
  return files;
}

std::optional<std::string> ScriptedSeams::ChooseFolder(HWND, const std::string& title) {
  Record("choosefolder: " + title + " -> " + folder.value_or("(cancel)"));
  return folder;
}

void ScriptedSeams::ShellOpen(HWND owner, const std::string& target, int show) {
  // The show mode is part of what the user sees: a window restored or shown as it was.
  const char* mode = show == SW_SHOW         ? "SW_SHOW"
                     : show == SW_SHOWNORMAL ? "SW_SHOWNORMAL"
                                             : "other";
  Record(std::string("open ") + mode + ": " + target);
  if (shellForReal) Seams::ShellOpen(owner, target, show);
}

HANDLE ScriptedSeams::RunElevated(HWND owner, const std::string& file,
                                  const std::string& parameters, DWORD* error) {
  HANDLE process = nullptr;
  if (consent == Consent::Given) {
    process = Seams::RunElevated(owner, file, parameters, error);
  } else if (consent == Consent::Pretended) {
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &process,
                      0, FALSE, DUPLICATE_SAME_ACCESS);
  } else {
    *error = ERROR_CANCELLED;
  }
  Record("runas: " + file + " " + parameters +
         (process ? std::string(" -> started") : " -> error " + std::to_string(*error)));
  return process;
}

bool ScriptedSeams::DisplayMode(DWORD number, DWORD* width, DWORD* height) {
  if (!useModes) return Seams::DisplayMode(number, width, height);
  if (number >= modes.size()) return false;
  *width = modes[number].first;
  *height = modes[number].second;
  return true;
}

DriverEscapeResult ScriptedSeams::DriverEscape(const std::string& driver, int escape,
                                               const void* request, int requestSize, void* reply,
                                               int replySize) {
  if (!driverEscape)
    return Seams::DriverEscape(driver, escape, request, requestSize, reply, replySize);
  return driverEscape(driver, escape, request, requestSize, reply, replySize);
}

bool ScriptedSeams::DisplayDevice(DWORD index, DISPLAY_DEVICEA* device) {
  if (!useDisplayDevices) return Seams::DisplayDevice(index, device);
  if (index >= displayDevices.size()) return false;
  DWORD cb = device->cb;
  *device = displayDevices[index];
  device->cb = cb;
  return true;
}

}  // namespace quorvel::testing
