#pragma once
// The settings in the registry. The machine's key HKEY_LOCAL_MACHINE\SOFTWARE\Zarvent\Quorvel,
// shared by every account, holds the window's settings; it is never created by the program and
// is opened with exactly the rights the program needs (query and set values), the rights that
// the installer gives every user. The account's own key (HKEY_CURRENT_USER, same path with
// "Software"), created on demand, holds what belongs to one account: the marks of its game
// settings' restore and its proxy password. Called on the user-interface thread.
#include <optional>
#include <string>

#include "settings/settings_store.h"

namespace quorvel {

inline constexpr const char* kUserSettingsKeyPath = "Software\\Zarvent\\Quorvel";
inline constexpr const char* kProxyPasswordValue = "ProxyPassword";

class RegistrySettingsStore : public SettingsStore {
 public:
  // False when the key cannot be opened for querying and setting values.
  bool KeyExists() override;
  // Empty text when the key or the value is missing; throws AppError
  // "Invalid data type for '<name>'" for a value that is not a string.
  // "ProxyPassword" is the account's own (ReadProxyPassword).
  std::string ReadString(const std::string& name) override;
  // Throws AppError "Failed to set data for '<name>'" when the key is missing or the write
  // is refused. "ProxyPassword" goes to the account's own key, protected (WriteProxyPassword).
  void WriteString(const std::string& name, const std::string& text) override;
  void Flush() override;
};

// The account's own key; a missing key reads as empty and is created by the first write.
class UserSettingsStore : public SettingsStore {
 public:
  bool KeyExists() override;
  std::string ReadString(const std::string& name) override;
  // Throws AppError "Failed to set data for '<name>'" when the key cannot be created or the
  // write is refused.
  void WriteString(const std::string& name, const std::string& text) override;
  void Flush() override;
};

// The proxy password text as stored (Base64 of the password), kept in the account's own key
// protected with the account's Windows data protection, so no other account can read it. A
// text still found in the machine's key (where earlier versions kept it, readable by every
// account) is moved to the account's key on this first read and deleted from the machine's.
// Empty when there is none or it cannot be unprotected. Throws AppError "Invalid data type for
// 'ProxyPassword'" when the machine's value is not a string.
std::string ReadProxyPassword();
// Throws AppError "Failed to set data for 'ProxyPassword'" when it cannot be protected or
// written.
void WriteProxyPassword(const std::string& text);

}  // namespace quorvel
