#include "sysinfo/host_probes_win.h"

#include <intrin.h>

#include "platform/errors.h"
#include "platform/registry_win.h"
#include "platform/win.h"
#include "sysinfo/memory_win.h"

namespace quorvel::sysinfo {

namespace {
constexpr const char* kNtVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kWindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kProductNameValue = "ProductName";

CpuidRegisters Cpuid(std::uint32_t leaf) {
  int regs[4] = {};
  __cpuidex(regs, static_cast<int>(leaf), 0);
  return {static_cast<std::uint32_t>(regs[0]), static_cast<std::uint32_t>(regs[1]),
          static_cast<std::uint32_t>(regs[2]), static_cast<std::uint32_t>(regs[3])};
}

bool IsNtFamily() {
  // The high bit of GetVersion is set only on the Windows 9x family.
  return (::GetVersion() & 0x80000000u) == 0;
}
}  // namespace

std::string THostOsInfo::ProductName() const {
  try {
    RegKey key = reg::Open(HKEY_LOCAL_MACHINE, IsNtFamily() ? kNtVersionKey : kWindowsVersionKey);
    if (!key) return std::string();
    return reg::ReadString(key.Get(), kProductNameValue).value_or(std::string());
  } catch (const AppError&) {
    return std::string();
  }
}

std::uint64_t THostMemInfo::TotalPhysicalMemory() const { return TotalPhysicalMemoryBytes(); }

std::int64_t WindowsClockSampler::Frequency() {
  LARGE_INTEGER f = {};
  if (!::QueryPerformanceFrequency(&f)) return 0;
  return f.QuadPart;
}

std::int64_t WindowsClockSampler::PerformanceCounter() {
  LARGE_INTEGER c = {};
  ::QueryPerformanceCounter(&c);
  return c.QuadPart;
}

std::uint64_t WindowsClockSampler::TimeStamp() { return __rdtsc(); }

void WindowsClockSampler::BeginSample() {
  int old = ::GetThreadPriority(::GetCurrentThread());
  raised_ = old != THREAD_PRIORITY_ERROR_RETURN;
  if (!raised_) return;
  oldPriority_ = old;
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

void WindowsClockSampler::EndSample() {
  if (raised_) ::SetThreadPriority(::GetCurrentThread(), oldPriority_);
  raised_ = false;
}

ProcessorRecord THostCpuInfo::Record() const {
  // Every x86-64 processor has CPUID.
  ProcessorRecord record = IdentifyProcessor(true, Cpuid);
  if (HasTimeStampCounter(record)) {
    WindowsClockSampler sampler;
    ClockMeasurement m = MeasureClock(sampler);
    record.RawFreq = m.RawFreq;
    record.NormFreq = m.NormFreq;
  }
  return record;
}

std::string THostCpuInfo::Name() const { return Record().Name; }

std::uint32_t THostCpuInfo::NormFreq() const { return Record().NormFreq; }

char LocaleDecimalSeparator() {
  char buffer[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof(buffer)) > 1 &&
      buffer[0] != '\0')
    return buffer[0];
  return '.';
}

void ReadHostProbes(const THostInfo& host, SystemInfoSnapshot& snapshot) {
  snapshot.OperatingSystem = host.Os.ProductName();
  snapshot.SystemMemory =
      SystemMemoryText(host.Mem.TotalPhysicalMemory(), LocaleDecimalSeparator());
  snapshot.CpuName = host.Cpu.Name();
  snapshot.CpuSpeed = static_cast<int>(host.Cpu.NormFreq());
}

}  // namespace quorvel::sysinfo
