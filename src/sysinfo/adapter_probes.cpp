#include "sysinfo/adapter_probes.h"

#include <cstdlib>
#include <cstring>

#include "sysinfo/number_text.h"

namespace quorvel::sysinfo {

std::uint32_t ReadLe32(const void* data, size_t size, size_t offset) {
  if (!data || offset > size || size - offset < 4) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data) + offset;
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void WriteLe32(void* data, size_t size, size_t offset, std::uint32_t value) {
  if (!data || offset > size || size - offset < 4) return;
  auto* bytes = static_cast<std::uint8_t*>(data) + offset;
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::array<std::uint8_t, kAtiRequestSize> AtiRequest(std::uint32_t function) {
  std::array<std::uint8_t, kAtiRequestSize> request{};
  WriteLe32(request.data(), request.size(), 0, kAtiRequestSize);
  WriteLe32(request.data(), request.size(), 4, function);
  return request;
}

std::vector<std::uint8_t> AtiReply(size_t size) {
  std::vector<std::uint8_t> reply(size, 0);
  WriteLe32(reply.data(), reply.size(), 0, static_cast<std::uint32_t>(size));
  return reply;
}

std::string AtiClockText(std::uint32_t raw, char decimalSeparator) {
  return FormatQuotient(raw, 100, 2, decimalSeparator) + " MHz";
}

std::string FieldText(const char* field, size_t capacity) {
  if (!field) return std::string();
  const void* nul = std::memchr(field, '\0', capacity);
  size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : capacity;
  return std::string(field, length);
}

bool IsAtiHardwareId(const char* id, size_t capacity) {
  std::string text = FieldText(id, capacity);
  return text.size() >= 12 && text.compare(8, 4, kAtiVendor) == 0;
}

std::string CutBeforeParenthesis(std::string_view text) {
  return std::string(text.substr(0, text.find('(')));
}

std::array<std::uint8_t, kAdapterRequestSize> AdapterClockRequest(std::uint64_t blockAddress) {
  std::array<std::uint8_t, kAdapterRequestSize> request{};
  WriteLe32(request.data(), request.size(), 8, kAdapterClockFunction);
  WriteLe32(request.data(), request.size(), 16, static_cast<std::uint32_t>(blockAddress));
  WriteLe32(request.data(), request.size(), 20, static_cast<std::uint32_t>(blockAddress >> 32));
  WriteLe32(request.data(), request.size(), 24, kAdapterBlockSize);
  return request;
}

std::array<std::uint8_t, kAdapterBlockSize> AdapterClockBlock(std::uint32_t index) {
  std::array<std::uint8_t, kAdapterBlockSize> block{};
  WriteLe32(block.data(), block.size(), 0, index);
  return block;
}

std::string DriverClockText(std::uint32_t hz) { return FormatQuotient(hz, 1000000, 0, '.'); }

std::vector<std::string> CollectAdapterClocks(const AdapterClockAsk& ask) {
  std::vector<std::string> entries;
  for (bool second : {false, true}) {
    for (std::uint32_t index = 0; index < kAdapterClockIndices; ++index) {
      if (DriverClockText(ask(index, second)) == "0") continue;
      std::string again = DriverClockText(ask(index, second));
      entries.push_back(std::to_string(std::strtoll(again.c_str(), nullptr, 10)));
    }
  }
  return entries;
}

void TakeAdapterClocks(SystemInfoSnapshot& snapshot, const std::vector<std::string>& entries) {
  if (entries.size() == 6) {
    snapshot.AdapterGpuClock = entries[2] + " MHz";
    snapshot.AdapterMemoryClock = entries[5] + " MHz";
  }
  if (snapshot.AdapterMemoryClock == "0 MHz" || snapshot.AdapterGpuClock == "0 MHz")
    snapshot.AdapterFound = false;
}

}  // namespace quorvel::sysinfo
