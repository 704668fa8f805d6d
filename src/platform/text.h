#pragma once
#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers shared by the portable logic. Texts are single-byte (Latin-1).
namespace quorvel::text {

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Removes blanks and control characters (<= ' ') at both ends, as the program's fields expect.
std::string Trim(std::string_view s);

// ASCII upper/lower case; other bytes are kept.
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);

// Case-insensitive (ASCII) equality and substring search.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);

// Every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Splits on `separator`; empty fields are kept.
std::vector<std::string> Split(std::string_view s, char separator);

// Folder text with a trailing backslash (unchanged when it already has one or is empty).
std::string WithBackslash(std::string_view folder);

// The full paths of a file-open dialog's multiple selection: "folder\0name\0name\0\0", or one
// full path "path\0\0" when a single file was chosen. Never reads past `buffer`.
std::vector<std::string> OpenDialogSelection(std::string_view buffer);

}  // namespace quorvel::text
