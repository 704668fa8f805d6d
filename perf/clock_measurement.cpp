// Measures the processor clock the way the report head does, several times, and prints each
// result beside the nominal clock the system itself reports (the registry's "~MHz" and the
// processor's own CPUID frequency leaf), with the samples each measurement took and how long.
#include <intrin.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/registry_win.h"
#include "platform/win.h"
#include "sysinfo/clock_measurement.h"
#include "sysinfo/host_probes_win.h"
#include "sysinfo/report_head_probes_win.h"

using namespace quorvel;
using namespace quorvel::sysinfo;

namespace {

double Now(std::int64_t frequency) {
  LARGE_INTEGER c = {};
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

long RegistryMhz() {
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
  if (!key) return -1;
  try {
    return static_cast<long>(reg::ReadDword(key.Get(), "~MHz"));
  } catch (...) {
    return -1;
  }
}

// CPUID leaf 0x16: base, maximum and bus frequency in MHz, where the processor has it.
long CpuidBaseMhz() {
  int regs[4] = {};
  __cpuidex(regs, 0, 0);
  if (regs[0] < 0x16) return -1;
  __cpuidex(regs, 0x16, 0);
  return regs[0] & 0xFFFF ? regs[0] & 0xFFFF : -1;
}

}  // namespace

int main() {
  WindowsClockSampler sampler;
  std::int64_t frequency = sampler.Frequency();
  ProcessorRecord record = IdentifyProcessor(true, [](std::uint32_t leaf) {
    int r[4] = {};
    __cpuidex(r, static_cast<int>(leaf), 0);
    return CpuidRegisters{static_cast<std::uint32_t>(r[0]), static_cast<std::uint32_t>(r[1]),
                          static_cast<std::uint32_t>(r[2]), static_cast<std::uint32_t>(r[3])};
  });
  std::printf("processor:            %s (%s)\n", record.Name.c_str(),
              record.VendorIDString.c_str());
  std::printf("performance counter:  %lld ticks/s\n", static_cast<long long>(frequency));
  if (frequency <= 0) {
    std::printf("no performance counter: the clock is reported as 0\n");
    return 0;
  }
  long registry = RegistryMhz();
  long cpuid = CpuidBaseMhz();
  std::printf("nominal (registry ~MHz): %s\n",
              registry < 0 ? "not reported" : (std::to_string(registry) + " MHz").c_str());
  std::printf("nominal (CPUID 0x16):    %s\n",
              cpuid < 0 ? "not reported" : (std::to_string(cpuid) + " MHz").c_str());
  std::printf("sampling bound:       3..20 samples of >= %lld ticks = %.3f..%.3f ms of sampling\n",
              static_cast<long long>(kClockSettleTicks + kClockSampleTicks),
              3.0 * (kClockSettleTicks + kClockSampleTicks) * 1000.0 / frequency,
              20.0 * (kClockSettleTicks + kClockSampleTicks) * 1000.0 / frequency);
  std::printf("\n run  RawFreq  NormFreq  samples  sampled us  wall ms\n");
  const int kRuns = 20;
  std::vector<double> walls;
  std::vector<std::uint32_t> norms;
  for (int run = 1; run <= kRuns; ++run) {
    double start = Now(frequency);
    ClockMeasurement m = MeasureClock(sampler);
    double wall = Now(frequency) - start;
    walls.push_back(wall);
    norms.push_back(m.NormFreq);
    std::printf("%4d  %7u  %8u  %7d  %10.1f  %7.3f\n", run, m.RawFreq, m.NormFreq, m.Samples,
                m.TotalMicroseconds, wall);
  }
  std::sort(walls.begin(), walls.end());
  std::sort(norms.begin(), norms.end());
  std::printf("\nmedian NormFreq %u MHz (min %u, max %u); median wall %.3f ms, max %.3f ms\n",
              norms[norms.size() / 2], norms.front(), norms.back(), walls[walls.size() / 2],
              walls.back());
  long nominal = cpuid > 0 ? cpuid : registry;
  if (nominal > 0)
    std::printf("median NormFreq vs nominal %ld MHz: %+.1f %%\n", nominal,
                100.0 * (static_cast<double>(norms[norms.size() / 2]) - nominal) / nominal);

  // What a report head pays: Name and NormFreq each build the record with a measurement.
  THostCpuInfo cpu;
  double start = Now(frequency);
  std::string name = cpu.Name();
  std::uint32_t speed = cpu.NormFreq();
  std::printf("report head's Name + NormFreq: %s, %u MHz in %.3f ms\n", name.c_str(), speed,
              Now(frequency) - start);
  // Everything the report head asks the machine for at a series start.
  SystemInfoSnapshot snapshot;
  start = Now(frequency);
  RunReportHeadProbes(THostInfo(), snapshot);
  std::printf("all report head probes (host, ATI, display adapter): %.3f ms\n",
              Now(frequency) - start);
  return 0;
}
