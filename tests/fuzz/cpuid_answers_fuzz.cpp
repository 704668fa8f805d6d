// Any bytes as the processor's CPUID answers (16 bytes per leaf, leaves 0, 1, 0x80000000 and
// on, in that order; missing ones answer zero): the name must stay within the 48 characters of
// the brand text and come out whatever the answers say.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sysinfo/host_probes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace quorvel::sysinfo;
  auto answer = [data, size](std::uint32_t leaf) {
    size_t slot = leaf >= 0x80000000u ? 2 + (leaf - 0x80000000u) : leaf;
    CpuidRegisters r;
    if (slot > 16 || (slot + 1) * 16 > size) return r;
    std::memcpy(&r, data + slot * 16, 16);
    return r;
  };
  ProcessorRecord record = IdentifyProcessor(true, answer);
  if (record.Name.empty() || record.Name.size() > 48) std::abort();
  if (record.Name.find('\0') != std::string::npos) std::abort();
  if (record.VendorIDString.size() != 12) std::abort();
  return 0;
}
