#pragma once
// The machine's physical memory.
#include <cstdint>

namespace quorvel {

// Total physical memory in bytes (sizes above 4 GB included); 0 when Windows does not say.
// Any thread may call it.
std::uint64_t TotalPhysicalMemoryBytes();

}  // namespace quorvel
