#pragma once
// The program's settings key, HKEY_LOCAL_MACHINE\SOFTWARE\Zarvent\Quorvel: string values only.
// The key is never created by the program. Every call opens the key itself.
// Called on the user-interface thread.
#include <string>

namespace quorvel {

inline constexpr const char* kSettingsKeyPath = "SOFTWARE\\Zarvent\\Quorvel";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // True when the key exists.
  virtual bool KeyExists() = 0;
  // The value's text; empty when the value or the key is missing.
  // Throws AppError "Invalid data type for '<name>'" for a value that is not a string.
  virtual std::string ReadString(const std::string& name) = 0;
  // Writes the value as a string. Throws AppError "Failed to set data for '<name>'" when the
  // key is missing or the write fails.
  virtual void WriteString(const std::string& name, const std::string& text) = 0;
  // Puts what was written so far on disk, so that it survives a power loss. Never throws.
  virtual void Flush() {}
};

}  // namespace quorvel
