#pragma once
// What every benchmark measures with: the performance counter in milliseconds and the median
// of repeated measurements.
#include <algorithm>
#include <vector>

#include "platform/win.h"

namespace quorvel::perf {

// Milliseconds on the performance counter, from an arbitrary start.
inline double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The middle value (the upper one of an even count); `values` must not be empty.
inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace quorvel::perf
