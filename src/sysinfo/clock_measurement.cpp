#include "sysinfo/clock_measurement.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

#include "sysinfo/number_text.h"

namespace quorvel::sysinfo {

namespace {

class SampleGuard {
 public:
  explicit SampleGuard(ClockSampler& sampler) : sampler_(sampler) { sampler_.BeginSample(); }
  ~SampleGuard() { sampler_.EndSample(); }
  SampleGuard(const SampleGuard&) = delete;
  SampleGuard& operator=(const SampleGuard&) = delete;

 private:
  ClockSampler& sampler_;
};

// Rounded and held within a range where the sums below cannot overflow, whatever a counter
// that jumped gave.
std::int64_t RoundToInt(double value) {
  constexpr double kLimit = 1e15;
  if (std::isnan(value)) return 0;
  if (value >= kLimit) return static_cast<std::int64_t>(kLimit);
  if (value <= -kLimit) return -static_cast<std::int64_t>(kLimit);
  return static_cast<std::int64_t>(RoundHalfEven(value));
}

bool Unsettled(std::int64_t f1, std::int64_t f2, std::int64_t f3) {
  std::int64_t sum = f1 + f2 + f3;
  return std::llabs(3 * f1 - sum) > 3 || std::llabs(3 * f2 - sum) > 3 ||
         std::llabs(3 * f3 - sum) > 3;
}

}  // namespace

std::uint32_t SnapClock(std::uint32_t mhz) {
  static constexpr std::uint32_t kEndings[] = {0, 20, 33, 50, 60, 66, 80, 90, 100};
  std::uint32_t rest = mhz % 100;
  for (size_t i = 1; i < std::size(kEndings); ++i) {
    std::uint32_t hi = kEndings[i];
    if (hi <= rest) continue;
    std::uint32_t lo = kEndings[i - 1];
    return rest - lo >= hi - rest ? mhz + (hi - rest) : mhz - (rest - lo);
  }
  return mhz;
}

ClockMeasurement NormalizeClock(std::uint64_t totalCycles, double totalMicroseconds) {
  ClockMeasurement out;
  out.TotalCycles = totalCycles;
  out.TotalMicroseconds = totalMicroseconds;
  if (!(totalMicroseconds > 0) || totalCycles == 0) return out;
  double perMicrosecond = static_cast<double>(totalCycles) / totalMicroseconds;
  if (!(perMicrosecond < 4.0e9)) return out;
  std::int64_t raw = RoundToInt(perMicrosecond);
  std::int64_t tenths = RoundToInt(10 * perMicrosecond);
  std::int64_t hundredths = RoundToInt(100 * perMicrosecond);
  if (hundredths - 10 * tenths >= 6) ++tenths;
  std::int64_t n = raw;
  if (tenths - 10 * raw >= 6) ++n;
  out.RawFreq = static_cast<std::uint32_t>(raw);
  out.NormFreq = SnapClock(static_cast<std::uint32_t>(n));
  return out;
}

ClockMeasurement MeasureClock(ClockSampler& sampler) {
  std::int64_t frequency = sampler.Frequency();
  if (frequency <= 0) return {};

  std::int64_t f1 = 0, f2 = 0, f3 = 0;
  int samples = 0;
  std::uint64_t totalCycles = 0;
  double totalMicroseconds = 0;
  while (samples < kClockMinSamples || (samples < kClockMaxSamples && Unsettled(f1, f2, f3))) {
    ++samples;
    f3 = f2;
    f2 = f1;
    std::int64_t t0 = sampler.PerformanceCounter();
    std::int64_t t1 = t0;
    std::uint64_t s0 = 0;
    std::uint64_t s1 = 0;
    {
      SampleGuard guard(sampler);
      do {
        t1 = sampler.PerformanceCounter();
        s0 = sampler.TimeStamp();
      } while (t1 - t0 < kClockSettleTicks);
      t0 = t1;
      do {
        t1 = sampler.PerformanceCounter();
        s1 = sampler.TimeStamp();
      } while (t1 - t0 < kClockSampleTicks);
    }
    std::uint64_t cycles = s1 - s0;
    double microseconds =
        static_cast<double>((t1 - t0) * 100000) / (static_cast<double>(frequency) / 10);
    totalMicroseconds += microseconds;
    totalCycles += cycles;
    f1 = RoundToInt(static_cast<double>(cycles) / microseconds);
  }
  ClockMeasurement out = NormalizeClock(totalCycles, totalMicroseconds);
  out.Samples = samples;
  return out;
}

}  // namespace quorvel::sysinfo
