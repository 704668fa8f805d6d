// The installation helper, a program of its own ("ZrvUpdHelper.exe"). The program starts it
// with its own path (unquoted), " +", the restart parameters and the method digit, and ends.
// The helper waits for the program's end, moves the downloaded ".updtmp" files into place
// (each in one step, so every file is at all times either the old or the new one, complete),
// and starts the program again.
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/win.h"
#include "update/helper_command.h"

namespace {

constexpr char kCaption[] = "Zarvent update helper";
constexpr char kQueueName[] = "ZrvUpdQueue.txt";
constexpr char kSuffix[] = ".updtmp";
constexpr std::size_t kSuffixLength = sizeof(kSuffix) - 1;

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void HandlePendingMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Waits, at the lowest priority, until `path` can be opened for writing: the program (or the
// setup) that runs from it has ended. A file that disappears meanwhile ends the wait too.
void WaitUntilWritable(const std::string& path) {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  for (;;) {
    quorvel::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    if (file || !Exists(path)) return;
    ::Sleep(1);
    HandlePendingMessages();
  }
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length > MAX_PATH) return std::string();
  std::string folder(buffer, length);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::vector<std::string> ReadQueue(const std::string& path) {
  std::vector<std::string> lines;
  quorvel::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  if (!file) return lines;
  DWORD size = ::GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) return lines;
  std::string bytes(size, '\0');
  DWORD got = 0;
  if (size && !::ReadFile(file.Get(), bytes.data(), size, &got, nullptr)) return lines;
  bytes.resize(got);
  std::string line;
  for (char c : bytes) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Puts `from` in the place of `to` in one step. The target's attributes are cleared first
// (a read-only file cannot be replaced) and put back when the move fails, so a failure leaves
// both files exactly as they were. On success the new file is a plain archive file.
bool ReplaceInOneStep(const std::string& from, const std::string& to) {
  DWORD former = ::GetFileAttributesA(to.c_str());
  if (former != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    return true;
  }
  if (former != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesA(to.c_str(), former);
  return false;
}

bool EndsWith(const std::string& s, const char* tail, std::size_t length) {
  return s.size() >= length && s.compare(s.size() - length, length, tail) == 0;
}

bool EndsWithNoCase(const std::string& s, const char* tail, std::size_t length) {
  if (s.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    char a = s[s.size() - length + i], b = tail[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// The downloads waiting in the program folder, in the order the platform lists them.
std::vector<std::string> PendingDownloads(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  quorvel::FindHandle find(::FindFirstFileA((folder + "*" + kSuffix).c_str(), &data));
  if (!find) return names;
  do {
    std::string name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && name.size() > kSuffixLength &&
        EndsWithNoCase(name, kSuffix, kSuffixLength)) {
      names.push_back(name);
    }
  } while (::FindNextFileA(find.Get(), &data));
  return names;
}

void Start(const std::string& program, const std::string& params) {
  std::string line = program + " " + params;
  ::WinExec(line.c_str(), SW_SHOWNORMAL);
}

int Install(const quorvel::update::HelperCommand& command) {
  std::string program = command.ProgramPath;
  const std::string& folder = command.ProgramFolder;
  const std::string queuePath = TempFolder() + kQueueName;
  const std::vector<std::string> queue = ReadQueue(queuePath);

  if (Exists(program)) WaitUntilWritable(program);
  const bool programHasUpdate = Exists(program + kSuffix);

  for (const std::string& destination : queue) {
    std::string download = destination + kSuffix;
    if (Exists(download)) ReplaceInOneStep(download, destination);
  }

  std::string setup, remembered;
  if (!folder.empty()) {
    for (const std::string& name : PendingDownloads(folder)) {
      std::string target = folder + name.substr(0, name.size() - kSuffixLength);
      bool replaced = ReplaceInOneStep(folder + name, target);
      if (replaced && command.Method == '1' && !programHasUpdate && setup.empty() &&
          EndsWith(target, "exe", 3)) {
        setup = target;
        remembered = program;
        program = setup;
        ::SetFileAttributesA(setup.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
      }
    }
  }

  Start(program, command.RestartParams);
  ::DeleteFileA(queuePath.c_str());

  // External setup: once it has ended it is deleted and the program comes back. Without a
  // chosen setup the program was started above and nothing is deleted.
  if (!setup.empty()) {
    WaitUntilWritable(setup);
    ::SetFileAttributesA(setup.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(setup.c_str());
    Start(remembered, command.RestartParams);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 2) {
    ::MessageBoxA(nullptr,
                  "Installs the downloaded update of the Zarvent benchmark once the program has "
                  "ended, and starts the program again.",
                  kCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  return Install(quorvel::update::ParseHelperArguments(arguments));
}
