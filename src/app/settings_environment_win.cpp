#include "app/settings_environment_win.h"

#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "sysinfo/memory_win.h"

namespace quorvel {

SettingsEnvironment WindowsSettingsEnvironment(HWND owner) {
  SettingsEnvironment env;
  env.ProgramFolder = files::ProgramFolder();
  env.FileExists = [](const std::string& path) { return files::FileExists(path); };
  env.DirectoryExists = [](const std::string& path) { return files::DirectoryExists(path); };
  env.ShowMessage = [owner](const std::string& text) { CurrentSeams().Message(owner, text); };
  env.TotalPhysicalMemory = [] { return TotalPhysicalMemoryBytes(); };
  return env;
}

}  // namespace quorvel
