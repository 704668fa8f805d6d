#pragma once
// The host machine's description as texts: installed memory by its number of digits, and the
// processor's identification from its CPUID answers.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorvel::sysinfo {

// Installed memory as the report prints it, by the number of decimal digits of the byte
// count: 10 or more digits "%.1f GB " (GiB), 8 or 9 digits "%f MB " (MiB, two decimals),
// fewer than 8 digits absent (the report leaves the line out). Halves round away from zero.
// Pure; any thread.
std::optional<std::string> SystemMemoryText(std::uint64_t bytes, char decimalSeparator);

// One CPUID answer.
struct CpuidRegisters {
  std::uint32_t eax = 0;
  std::uint32_t ebx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t edx = 0;
};
// Executes CPUID for a leaf (sub-leaf 0).
using CpuidFunction = std::function<CpuidRegisters(std::uint32_t leaf)>;

// What the processor says about itself.
struct ProcessorRecord {
  bool HasInstruction = false;
  std::string VendorIDString;  // 12 characters from leaf 0
  std::string Manufacturer = "Unknown";
  std::uint32_t HighestLeaf = 0;
  std::uint32_t HighestExtendedLeaf = 0;
  std::uint32_t Family = 0;  // with the extended family and model folded in
  std::uint32_t Model = 0;
  std::uint32_t Stepping = 0;
  std::uint32_t Features = 0;  // EDX of leaf 1
  std::string Name = "Unknown";
  std::uint32_t RawFreq = 0;   // MHz, measured
  std::uint32_t NormFreq = 0;  // MHz, snapped to a usual clock
};

// Identifies the processor through `cpuid` (not called when `hasInstruction` is false: the
// name stays "Unknown"). Known vendors get the brand text of leaves 0x80000002..4 up to its
// first NUL, or a name from their family and model table when there is none; other vendors
// get "Unknown". The clock fields stay 0. Pure apart from `cpuid`; any thread.
ProcessorRecord IdentifyProcessor(bool hasInstruction, const CpuidFunction& cpuid);

// Whether the time-stamp counter flag (bit 4 of the standard features) is set.
bool HasTimeStampCounter(const ProcessorRecord& record);

}  // namespace quorvel::sysinfo
