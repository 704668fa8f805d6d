#pragma once
// The host machine as the report head describes it: operating system, installed memory and
// processor. Nothing is cached; every read asks the platform again. No read shows a message
// or throws: an unanswered probe gives its fallback.
#include <cstdint>
#include <string>

#include "sysinfo/clock_measurement.h"
#include "sysinfo/host_probes.h"
#include "sysinfo/system_info.h"

namespace quorvel::sysinfo {

class THostOsInfo {
 public:
  // The "ProductName" of the Windows (NT) CurrentVersion key; empty when it cannot be read.
  // User-interface thread.
  std::string ProductName() const;
};

class THostMemInfo {
 public:
  // Installed physical memory in bytes (64-bit, so sizes beyond 4 GB come through); 0 when
  // the platform does not say. Any thread.
  std::uint64_t TotalPhysicalMemory() const;
};

class THostCpuInfo {
 public:
  // The processor record with a fresh clock measurement (clock 0 without a time-stamp or
  // performance counter). Blocks the calling thread for the measurement, raising its priority
  // around each sample.
  ProcessorRecord Record() const;
  // The processor's name ("Unknown" when it cannot be told). Calling thread, as Record.
  std::string Name() const;
  // The nominal clock in MHz (0 when it cannot be measured). Calling thread, as Record.
  std::uint32_t NormFreq() const;
};

class THostInfo {
 public:
  THostOsInfo Os;
  THostCpuInfo Cpu;
  THostMemInfo Mem;
};

// The Windows counters: QueryPerformanceCounter and RDTSC, with the calling thread at
// time-critical priority during each sample (left alone when its priority cannot be read).
class WindowsClockSampler : public ClockSampler {
 public:
  std::int64_t Frequency() override;
  std::int64_t PerformanceCounter() override;
  std::uint64_t TimeStamp() override;
  void BeginSample() override;
  void EndSample() override;

 private:
  bool raised_ = false;
  int oldPriority_ = 0;
};

// The user's decimal separator (first character of the locale's); "." when it has none.
// Any thread.
char LocaleDecimalSeparator();

// Reads the four host values into the snapshot, in the report's order: ProductName,
// TotalPhysicalMemory, Name, NormFreq. Blocks for two clock measurements. Never fails.
// User-interface thread.
void ReadHostProbes(const THostInfo& host, SystemInfoSnapshot& snapshot);

}  // namespace quorvel::sysinfo
