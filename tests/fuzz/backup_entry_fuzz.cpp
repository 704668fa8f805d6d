// Any text read from a backup file: never crashes, and whatever number it yields is one
// that the backup would write back as text giving the same number. The whole input read as
// a backup file's bytes: finding an entry in it never crashes either.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/game_backup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::int32_t kFallback = 1024;
  std::int32_t n = quorvel::backup::ParseEntry(input, kFallback);
  if (n != kFallback) {
    std::uint32_t stored = static_cast<std::uint32_t>(n);
    if (quorvel::backup::ParseEntry(quorvel::backup::EntryText(stored), kFallback + 1) != n)
      std::abort();
  }
  if (auto entry = quorvel::backup::ProfileEntry(input, "ScreenWidth", "Value"))
    if (entry->size() > input.size()) std::abort();
  return 0;
}
