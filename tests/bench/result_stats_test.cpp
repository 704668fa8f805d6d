#include "bench/result_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvel::bench {
namespace {

TEST(RunStats, ThreeRunsGiveSpreadAndStudentInterval) {
  std::vector<double> runs = {45.6, 46.4, 47.5};
  auto s = ComputeRunStats(runs);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Count, 3);
  EXPECT_NEAR(s->Mean, 46.5, 1e-12);
  EXPECT_DOUBLE_EQ(s->Min, 45.6);
  EXPECT_DOUBLE_EQ(s->Max, 47.5);
  // Deviations -0.9, -0.1, 1.0: squares 1.82 over n - 1 = 2.
  EXPECT_NEAR(*s->StdDev, 0.9539392014, 1e-9);
  EXPECT_NEAR(*s->CvPercent, 0.9539392014 / 46.5 * 100, 1e-9);
  // t(0.975, 2) = 4.3027, not the normal 1.96.
  double half = 4.3027 * 0.9539392014 / 1.7320508076;
  EXPECT_NEAR(*s->CiHalfWidth, half, 1e-6);
  EXPECT_NEAR(*s->CiLow, 46.5 - half, 1e-6);
  EXPECT_NEAR(*s->CiHigh, 46.5 + half, 1e-6);
}

TEST(RunStats, OneRunHasNoSpread) {
  std::vector<double> runs = {61.25};
  auto s = ComputeRunStats(runs);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Count, 1);
  EXPECT_DOUBLE_EQ(s->Mean, 61.25);
  EXPECT_DOUBLE_EQ(s->Min, 61.25);
  EXPECT_DOUBLE_EQ(s->Max, 61.25);
  EXPECT_FALSE(s->StdDev);
  EXPECT_FALSE(s->CvPercent);
  EXPECT_FALSE(s->CiLow);
  EXPECT_FALSE(ComputeRunStats(std::vector<double>{}));
}

TEST(RunStats, EdgeCases) {
  // Equal runs: no spread at all, an interval of width 0.
  auto equal = ComputeRunStats(std::vector<double>{50, 50, 50, 50});
  EXPECT_DOUBLE_EQ(*equal->StdDev, 0);
  EXPECT_DOUBLE_EQ(*equal->CiLow, 50);
  EXPECT_DOUBLE_EQ(*equal->CiHigh, 50);
  // A mean of 0 has no coefficient of variation.
  auto zero = ComputeRunStats(std::vector<double>{-1, 1});
  EXPECT_FALSE(zero->CvPercent);
  EXPECT_DOUBLE_EQ(*zero->StdDev, std::sqrt(2.0));
  // Large figures close together keep their spread (no sum of squares of the values).
  auto close = ComputeRunStats(std::vector<double>{1e9 + 1, 1e9 + 2, 1e9 + 3});
  EXPECT_NEAR(*close->StdDev, 1.0, 1e-9);
}

TEST(StudentT, QuantilesForEveryNumberOfRuns) {
  struct Case {
    int degrees;
    double t;
  } cases[] = {{1, 12.706},  {2, 4.3027},  {3, 3.1824},  {4, 2.7764},   {10, 2.2281},  {30, 2.0423},
               {31, 2.0395}, {40, 2.0211}, {60, 2.0003}, {120, 1.9799}, {1000, 1.9623}};
  for (const Case& c : cases) EXPECT_NEAR(StudentT975(c.degrees), c.t, 2e-4) << c.degrees;
  EXPECT_EQ(StudentT975(0), 0);
}

}  // namespace
}  // namespace quorvel::bench
