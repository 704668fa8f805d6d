#include "settings/game_backup.h"

#include "platform/text.h"

namespace quorvel::backup {

std::string EntryText(std::uint32_t value) {
  return text::Format("%d", static_cast<int>(static_cast<std::int32_t>(value)));
}

std::optional<std::string> ProfileEntry(std::string_view fileBytes, std::string_view section,
                                        std::string_view key) {
  bool inSection = false;
  bool seenSection = false;
  for (const std::string& rawLine : text::Split(fileBytes, '\n')) {
    std::string line = text::Trim(rawLine);
    if (!line.empty() && line.front() == '[') {
      size_t close = line.find(']');
      std::string name =
          text::Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      // Only the first section of a name counts.
      if (inSection) return std::nullopt;
      inSection = !seenSection && text::EqualsNoCase(name, section);
      seenSection = seenSection || inSection;
      continue;
    }
    if (!inSection) continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (text::EqualsNoCase(text::Trim(line.substr(0, equals)), key))
      return text::Trim(line.substr(equals + 1));
  }
  return std::nullopt;
}

std::int32_t ParseEntry(std::string_view text, std::int32_t fallback) {
  return ParseEntryNumber(text).value_or(fallback);
}

std::optional<std::int32_t> ParseEntryNumber(std::string_view text) {
  std::string s = text::Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return std::nullopt;
  // Accumulate in 64 bits and stop as soon as the 32-bit range is left, so that any length
  // of digits is safe.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace quorvel::backup
