#pragma once
// The screen sizes that the display the program runs on offers.
#include <string>
#include <vector>

namespace quorvel {

// Distinct "W x H" texts in the order the display first reports each size, taken afresh
// from CurrentSeams().DisplayMode; empty when the display reports no mode. Never throws.
// Called on the user-interface thread.
std::vector<std::string> DisplayModeList();

}  // namespace quorvel
