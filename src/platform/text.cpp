#include "platform/text.h"

#include <cstdio>

namespace quorvel::text {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return out;
}

std::string Trim(std::string_view s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
  return std::string(s.substr(begin, end - begin));
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Lower(a) == Lower(b);
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return Lower(haystack).find(Lower(needle)) != std::string::npos;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::vector<std::string> Split(std::string_view s, char separator) {
  std::vector<std::string> fields;
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(separator, pos);
    if (hit == std::string_view::npos) {
      fields.emplace_back(s.substr(pos));
      return fields;
    }
    fields.emplace_back(s.substr(pos, hit - pos));
    pos = hit + 1;
  }
}

std::string WithBackslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out.push_back('\\');
  return out;
}

std::vector<std::string> OpenDialogSelection(std::string_view buffer) {
  std::vector<std::string> parts;
  while (!buffer.empty() && buffer.front() != '\0') {
    size_t end = buffer.find('\0');
    parts.emplace_back(buffer.substr(0, end));
    if (end == std::string_view::npos) break;
    buffer.remove_prefix(end + 1);
  }
  if (parts.size() <= 1) return parts;
  std::vector<std::string> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(WithBackslash(parts[0]) + parts[i]);
  return paths;
}

}  // namespace quorvel::text
