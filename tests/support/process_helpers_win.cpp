#include "support/process_helpers_win.h"

#include <cstdio>

#include "platform/files_win.h"
#include "platform/text.h"

// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

namespace quorvel::testing {

std::string TestProgramFolder() { return files::ProgramFolder(); }

std::string StandinsFolder() { return TestProgramFolder() + "standins\\"; }

TempFolder::TempFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  path_ = text::WithBackslash(temp) + name + "\\";
  RemoveTree(path_);
  files::ForceDirectories(path_);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

bool RemoveTree(const std::string& folder) {
  std::string base = text::WithBackslash(folder);
  WIN32_FIND_DATAA data;
  {
    FindHandle find(::FindFirstFileA((base + "*").c_str(), &data));
    if (find) {
      do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = base + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          ::DeleteFileA(path.c_str());
        }
      } while (::FindNextFileA(find.Get(), &data));
    }
  }
  std::string bare = base.substr(0, base.size() - 1);
  ::RemoveDirectoryA(bare.c_str());
  return !files::DirectoryExists(bare);
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  size_t cut = to.find_last_of('\\');
  if (cut != std::string::npos) files::ForceDirectories(to.substr(0, cut + 1));
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  auto content = files::ReadAll(path);
  if (!content) return lines;
  std::string line;
  for (char c : *content) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= timeoutMs) return done();
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
      if (done()) return true;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

std::vector<DWORD> ProcessIdsNamed(const std::string& exeName) {
  std::vector<DWORD> ids;
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  if (!::Process32First(snapshot.Get(), &entry)) return ids;
  do {
    std::string name = entry.szExeFile;
    size_t cut = name.find_last_of("\\/");
    if (cut != std::string::npos) name = name.substr(cut + 1);
    if (text::EqualsNoCase(name, exeName)) ids.push_back(entry.th32ProcessID);
    entry.dwSize = sizeof(entry);
  } while (::Process32Next(snapshot.Get(), &entry));
  return ids;
}

namespace {
BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM processId) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) ::PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}
}  // namespace

void StopProcess(DWORD processId, DWORD graceMs) {
  UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
  if (!process) return;
  if (::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return;
  ::EnumWindows(CloseWindowsOf, static_cast<LPARAM>(processId));
  if (::WaitForSingleObject(process.Get(), graceMs) == WAIT_OBJECT_0) return;
  ::TerminateProcess(process.Get(), 1);
  ::WaitForSingleObject(process.Get(), 5000);
}

void StopProcessesNamed(const std::string& exeName, DWORD graceMs) {
  for (DWORD id : ProcessIdsNamed(exeName)) StopProcess(id, graceMs);
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& folder) {
  Stop();
  std::string command = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
    return false;
  UniqueHandle thread(info.hThread);
  process_.Reset(info.hProcess);
  id_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Running() const {
  return process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForEnd(DWORD timeoutMs) const {
  return !process_ || ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void ChildProcess::Stop(DWORD graceMs) {
  if (Running()) StopProcess(id_, graceMs);
  process_.Reset();
  id_ = 0;
}

HWND FindChildById(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (::GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace quorvel::testing
