#pragma once
// The graphics adapter probes run at each series start, before the report's graphics block:
// the ATI driver's clocks and bus type, and the display adapter's name and clocks. They ask
// the display driver through CurrentSeams().DriverEscape and the display device list through
// CurrentSeams().DisplayDevice, and read the registry for real. Neither shows a message.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win.h"
#include "sysinfo/system_info.h"

namespace quorvel::sysinfo {

// One ATI driver query, made by ProbeAtiAdapter and dropped after it.
class TAtiAdapterInfo {
 public:
  double EngineClock = 0;  // MHz
  double MemoryClock = 0;  // MHz
  std::string AdapterString;
  // The driver's clock fields as they came, in units of 10 kHz.
  std::uint32_t EngineClockRaw = 0;
  std::uint32_t MemoryClockRaw = 0;

  // True when the clock and the memory escapes were both answered (ExtEscape returned 0) and
  // the first display's adapter is an ATI one. Each step runs only when the one before
  // succeeded. User-interface thread.
  bool Query();
};

// Fills AtiFound and, when found, AtiCardName, AtiVpuClock and AtiMemoryClock; then AtiBusType
// and AtiMemoryType from the ATI driver's registry entry as far as it exists. Throws AppError
// "Invalid data type for '<name>'" for a non-empty registry value that is not a string.
// User-interface thread.
void ProbeAtiAdapter(SystemInfoSnapshot& snapshot);

// Fills AdapterFound and AdapterName from the display adapter class's first entry, and the two
// adapter clocks from the driver when it gives all six values; AdapterFound ends false when the
// entry is missing or a clock text is "0 MHz". Throws AppError "Invalid data type for
// 'DriverDesc'" for a non-string description. User-interface thread.
void ProbeDisplayAdapter(SystemInfoSnapshot& snapshot);

// One adapter clock value (index 0 to 5, first or second value), 0 when it is not answered.
// User-interface thread.
std::uint32_t AskAdapterClock(std::uint32_t index, bool second);

// A string value as the probes read it: absent when missing, the text for a string, empty for
// a value of another type with no content. Throws AppError "Invalid data type for '<name>'"
// for any other value.
std::optional<std::string> ReadProbeString(HKEY key, const std::string& name);

}  // namespace quorvel::sysinfo
