#include "platform/registry_win.h"

#include <vector>

#include "platform/errors.h"
#include "platform/text.h"

namespace quorvel::reg {

RegKey Open(HKEY root, const std::string& path, REGSAM access) {
  std::string sub = path;
  if (!sub.empty() && sub.front() == '\\') sub.erase(0, 1);
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, sub.c_str(), 0, access, &key) != ERROR_SUCCESS) return RegKey();
  return RegKey(key);
}

bool KeyExists(HKEY root, const std::string& path) { return static_cast<bool>(Open(root, path)); }

std::optional<std::string> ReadString(HKEY key, const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw AppError(text::Format("Invalid data type for '%s'", name.c_str()));
  // The value may change between the two calls; ask again until the buffer fits.
  std::vector<char> buffer(size + 1);
  while (true) {
    DWORD got = static_cast<DWORD>(buffer.size() - 1);
    rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                            reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2 + 1);
      continue;
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      throw AppError(text::Format("Invalid data type for '%s'", name.c_str()));
    buffer[got] = '\0';
    // Stored strings usually end with their terminator; the text ends at the first one.
    std::string out(buffer.data(), got);
    size_t nul = out.find('\0');
    if (nul != std::string::npos) out.resize(nul);
    return out;
  }
}

void WriteString(HKEY key, const std::string& name, const std::string& text) {
  LONG rc = key ? ::RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>(text.size() + 1))
                : ERROR_INVALID_HANDLE;
  if (rc != ERROR_SUCCESS) throw AppError(text::Format("Failed to set data for '%s'", name.c_str()));
}

std::uint32_t ReadDword(HKEY key, const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (!key || ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    throw AppError(text::Format("Failed to get data for '%s'", name.c_str()));
  if (type != REG_DWORD || size != sizeof(DWORD))
    throw AppError(text::Format("Invalid data type for '%s'", name.c_str()));
  DWORD value = 0;
  size = sizeof(value);
  if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS)
    throw AppError(text::Format("Failed to get data for '%s'", name.c_str()));
  if (type != REG_DWORD) throw AppError(text::Format("Invalid data type for '%s'", name.c_str()));
  return value;
}

void WriteDword(HKEY key, const std::string& name, std::uint32_t value) {
  DWORD v = value;
  LONG rc = key ? ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&v), sizeof(v))
                : ERROR_INVALID_HANDLE;
  if (rc != ERROR_SUCCESS) throw AppError(text::Format("Failed to set data for '%s'", name.c_str()));
}

}  // namespace quorvel::reg
