#include "sysinfo/memory_win.h"

#include "platform/win.h"

namespace quorvel {

std::uint64_t TotalPhysicalMemoryBytes() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  if (::GlobalMemoryStatusEx(&status)) return status.ullTotalPhys;
  // SIZE_T is 64 bits wide in this program, so the older call reports large sizes too.
  MEMORYSTATUS basic = {};
  basic.dwLength = sizeof(basic);
  ::GlobalMemoryStatus(&basic);
  return basic.dwTotalPhys;
}

}  // namespace quorvel
