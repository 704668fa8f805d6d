#pragma once
// Run-to-run spread of the frame rates of one resolution: mean, range, sample standard
// deviation, coefficient of variation and the 95 % confidence interval of the mean by
// Student's t. Pure functions: any thread; none fails.
#include <optional>
#include <span>

namespace quorvel::bench {

struct RunStats {
  int Count = 0;  // runs with a figure
  double Mean = 0;
  double Min = 0;
  double Max = 0;
  // The rest needs at least two runs.
  std::optional<double> StdDev;       // sample standard deviation (n - 1)
  std::optional<double> CvPercent;    // StdDev / Mean * 100; absent when the mean is 0
  std::optional<double> CiHalfWidth;  // t(0.975, n - 1) * StdDev / sqrt(n)
  std::optional<double> CiLow;
  std::optional<double> CiHigh;
};

// nullopt when `values` is empty.
std::optional<RunStats> ComputeRunStats(std::span<const double> values);

// The two-sided 95 % quantile of Student's t, t(0.975, degrees); 0 for degrees < 1.
double StudentT975(int degrees);

}  // namespace quorvel::bench
