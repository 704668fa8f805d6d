#include "sysinfo/dxdiag_report.h"

#include <cstring>

#include "platform/text.h"

namespace quorvel::sysinfo {

namespace {

std::string Utf16ToLatin1(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned code = static_cast<unsigned char>(bytes[i]) |
                    (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
  }
  return out;
}

// The text of the line that holds `label`, from `start` up to (not including) `end`; npos
// when no line does.
size_t FindLabel(const std::vector<std::string>& lines, size_t start, size_t end, const char* label,
                 std::string* text) {
  for (size_t i = start; i < end && i < lines.size(); ++i) {
    std::string candidate = LineText(lines[i]);
    if (text::ContainsNoCase(candidate, label)) {
      *text = std::move(candidate);
      return i;
    }
  }
  return std::string::npos;
}

// The value is cut by position, as if the label started the text.
std::string From(const std::string& text, size_t position) {
  return position < text.size() ? text.substr(position) : std::string();
}

// A section of the report starts with a rule of dashes above its title.
bool IsSectionRule(const std::string& line) {
  size_t first = line.find_first_not_of(' ');
  return first != std::string::npos && line.find_first_not_of("- ", first) == std::string::npos;
}

// The first line after `from` that starts another section; the number of lines when none does.
size_t SectionEnd(const std::vector<std::string>& lines, size_t from) {
  for (size_t i = from + 1; i < lines.size(); ++i)
    if (IsSectionRule(lines[i])) return i;
  return lines.size();
}

void EraseFirst(std::string& text, char c) {
  size_t at = text.find(c);
  if (at != std::string::npos) text.erase(at, 1);
}

}  // namespace

std::vector<std::string> SplitReportLines(std::string_view file) {
  std::string decoded;
  if (file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0xFF &&
      static_cast<unsigned char>(file[1]) == 0xFE) {
    decoded = Utf16ToLatin1(file.substr(2));
    file = decoded;
  }
  std::vector<std::string> lines;
  size_t begin = 0;
  size_t i = 0;
  while (i < file.size()) {
    char c = file[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(file.substr(begin, i - begin));
      ++i;
      if (c == '\r' && i < file.size() && file[i] == '\n') ++i;
      begin = i;
    } else {
      ++i;
    }
  }
  if (begin < file.size()) lines.emplace_back(file.substr(begin));
  return lines;
}

std::string LineText(std::string_view line) {
  size_t equals = line.find('=');
  std::string_view text;
  if (equals != std::string_view::npos)
    text = line.substr(equals + 1);
  else if (!line.empty())
    text = line.substr(1);
  size_t first = 0;
  while (first < text.size() && text[first] == ' ') ++first;
  return std::string(text.substr(first));
}

DxdiagValues ParseDxdiagReport(const std::vector<std::string>& lines) {
  DxdiagValues values;
  size_t start = 0;
  std::string text;
  size_t end = lines.size();
  auto scan = [&](const char* label) -> bool {
    size_t found = FindLabel(lines, start, end, label, &text);
    if (found == std::string::npos) return false;
    start = found;
    return true;
  };
  // Without a card name the report has no display device, and a "Driver Version:" further
  // down would be a sound device's: the display values are then not looked for at all. For
  // the same reason the display labels are looked for only up to the next section.
  if (scan(kCardNameLabel)) {
    values.CardName = From(text, std::strlen(kCardNameLabel));
    end = SectionEnd(lines, start);
    if (scan(kDisplayMemoryLabel))
      values.DisplayMemory = From(text, std::strlen(kDisplayMemoryLabel));
    if (scan(kDriverVersionLabel))
      values.DriverVersion = From(text, std::strlen(kDriverVersionLabel));
    end = lines.size();
  }
  if (scan(kDescriptionLabel)) {
    // Cut one character early, so the value starts with the label's colon.
    std::string sound = From(text, std::strlen(kDescriptionLabel) - 1);
    EraseFirst(sound, ':');
    EraseFirst(sound, ' ');
    values.SoundDevice = std::move(sound);
  }
  return values;
}

DxdiagValues ParseDxdiagReportFile(std::string_view file) {
  return ParseDxdiagReport(SplitReportLines(file));
}

std::string DxdiagCommandLine(const std::string& systemFolder, const std::string& outputFolder) {
  return systemFolder + kDxdiagProgram + kDxdiagArguments + "\"" + outputFolder +
         kDxdiagReportFile + "\"";
}

}  // namespace quorvel::sysinfo
