#include "settings/game_backup.h"

#include "platform/text.h"

namespace quorvel::backup {

std::string EntryText(std::uint32_t value) {
  return text::Format("%d", static_cast<int>(static_cast<std::int32_t>(value)));
}

std::int32_t ParseEntry(std::string_view text, std::int32_t fallback) {
  std::string s = text::Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return fallback;
  // Accumulate in 64 bits and stop as soon as the 32-bit range is left, so that any length
  // of digits is safe.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c < '0' || c > '9') return fallback;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return fallback;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace quorvel::backup
