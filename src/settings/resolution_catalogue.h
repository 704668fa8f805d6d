#pragma once
// The fixed catalogue of nine screen sizes and the custom size. Its order is the order of the
// check boxes, of the runs of a series and of the report.
#include <array>
#include <string>

namespace quorvel {

struct ResolutionSlot {
  int Order;                  // 0..9
  const char* Label;          // check box label, Latin-1 ("\xD7" is the multiplication sign)
  const char* ModeText;       // as in the display mode list, "640 x 480"; empty for custom
  int Width;                  // 0 for custom
  int Height;                 // 0 for custom
  const char* RegistryValue;  // settings value of the slot's check box ("CusRes" for custom)
  const char* RunKey;         // key of the slot in a series and its report
  const char* StatusSuffix;   // appended to "Resolution: W \xD7 H" in the status text
};

inline constexpr int kFixedSlotCount = 9;
inline constexpr int kCustomSlot = 9;

// All ten slots; index == Order.
const std::array<ResolutionSlot, 10>& ResolutionCatalogue();

// The slot with this run key; nullptr when none has it.
const ResolutionSlot* SlotByRunKey(const std::string& runKey);

// "Resolution: 1280 \xD7 768 (HD WideScreen)..." for a slot; the custom slot uses the
// given width and height texts ("Resolution: 1000 \xD7 700 (Custom)...").
std::string SlotStatusText(const ResolutionSlot& slot, const std::string& customWidth = "",
                           const std::string& customHeight = "");

}  // namespace quorvel
