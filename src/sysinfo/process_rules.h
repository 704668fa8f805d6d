#pragma once
// The rules by which the program recognises Steam and the game in the list of running
// processes, and how a runner's environment list becomes a process environment. Plain text
// in, plain values out; callable from any thread.
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::process {

// The executable names joined into one text, one name per line ("\r\n" between names).
std::string JoinProcessNames(const std::vector<std::string>& names);

// Whether "steam.exe" occurs anywhere in the joined names, ignoring case. A substring test,
// so "oldsteam.exe" counts too.
bool SteamInProcessList(const std::vector<std::string>& names);

// Whether `exeName` is the game's: exactly "hl2.exe" or "hl2_win64.exe" (today's 64-bit
// game), ignoring case.
bool IsGameProcessName(std::string_view exeName);

// The file name part of a path ("C:\x\hl2.exe" -> "hl2.exe"); a bare name is returned as is.
std::string BaseName(std::string_view path);

// An environment block: every entry followed by a NUL, then one more NUL. An empty list gives
// an empty text, which means "inherit the environment".
std::string EnvironmentBlock(const std::vector<std::string>& entries);

}  // namespace quorvel::process
