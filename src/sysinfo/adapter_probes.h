#pragma once
// The graphics adapter's bus type and clocks: the records of the display driver's private
// escapes, the tests on what the driver and the registry answer, and the clock texts.
// Every reader here checks its bounds: a field beyond the data it is given reads as 0.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sysinfo/system_info.h"

namespace quorvel::sysinfo {

// ATI driver escapes, sent to a device context for the first display.
inline constexpr const char* kFirstDisplay = "\\\\.\\DISPLAY1";
inline constexpr int kAtiEscape = 0x7306;
inline constexpr std::uint32_t kAtiClockFunction = 0x00110013;
inline constexpr std::uint32_t kAtiMemoryFunction = 0x00400103;
inline constexpr size_t kAtiRequestSize = 16;
inline constexpr size_t kAtiClockReplySize = 80;
inline constexpr size_t kAtiMemoryReplySize = 64;
inline constexpr size_t kAtiMemoryClockOffset = 12;
inline constexpr size_t kAtiEngineClockOffset = 44;
// The PCI vendor number of ATI in a hardware identifier "PCI\VEN_1002&...".
inline constexpr const char* kAtiVendor = "1002";

// The ATI driver's registry entry (HKEY_LOCAL_MACHINE).
inline constexpr const char* kAtiAsicKey = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC";
inline constexpr const char* kAtiBusTypeValue = "Bus Type";
inline constexpr const char* kAtiMemoryKey = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory";
inline constexpr const char* kAtiMemoryTypeValue = "Type";

// The display adapter class's first entry (HKEY_LOCAL_MACHINE) and the adapter clock escape,
// sent to a device context for "DISPLAY".
inline constexpr const char* kDisplayAdapterKey =
    "\\SYSTEM\\ControlSet001\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000";
inline constexpr const char* kDriverDescValue = "DriverDesc";
inline constexpr const char* kDisplayDriver = "DISPLAY";
inline constexpr int kAdapterClockEscape = 0x7037;
inline constexpr std::uint32_t kAdapterClockFunction = 0x1EE;
inline constexpr size_t kAdapterRequestSize = 32;
inline constexpr size_t kAdapterReplySize = 32;
inline constexpr size_t kAdapterBlockSize = 16;
inline constexpr size_t kAdapterStatusOffset = 28;
inline constexpr size_t kAdapterFirstValueOffset = 8;
inline constexpr size_t kAdapterSecondValueOffset = 12;
inline constexpr int kAdapterClockIndices = 6;

// Little-endian 32-bit field at `offset`; 0 when it does not lie wholly within `size` bytes.
std::uint32_t ReadLe32(const void* data, size_t size, size_t offset);
// Writes a field; nothing when it would not fit.
void WriteLe32(void* data, size_t size, size_t offset, std::uint32_t value);

// The ATI escape's request: 16, the function, 0, 0.
std::array<std::uint8_t, kAtiRequestSize> AtiRequest(std::uint32_t function);
// A cleared ATI reply with its own size in its first field.
std::vector<std::uint8_t> AtiReply(size_t size);

// ATI clocks come in units of 10 kHz: "%f MHz" of raw / 100, two decimals.
std::string AtiClockText(std::uint32_t raw, char decimalSeparator);

// Characters 9 to 12 of a hardware identifier are "1002". `capacity` bounds an identifier
// that has no NUL. Pure; any thread.
bool IsAtiHardwareId(const char* id, size_t capacity);

// A fixed-size text field up to its first NUL or its end, whichever comes first.
std::string FieldText(const char* field, size_t capacity);

// The text before the first "(", the whole text when it has none ("AGP 8x (x4)" -> "AGP 8x ").
std::string CutBeforeParenthesis(std::string_view text);

// The adapter clock escape's request for a parameter block at `blockAddress`: 0, 0, 0x1EE, 0,
// the address as a 64-bit field at offset 16 (the spare field after it carries its upper half),
// the block's size 16 as a 64-bit field at offset 24.
std::array<std::uint8_t, kAdapterRequestSize> AdapterClockRequest(std::uint64_t blockAddress);
// A cleared parameter block asking for clock `index`.
std::array<std::uint8_t, kAdapterBlockSize> AdapterClockBlock(std::uint32_t index);

// A driver clock in Hz as whole MHz, halves rounded away from zero ("%.0f" of hz / 1 000 000).
std::string DriverClockText(std::uint32_t hz);

// Asks one adapter clock value: index 0 to 5, the first or the second value; 0 unanswered.
using AdapterClockAsk = std::function<std::uint32_t(std::uint32_t index, bool second)>;

// The scratch list: for the first values of indices 0 to 5, then the second values, every one
// whose MHz text is not "0" is asked again and the second answer's MHz is listed.
// Calls `ask` on the calling thread.
std::vector<std::string> CollectAdapterClocks(const AdapterClockAsk& ask);

// With exactly six entries, AdapterGpuClock and AdapterMemoryClock become entries 2 and 5 +
// " MHz" (otherwise both keep their texts); then AdapterFound becomes false when either text is
// "0 MHz". Pure on `snapshot`.
void TakeAdapterClocks(SystemInfoSnapshot& snapshot, const std::vector<std::string>& entries);

}  // namespace quorvel::sysinfo
