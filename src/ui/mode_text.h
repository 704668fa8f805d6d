#pragma once
// Reading a display mode line such as "1280 x 1024" back into its two numbers.
#include <optional>
#include <string>
#include <utility>

namespace quorvel {

// Width: the text before the first small "x" without the blank before it; height: the text
// after that "x" without the blank after it. nullopt when the line has no "x".
std::optional<std::pair<std::string, std::string>> SplitModeText(const std::string& line);

}  // namespace quorvel
