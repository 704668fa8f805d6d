#pragma once
// Files, folders and the shell's file operations. Paths are single-byte Windows paths.
// All functions run on the user-interface thread unless said otherwise; none throws.
#include <optional>
#include <string>

#include "platform/win.h"

namespace quorvel::files {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder with every missing level; false when it does not exist afterwards.
bool ForceDirectories(const std::string& path);
// Deletes a file; a missing file is not an error. False when the file is still there.
bool DeleteQuietly(const std::string& path);
// The folder of the running program file, ending with "\".
std::string ProgramFolder();
// Full path of the running program file.
std::string ProgramPath();
// This account's own folder for what the program writes while it runs (backups of the game's
// settings, the diagnostics output, update downloads): "%LOCALAPPDATA%\Zarvent\Quorvel\",
// created when missing, ending with "\". Empty when the folder cannot be found or created.
std::string UserDataFolder();

// SHFileOperationA move of one file (FOF_FILESONLY | FOF_NOCONFIRMATION |
// FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS), replacing an existing destination.
// True when the operation reported success.
bool ShellMove(HWND owner, const std::string& from, const std::string& to);
// The same for a copy.
bool ShellCopy(HWND owner, const std::string& from, const std::string& to);

// Whole-file read and write (binary). Read: nullopt when the file cannot be read.
std::optional<std::string> ReadAll(const std::string& path);
bool WriteAll(const std::string& path, const std::string& bytes);

}  // namespace quorvel::files
