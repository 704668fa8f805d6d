#include "ui/mode_text.h"

namespace quorvel {

std::optional<std::pair<std::string, std::string>> SplitModeText(const std::string& line) {
  size_t x = line.find('x');
  if (x == std::string::npos) return std::nullopt;
  std::string width = line.substr(0, x);
  if (!width.empty() && width.back() == ' ') width.pop_back();
  std::string height = line.substr(x + 1);
  if (!height.empty() && height.front() == ' ') height.erase(0, 1);
  return std::make_pair(width, height);
}

}  // namespace quorvel
