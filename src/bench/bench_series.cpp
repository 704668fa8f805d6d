#include "bench/bench_series.h"

namespace quorvel::bench {

void BeginSeries(BenchSeries& series) {
  series.RunsDone = 0;
  series.HeadingWritten = false;
  series.ScoreText.clear();
  series.Score = 0;
  series.ScoreSum = 0;
  series.ReportPath.clear();
  series.SeriesScored = false;
  series.RunFigure = 0;
  series.SumKey.clear();
  series.ScoredRuns = 0;
  series.AverageScore = 0;
}

const char* SeriesEndStatus(const BenchSeries& series) {
  return series.SeriesScored && !series.ReportPath.empty() ? kSeriesSucceeded : kSeriesAborted;
}

}  // namespace quorvel::bench
