#pragma once
// Reading the DirectX diagnostics tool's text report: the first display device's card name,
// video memory and driver version and the first sound device's description.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::sysinfo {

// The tool's output file in the account's data folder, and its arguments before that file's
// path.
inline constexpr const char* kDxdiagReportFile = "dxinfo.txt";
inline constexpr const char* kDxdiagProgram = "\\dxdiag.exe";
inline constexpr const char* kDxdiagArguments = " /whql:on /t ";

// The labels the report is scanned for, in the order of the scan.
inline constexpr const char* kCardNameLabel = "Card name:";
inline constexpr const char* kDisplayMemoryLabel = "Display Memory:";
inline constexpr const char* kDriverVersionLabel = "Driver Version:";
inline constexpr const char* kDescriptionLabel = "Description:";

// The values cut from a report; a label that the scan did not find leaves its value absent.
struct DxdiagValues {
  std::optional<std::string> CardName;       // keeps the blank after the label's colon
  std::optional<std::string> DisplayMemory;  // keeps the blank after the label's colon
  std::optional<std::string> DriverVersion;  // keeps the blank after the label's colon
  std::optional<std::string> SoundDevice;    // colon and first blank removed
};

// The file's lines: a line ends at CR LF, LF or CR; a final line break adds no empty line.
// A file that starts with the UTF-16 little-endian byte order mark is read as UTF-16, each
// character outside Latin-1 becoming "?". Pure; any thread.
std::vector<std::string> SplitReportLines(std::string_view file);

// The text a line is searched in: what follows its first "=", or the line without its first
// character when it has none; leading blanks removed. Pure; any thread.
std::string LineText(std::string_view line);

// Scans the lines for the four labels in order, each search starting on the line where the
// previous label was found (a label that is not found leaves the start where it was). When
// there is no card name, the video memory and driver version are not looked for.
// Never fails; pure; any thread.
DxdiagValues ParseDxdiagReport(const std::vector<std::string>& lines);

// SplitReportLines and ParseDxdiagReport in one. Pure; any thread.
DxdiagValues ParseDxdiagReportFile(std::string_view file);

// The tool's command line: `systemFolder` (no trailing backslash) + "\dxdiag.exe /whql:on /t "
// + the output file `outputFolder` (with its trailing backslash) + "dxinfo.txt" in double
// quotes, since an account's folder may hold blanks ("C:\Documents and Settings\...").
std::string DxdiagCommandLine(const std::string& systemFolder, const std::string& outputFolder);

}  // namespace quorvel::sysinfo
