// Result files of any shape: the reader must neither crash nor read past the bytes it is
// given, and whatever it accepts must score and print.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/report_writer.h"
#include "bench/result_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view content(reinterpret_cast<const char*>(data), size);
  for (char separator : {'.', ','}) {
    quorvel::bench::BenchSeries series;
    series.RunsWanted = 2;
    series.CurrentKey = "640";
    series.RunsDone = 1 + static_cast<int>(size % 2);
    if (quorvel::bench::ReadRunScore(series, content, separator)) {
      quorvel::bench::AppendSlotHeading(series, {});
      quorvel::bench::ScoreRun(series);
      quorvel::bench::AppendScoreLines(series);
      // An accepted figure must be a number that the score holds.
      if (quorvel::bench::RoundHalfEven(series.RunFigure) != series.Score) std::abort();
    }
    quorvel::bench::ConvertFigure(content, separator);
  }
  return 0;
}
