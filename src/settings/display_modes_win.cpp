#include "settings/display_modes_win.h"

#include "platform/seams_win.h"
#include "settings/bench_settings.h"

namespace quorvel {

std::vector<std::string> DisplayModeList() {
  return BuildDisplayModeList([](unsigned number, unsigned* width, unsigned* height) {
    DWORD w = 0;
    DWORD h = 0;
    if (!CurrentSeams().DisplayMode(number, &w, &h)) return false;
    *width = w;
    *height = h;
    return true;
  });
}

}  // namespace quorvel
