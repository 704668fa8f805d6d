#pragma once
// Registry access with the program's own error texts. Every function opens what it needs;
// none keeps state between calls. All run on the user-interface thread.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/handles_win.h"

namespace quorvel::reg {

// Opens an existing key (never creates it); an empty RegKey when it cannot be opened.
RegKey Open(HKEY root, const std::string& path, REGSAM access = KEY_READ);

// Whether the key exists (can be opened for reading).
bool KeyExists(HKEY root, const std::string& path);

// The string value `name` of an open key; nullopt when the value is missing.
// Throws AppError "Invalid data type for '<name>'" when the value is not REG_SZ/REG_EXPAND_SZ.
std::optional<std::string> ReadString(HKEY key, const std::string& name);

// Writes `text` as REG_SZ. Throws AppError "Failed to set data for '<name>'" on failure
// (a null key included).
void WriteString(HKEY key, const std::string& name, const std::string& text);

// The REG_DWORD value `name`. Throws "Failed to get data for '<name>'" when missing or
// unreadable and "Invalid data type for '<name>'" when of another type.
std::uint32_t ReadDword(HKEY key, const std::string& name);

// Writes a REG_DWORD. Throws "Failed to set data for '<name>'" on failure.
void WriteDword(HKEY key, const std::string& name, std::uint32_t value);

}  // namespace quorvel::reg
