#include "settings/registry_settings_store_win.h"

#include <vector>

#include "platform/win.h"

#include <wincrypt.h>

#include "platform/errors.h"
#include "platform/registry_win.h"
#include "platform/text.h"

namespace quorvel {

namespace {

// Query and set values: all the program does with the machine's key, and all the rights that
// users hold on it.
constexpr REGSAM kSettingsAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

RegKey OpenSettingsKey() {
  return reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, kSettingsAccess);
}

RegKey OpenUserKey() { return reg::Open(HKEY_CURRENT_USER, kUserSettingsKeyPath, kSettingsAccess); }

RegKey CreateUserKey() {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kUserSettingsKeyPath, 0, nullptr, 0, kSettingsAccess,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
    return RegKey();
  return RegKey(key);
}

[[noreturn]] void WriteFailed(const std::string& name) {
  throw AppError(text::Format("Failed to set data for '%s'", name.c_str()));
}

// The account's protected copy of the password text; nullopt when there is none or it
// cannot be unprotected (another account's, a damaged value).
std::optional<std::string> ReadProtectedPassword() {
  RegKey key = OpenUserKey();
  if (!key) return std::nullopt;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key.Get(), kProxyPasswordValue, nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_BINARY)
    return std::nullopt;
  std::vector<BYTE> blob(size);
  if (size > 0 && ::RegQueryValueExA(key.Get(), kProxyPasswordValue, nullptr, &type, blob.data(),
                                     &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (size == 0) return std::string();
  DATA_BLOB in = {size, blob.data()};
  DATA_BLOB out = {};
  if (!::CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out))
    return std::nullopt;
  std::string text(reinterpret_cast<const char*>(out.pbData), out.cbData);
  ::SecureZeroMemory(out.pbData, out.cbData);
  ::LocalFree(out.pbData);
  return text;
}

bool WriteProtectedPassword(const std::string& text) {
  DATA_BLOB in = {static_cast<DWORD>(text.size()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(text.data()))};
  DATA_BLOB out = {};
  if (!::CryptProtectData(&in, L"Quorvel proxy password", nullptr, nullptr, nullptr,
                          CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  RegKey key = CreateUserKey();
  bool ok = key && ::RegSetValueExA(key.Get(), kProxyPasswordValue, 0, REG_BINARY, out.pbData,
                                    out.cbData) == ERROR_SUCCESS;
  ::LocalFree(out.pbData);
  if (ok) ::RegFlushKey(key.Get());
  return ok;
}

}  // namespace

std::string ReadProxyPassword() {
  if (std::optional<std::string> mine = ReadProtectedPassword()) return *mine;
  RegKey machine = OpenSettingsKey();
  if (!machine) return std::string();
  const std::string shared =
      reg::ReadString(machine.Get(), kProxyPasswordValue).value_or(std::string());
  // Only once it is safely the account's own does it leave the machine's key.
  if (!shared.empty() && WriteProtectedPassword(shared))
    ::RegDeleteValueA(machine.Get(), kProxyPasswordValue);
  return shared;
}

void WriteProxyPassword(const std::string& text) {
  if (!WriteProtectedPassword(text)) WriteFailed(kProxyPasswordValue);
}

bool RegistrySettingsStore::KeyExists() { return static_cast<bool>(OpenSettingsKey()); }

std::string RegistrySettingsStore::ReadString(const std::string& name) {
  RegKey key = OpenSettingsKey();
  if (!key) return std::string();
  if (name == kProxyPasswordValue) return ReadProxyPassword();
  return reg::ReadString(key.Get(), name).value_or(std::string());
}

void RegistrySettingsStore::WriteString(const std::string& name, const std::string& text) {
  RegKey key = OpenSettingsKey();
  // A missing key gives a null handle, which the write reports as its own failure.
  if (name == kProxyPasswordValue) {
    if (!key) WriteFailed(name);
    WriteProxyPassword(text);
    return;
  }
  reg::WriteString(key.Get(), name, text);
}

void RegistrySettingsStore::Flush() {
  if (RegKey key = OpenSettingsKey()) ::RegFlushKey(key.Get());
}

bool UserSettingsStore::KeyExists() { return static_cast<bool>(OpenUserKey()); }

std::string UserSettingsStore::ReadString(const std::string& name) {
  RegKey key = OpenUserKey();
  if (!key) return std::string();
  return reg::ReadString(key.Get(), name).value_or(std::string());
}

void UserSettingsStore::WriteString(const std::string& name, const std::string& text) {
  RegKey key = CreateUserKey();
  if (!key) WriteFailed(name);
  reg::WriteString(key.Get(), name, text);
}

void UserSettingsStore::Flush() {
  if (RegKey key = OpenUserKey()) ::RegFlushKey(key.Get());
}

}  // namespace quorvel
