// Headers, dates, realms and URLs of any shape: the HTTP text functions must neither crash
// nor read past the bytes they are given, and what they give must hold together.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/helper_command.h"
#include "update/http_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel::http;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int bias : {0, -120, 300}) {
    DateTime value = ParseHttpDate(input, bias);
    if (!std::isfinite(value)) std::abort();
    // Every accepted date lies within the years the calendar allows.
    if (value != 0 && (value < -693594 - 10 || value > 2958466 + 10)) std::abort();
  }
  std::string realm = RealmFromAuthenticate(input);
  if (realm.size() > input.size()) std::abort();
  std::string encoded = ReencodeExtra(input);
  if (encoded.size() < input.size() || encoded.size() > 3 * input.size()) std::abort();
  for (char c : encoded) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x80 || c == ' ') std::abort();
  }
  if (PercentDecode(input).size() > input.size()) std::abort();
  if (auto n = HeaderNumber(input); n && *n < 0) std::abort();
  if (WithScheme(input).find("://") == std::string::npos) std::abort();
  // The helper's command line, split at blanks as the platform gives it.
  std::vector<std::string> arguments;
  std::string word;
  for (char c : input) {
    if (c == ' ') {
      arguments.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  arguments.push_back(word);
  quorvel::update::HelperCommand command = quorvel::update::ParseHelperArguments(arguments);
  if (command.ProgramFolder.size() > command.ProgramPath.size()) std::abort();
  return 0;
}
