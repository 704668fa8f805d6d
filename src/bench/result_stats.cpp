#include "bench/result_stats.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorvel::bench {

double StudentT975(int degrees) {
  // t(0.975, df) for df = 1..30, to five significant digits.
  static constexpr std::array<double, 30> kTable = {
      12.706, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060, 2.2622, 2.2281,
      2.2010, 2.1788, 2.1604, 2.1448, 2.1314, 2.1199, 2.1098, 2.1009, 2.0930, 2.0860,
      2.0796, 2.0739, 2.0687, 2.0639, 2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423};
  if (degrees < 1) return 0;
  if (degrees <= static_cast<int>(kTable.size())) return kTable[static_cast<size_t>(degrees - 1)];
  // Beyond the table: the Cornish-Fisher expansion around the normal quantile, within 1e-4
  // of the exact value from 31 degrees on.
  const double z = 1.959963984540054;
  const double z3 = z * z * z, z5 = z3 * z * z, z7 = z5 * z * z;
  const double n = degrees;
  return z + (z3 + z) / (4 * n) + (5 * z5 + 16 * z3 + 3 * z) / (96 * n * n) +
         (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / (384 * n * n * n);
}

std::optional<RunStats> ComputeRunStats(std::span<const double> values) {
  if (values.empty()) return std::nullopt;
  RunStats s;
  s.Count = static_cast<int>(values.size());
  auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  s.Min = *lo;
  s.Max = *hi;
  double sum = 0;
  for (double v : values) sum += v;
  s.Mean = sum / s.Count;
  if (s.Count < 2) return s;
  // Two passes: the squares of the differences, not of the values, so close figures keep
  // their precision.
  double squares = 0;
  for (double v : values) squares += (v - s.Mean) * (v - s.Mean);
  double sd = std::sqrt(squares / (s.Count - 1));
  s.StdDev = sd;
  if (s.Mean != 0) s.CvPercent = sd / std::fabs(s.Mean) * 100;
  double half = StudentT975(s.Count - 1) * sd / std::sqrt(static_cast<double>(s.Count));
  s.CiHalfWidth = half;
  s.CiLow = s.Mean - half;
  s.CiHigh = s.Mean + half;
  return s;
}

}  // namespace quorvel::bench
