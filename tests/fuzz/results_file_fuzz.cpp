// Result files of any shape for the comparison: the reader must neither crash nor read past
// the bytes it is given, and whatever it accepts must make a page.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "bench/compare_page.h"
#include "bench/results_export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto read = quorvel::bench::ReadResultsFile(bytes, "fuzz.json");
  if (auto* result = std::get_if<quorvel::bench::ComparedResult>(&read)) {
    std::string page = quorvel::bench::ComparePageHtml({*result, *result});
    if (page.find("</html>") == std::string::npos) std::abort();
  } else if (std::get<std::string>(read).empty()) {
    std::abort();  // a refusal always says why
  }
  quorvel::bench::ResultFileFields(bytes);
  return 0;
}
