#pragma once
// The items of the main window's setting lists, by index. The configuration writer works from
// the indexes, the report prints the shown texts. Latin-1 ("\xD7" is the multiplication sign).
#include <array>
#include <span>
#include <string>

namespace quorvel::bench {

inline constexpr std::array<const char*, 7> kAFBoxItems = {
    "Bilinear",          "Trilinear",          "Anisotropic 2\xD7", "Anisotropic 4\xD7",
    "Anisotropic 8\xD7", "Anisotropic 16\xD7", "From System"};
inline constexpr std::array<const char*, 5> kAABoxItems = {"None", "2\xD7", "4\xD7", "6\xD7",
                                                           "From System"};
inline constexpr std::array<const char*, 3> kHDRBoxItems = {"None", "Bloom (if available)",
                                                            "Full (if available)"};
inline constexpr std::array<const char*, 5> kHeapsizeBoxItems = {"64 MB - default", "128 MB",
                                                                 "256 MB", "512 MB", "1024 MB"};
inline constexpr std::array<const char*, 4> kRefreshBoxItems = {"60 Hz", "70 Hz", "75 Hz", "85 Hz"};

// The shown text of a list whose selected index is `index`: empty when nothing (or an index
// outside the list) is selected, as a list without a selection shows.
inline std::string ItemText(std::span<const char* const> items, int index) {
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return std::string();
  return items[static_cast<size_t>(index)];
}

}  // namespace quorvel::bench
