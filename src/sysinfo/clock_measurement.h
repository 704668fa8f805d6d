#pragma once
// Measuring the processor's clock: time-stamp counter cycles over windows of the performance
// counter, repeated until three results agree, then snapped to a usual clock ending.
#include <cstdint>

namespace quorvel::sysinfo {

// The counters a measurement reads. The Windows one reads QueryPerformanceCounter and RDTSC
// and raises the thread's priority around each sample.
class ClockSampler {
 public:
  virtual ~ClockSampler() = default;
  // Performance counter ticks per second; 0 when the platform has no such counter.
  virtual std::int64_t Frequency() = 0;
  virtual std::int64_t PerformanceCounter() = 0;
  virtual std::uint64_t TimeStamp() = 0;
  // Around each sample; EndSample is called also when the sample is cut short.
  virtual void BeginSample() {}
  virtual void EndSample() {}
};

// Sample windows, in performance counter ticks.
inline constexpr std::int64_t kClockSettleTicks = 50;
inline constexpr std::int64_t kClockSampleTicks = 1000;
inline constexpr int kClockMinSamples = 3;
inline constexpr int kClockMaxSamples = 20;

struct ClockMeasurement {
  std::uint32_t RawFreq = 0;   // MHz, total cycles over total time, rounded
  std::uint32_t NormFreq = 0;  // MHz, RawFreq nudged up by its tenths and snapped
  int Samples = 0;
  std::uint64_t TotalCycles = 0;
  double TotalMicroseconds = 0;
};

// Takes samples while fewer than 3 were taken, or while fewer than 20 were taken and one of
// the last three per-sample results lies more than 1 MHz from their mean. All zero when the
// sampler has no performance counter. Calling thread (the Windows sampler's priority is that
// thread's).
ClockMeasurement MeasureClock(ClockSampler& sampler);

// RawFreq and NormFreq from total cycles and total microseconds (both 0 unless positive).
// Pure; any thread.
ClockMeasurement NormalizeClock(std::uint64_t totalCycles, double totalMicroseconds);

// Snaps a clock to the nearest of the endings 00, 20, 33, 50, 60, 66, 80, 90 within its
// hundred, a tie going up: 2399 -> 2400, 1841 -> 1833, 1810 -> 1820. Pure; any thread.
std::uint32_t SnapClock(std::uint32_t mhz);

}  // namespace quorvel::sysinfo
