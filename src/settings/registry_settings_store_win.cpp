#include "settings/registry_settings_store_win.h"

#include "platform/registry_win.h"

namespace quorvel {

namespace {
RegKey OpenSettingsKey() { return reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS); }
}  // namespace

bool RegistrySettingsStore::KeyExists() { return static_cast<bool>(OpenSettingsKey()); }

std::string RegistrySettingsStore::ReadString(const std::string& name) {
  RegKey key = OpenSettingsKey();
  if (!key) return std::string();
  return reg::ReadString(key.Get(), name).value_or(std::string());
}

void RegistrySettingsStore::WriteString(const std::string& name, const std::string& text) {
  RegKey key = OpenSettingsKey();
  // A missing key gives a null handle, which the write reports as its own failure.
  reg::WriteString(key.Get(), name, text);
}

void RegistrySettingsStore::Flush() {
  if (RegKey key = OpenSettingsKey()) ::RegFlushKey(key.Get());
}

}  // namespace quorvel
