#pragma once
// Shared helpers of the stand-in programs (test tools, never shipped): their folder, their
// knobs, their logs and command-line tokens.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/win.h"

// sddl.h needs windows.h first.
#include <sddl.h>

namespace standin {

// Folder of the running program, ending with "\".
inline std::string ExeFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string full(path, n);
  size_t cut = full.find_last_of('\\');
  return cut == std::string::npos ? std::string() : full.substr(0, cut + 1);
}

inline std::string ExePath() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, n);
}

// A knob: key `key` of section `section` in "standin.ini" beside the program when present,
// else the environment variable `envName`, else `fallback`. The file comes first because a
// long-running Steam stand-in hands its own environment, fixed at its start, to every game.
inline std::string Knob(const char* section, const char* key, const char* envName,
                        const std::string& fallback) {
  std::string ini = ExeFolder() + "standin.ini";
  char value[4096] = {};
  ::GetPrivateProfileStringA(section, key, "\x01", value, sizeof(value), ini.c_str());
  if (std::string(value) != "\x01") return value;
  if (const char* env = std::getenv(envName)) return env;
  return fallback;
}

inline long KnobNumber(const char* section, const char* key, const char* envName, long fallback) {
  std::string text = Knob(section, key, envName, "");
  if (text.empty()) return fallback;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 0);
  return end == text.c_str() ? fallback : value;
}

inline bool FileExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Appends `text` and a line break to the file; false when it cannot be written.
inline bool AppendLine(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fwrite("\r\n", 1, 2, f);
  std::fclose(f);
  return true;
}

inline bool WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return true;
}

// The whole file as lines without their line breaks; empty when it cannot be read.
inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return lines;
  std::string line;
  bool any = false;
  for (int c; (c = std::fgetc(f)) != EOF;) {
    any = true;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
      any = false;
    } else {
      line += static_cast<char>(c);
    }
  }
  if (any) lines.push_back(line);
  std::fclose(f);
  return lines;
}

// One token of a command line and the offset just past it in the raw text.
struct Token {
  std::string text;
  size_t end = 0;
};

// Splits at blanks and tabs; double quotes group blanks into a token and are dropped.
inline std::vector<Token> Tokens(const std::string& commandLine) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < commandLine.size()) {
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    if (i >= commandLine.size()) break;
    Token token;
    bool quoted = false;
    while (i < commandLine.size() &&
           (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        token.text += commandLine[i];
      ++i;
    }
    token.end = i;
    tokens.push_back(token);
  }
  return tokens;
}

// The raw text after offset `from`, without the blanks that start it.
inline std::string RestAfter(const std::string& commandLine, size_t from) {
  if (from >= commandLine.size()) return std::string();
  size_t start = commandLine.find_first_not_of(" \t", from);
  return start == std::string::npos ? std::string() : commandLine.substr(start);
}

inline bool EqualsNoCase(const std::string& a, const char* b) {
  return ::lstrcmpiA(a.c_str(), b) == 0;
}

// Textual SID of the user running the program; empty when it cannot be read.
inline std::string UserSid() {
  HANDLE rawToken = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return std::string();
  quorvel::UniqueHandle token(rawToken);
  DWORD size = 0;
  ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  std::string sid;
  if (::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
    char* text = nullptr;
    if (::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
      sid = text;
      ::LocalFree(text);
    }
  }
  return sid;
}

}  // namespace standin
