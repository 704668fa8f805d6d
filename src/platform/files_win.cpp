#include "platform/files_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/handles_win.h"

namespace quorvel::files {

bool FileExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  size_t cut = folder.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    std::string parent = folder.substr(0, cut);
    if (!(parent.size() == 2 && parent[1] == ':')) ForceDirectories(parent);
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return DirectoryExists(folder);
}

bool DeleteQuietly(const std::string& path) {
  if (!FileExists(path)) return true;
  ::DeleteFileA(path.c_str());
  return !FileExists(path);
}

std::string ProgramPath() {
  std::vector<char> buffer(MAX_PATH);
  while (true) {
    DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string UserDataFolder() {
  char local[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)) ||
      local[0] == '\0')
    return std::string();
  std::string folder = std::string(local);
  if (folder.back() != '\\') folder += '\\';
  folder += "Zarvent\\Quorvel\\";
  return ForceDirectories(folder) ? folder : std::string();
}

namespace {
bool ShellOperation(HWND owner, UINT operation, const std::string& from, const std::string& to) {
  // The shell wants double-NUL-terminated lists.
  std::string source = from + '\0';
  std::string target = to + '\0';
  SHFILEOPSTRUCTA op = {};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = source.c_str();
  op.pTo = target.c_str();
  op.fFlags = FOF_FILESONLY | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
  return ::SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}
}  // namespace

bool ShellMove(HWND owner, const std::string& from, const std::string& to) {
  return ShellOperation(owner, FO_MOVE, from, to);
}

bool ShellCopy(HWND owner, const std::string& from, const std::string& to) {
  return ShellOperation(owner, FO_COPY, from, to);
}

std::optional<std::string> ReadAll(const std::string& path) {
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string out;
  char chunk[65536];
  DWORD got = 0;
  while (::ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
    out.append(chunk, got);
  return out;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!::WriteFile(file.Get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0)
      return false;
    done += wrote;
  }
  return true;
}

}  // namespace quorvel::files
