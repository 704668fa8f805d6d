// Stands in for the program a document type opens with (a PDF reader, a web browser), for
// tests that check what the real program hands to the shell's "open" (a test tool, never
// shipped). A test registers it as the "open" command of a file type:
//
//   "<folder>\record_open.exe" "%1"
//
// and it appends "open: <its argument>" as one line to "opened.txt" beside itself, then ends.
#include <cstdio>
#include <string>

#include "platform/win.h"

int main(int argc, char** argv) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string log(self);
  log = log.substr(0, log.find_last_of('\\') + 1) + "opened.txt";
  std::string line = "open:";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  line += "\r\n";
  HANDLE file = ::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok ? 0 : 1;
}
