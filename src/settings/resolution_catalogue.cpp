#include "settings/resolution_catalogue.h"

namespace quorvel {

const std::array<ResolutionSlot, 10>& ResolutionCatalogue() {
  static const std::array<ResolutionSlot, 10> kSlots = {{
      {0, "640 \xD7 480", "640 x 480", 640, 480, "640", "640", ""},
      {1, "800 \xD7 600", "800 x 600", 800, 600, "800", "800", ""},
      {2, "1024 \xD7 768", "1024 x 768", 1024, 768, "1024", "1024", ""},
      {3, "1280 \xD7 1024", "1280 x 1024", 1280, 1024, "1280", "1280", ""},
      {4, "1600 \xD7 1200", "1600 x 1200", 1600, 1200, "1600", "1600", ""},
      {5, "2048 \xD7 1536", "2048 x 1536", 2048, 1536, "2048", "2048", ""},
      {6, "1280 \xD7 768", "1280 x 768", 1280, 768, "hdw1", "hdtv1", " (HD WideScreen)"},
      {7, "1920 \xD7 1080", "1920 x 1080", 1920, 1080, "hdw2", "hdtv2", " (HD WideScreen)"},
      {8, "1920 \xD7 1200", "1920 x 1200", 1920, 1200, "hdw3", "hdtv3", " (HD WideScreen)"},
      {9, "Custom resolution:", "", 0, 0, "CusRes", "custom", " (Custom)"},
  }};
  return kSlots;
}

const ResolutionSlot* SlotByRunKey(const std::string& runKey) {
  for (const ResolutionSlot& slot : ResolutionCatalogue())
    if (runKey == slot.RunKey) return &slot;
  return nullptr;
}

std::string SlotStatusText(const ResolutionSlot& slot, const std::string& customWidth,
                           const std::string& customHeight) {
  std::string w = slot.Order == kCustomSlot ? customWidth : std::to_string(slot.Width);
  std::string h = slot.Order == kCustomSlot ? customHeight : std::to_string(slot.Height);
  return "Resolution: " + w + " \xD7 " + h + slot.StatusSuffix + "...";
}

}  // namespace quorvel
