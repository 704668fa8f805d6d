// Stands in for the program (or an external setup) in the installation helper's tests.
// Appends one line "<own path>|<command line>|<mark>" to "started.log" in its own folder and
// ends; <mark> is the text after the last "MARK:" in its own file, which tests append to
// copies to tell an old program file from a new one.
// With "--hold FILE" it first runs until FILE exists (a program the helper must wait for).
#include <string>

#include "platform/handles_win.h"
#include "platform/win.h"

namespace {

std::string OwnBytes(const std::string& path) {
  quorvel::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::string();
  DWORD size = ::GetFileSize(file.Get(), nullptr);
  std::string bytes(size, '\0');
  DWORD got = 0;
  ::ReadFile(file.Get(), bytes.data(), size, &got, nullptr);
  bytes.resize(got);
  return bytes;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char own[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, own, MAX_PATH);
  std::string path = own;
  std::string commandLine = ::GetCommandLineA();

  std::size_t hold = commandLine.find("--hold ");
  if (hold != std::string::npos) {
    std::string until = commandLine.substr(hold + 7);
    while (::GetFileAttributesA(until.c_str()) == INVALID_FILE_ATTRIBUTES) ::Sleep(20);
  }

  std::string bytes = OwnBytes(path);
  std::size_t at = bytes.rfind("MARK:");
  std::string mark = at == std::string::npos ? "" : bytes.substr(at + 5);
  while (!mark.empty() && (mark.back() == '\0' || mark.back() == '\n')) mark.pop_back();

  std::string log = path.substr(0, path.rfind('\\') + 1) + "started.log";
  std::string line = path + "|" + commandLine + "|" + mark + "\r\n";
  quorvel::UniqueHandle file(::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file)
    ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return 0;
}
