#include "platform/seams_win.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/text.h"

namespace quorvel {

namespace {
Seams g_shipped;
Seams* g_current = &g_shipped;

std::string AppTitle(HWND owner) {
  (void)owner;
  return "Zarvent Half-Life 2 benchmark";
}
}  // namespace

Seams& CurrentSeams() { return *g_current; }
void InstallSeams(Seams* seams) { g_current = seams ? seams : &g_shipped; }

void Seams::Message(HWND owner, const std::string& text) {
  ::MessageBoxA(owner, text.c_str(), AppTitle(owner).c_str(), MB_OK | MB_ICONINFORMATION);
}

bool Seams::Confirm(HWND owner, const std::string& text) {
  return ::MessageBoxA(owner, text.c_str(), AppTitle(owner).c_str(), MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

int Seams::Box(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

bool Seams::ModalDialog(HWND, const std::string&, const std::function<bool()>& run) {
  return run();
}

void Seams::ErrorReport(HWND owner, const std::string& message, const std::string& details) {
  std::string body = message + "\r\n\r\nDetails:\r\n" + details;
  ::MessageBoxA(owner, body.c_str(), "Zarvent Half-Life 2 benchmark - error", MB_OK | MB_ICONERROR);
}

std::optional<std::string> Seams::ChooseFile(HWND owner, const std::string& title,
                                             const std::string& filter) {
  char path[MAX_PATH] = {};
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(path);
}

std::vector<std::string> Seams::ChooseFiles(HWND owner, const std::string& title,
                                            const std::string& filter, const std::string& folder) {
  // Room for many names: the dialog fails rather than cut a selection short.
  std::vector<char> buffer(64 * 1024, '\0');
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  if (!::GetOpenFileNameA(&ofn)) return {};
  return text::OpenDialogSelection(std::string_view(buffer.data(), buffer.size()));
}

std::optional<std::string> Seams::ChooseFolder(HWND owner, const std::string& title) {
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderA(&info);
  if (!pidl) return std::nullopt;
  char path[MAX_PATH] = {};
  bool ok = ::SHGetPathFromIDListA(pidl, path);
  ::CoTaskMemFree(pidl);
  if (!ok) return std::nullopt;
  return std::string(path);
}

void Seams::ShellOpen(HWND owner, const std::string& target, int show) {
  ::ShellExecuteA(owner, "open", target.c_str(), nullptr, nullptr, show);
}

HANDLE Seams::RunElevated(HWND owner, const std::string& file, const std::string& parameters,
                          DWORD* error) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = "runas";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExA(&info)) {
    *error = ::GetLastError();
    return nullptr;
  }
  if (!info.hProcess) *error = ERROR_INVALID_HANDLE;
  return info.hProcess;
}

bool Seams::DisplayMode(DWORD number, DWORD* width, DWORD* height) {
  DEVMODEA mode = {};
  mode.dmSize = sizeof(mode);
  if (!::EnumDisplaySettingsA(nullptr, number, &mode)) return false;
  *width = mode.dmPelsWidth;
  *height = mode.dmPelsHeight;
  return true;
}

DriverEscapeResult Seams::DriverEscape(const std::string& driver, int escape, const void* request,
                                       int requestSize, void* reply, int replySize) {
  DriverEscapeResult out;
  HDC dc = ::CreateDCA(driver.c_str(), nullptr, nullptr, nullptr);
  if (!dc) return out;
  out.contextCreated = true;
  out.result = ::ExtEscape(dc, escape, requestSize, static_cast<LPCSTR>(request), replySize,
                           static_cast<LPSTR>(reply));
  out.contextDeleted = ::DeleteDC(dc) != FALSE;
  return out;
}

bool Seams::DisplayDevice(DWORD index, DISPLAY_DEVICEA* device) {
  return ::EnumDisplayDevicesA(nullptr, index, device, 0) != FALSE;
}

}  // namespace quorvel
