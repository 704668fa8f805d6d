#pragma once
// The settings key in the registry: HKEY_LOCAL_MACHINE\SOFTWARE\Zarvent\Quorvel, opened with
// full access by every call and never created. Called on the user-interface thread.
#include <string>

#include "settings/settings_store.h"

namespace quorvel {

class RegistrySettingsStore : public SettingsStore {
 public:
  // False when the key cannot be opened with full access.
  bool KeyExists() override;
  // Empty text when the key or the value is missing; throws AppError
  // "Invalid data type for '<name>'" for a value that is not a string.
  std::string ReadString(const std::string& name) override;
  // Throws AppError "Failed to set data for '<name>'" when the key is missing or the write
  // is refused.
  void WriteString(const std::string& name, const std::string& text) override;
  void Flush() override;
};

}  // namespace quorvel
