// Any bytes as what the display driver and the registry answer: a reply record, a hardware
// identifier field, a registry text. The readers must stay within what they are given.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sysinfo/adapter_probes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace quorvel::sysinfo;
  std::vector<std::uint8_t> reply(data, data + size);
  for (size_t offset : {size_t{0}, kAtiMemoryClockOffset, kAtiEngineClockOffset,
                        kAdapterStatusOffset, size, size - 1, size - 3, size - 4})
    (void)ReadLe32(reply.data(), reply.size(), offset);
  std::uint32_t engine = ReadLe32(reply.data(), reply.size(), kAtiEngineClockOffset);
  std::string clock = AtiClockText(engine, ',');
  if (clock.size() < 8) std::abort();

  std::vector<char> field(data, data + size);
  std::string id = FieldText(field.data(), field.size());
  if (id.size() > size) std::abort();
  (void)IsAtiHardwareId(field.data(), field.size());

  std::string text(reinterpret_cast<const char*>(data), size);
  std::string cut = CutBeforeParenthesis(text);
  if (cut.size() > text.size() || cut.find('(') != std::string::npos) std::abort();
  if (size >= 4) {
    std::string mhz = DriverClockText(ReadLe32(data, size, 0));
    if (mhz.empty() || mhz.size() > 4) std::abort();
  }
  return 0;
}
