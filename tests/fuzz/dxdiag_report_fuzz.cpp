// Any bytes as the diagnostics tool's report: the parser must neither crash nor read past
// the input, and every value it finds must come from the report itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sysinfo/dxdiag_report.h"

namespace {
void CheckFrom(const std::string& decoded, const std::optional<std::string>& value) {
  if (value && decoded.find(*value) == std::string::npos) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  // Copy into a buffer of exactly `size` bytes so that ASan sees any read past the end.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string_view view(bytes.data(), bytes.size());
  auto lines = quorvel::sysinfo::SplitReportLines(view);
  auto values = quorvel::sysinfo::ParseDxdiagReport(lines);
  std::string joined;
  for (const std::string& line : lines) joined += line + "\n";
  // Values other than the sound device are cut straight out of one line.
  CheckFrom(joined, values.CardName);
  CheckFrom(joined, values.DisplayMemory);
  CheckFrom(joined, values.DriverVersion);
  for (const std::string& line : lines)
    if (line.find('\r') != std::string::npos || line.find('\n') != std::string::npos) std::abort();
  return 0;
}
