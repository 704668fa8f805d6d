#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "settings/bench_settings.h"

namespace quorvel {
namespace {

constexpr std::uint64_t kMiB = 1048576;

// Bytes 3, 10, 17, ... (every value steps by 7, wrapping), so high bytes occur too.
std::string Pattern(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>((i * 7 + 3) % 256);
  return s;
}

TEST(Password, EncodesTheStandardVectors) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"\xFF\xFE\xFD", "//79"},
      {std::string("\0\x01", 2), "AAE="},
  };
  for (const auto& [plain, encoded] : cases) {
    SCOPED_TRACE(encoded);
    EXPECT_EQ(EncodePassword(plain), encoded);
    EXPECT_EQ(DecodePassword(encoded), plain);
  }
}

TEST(Password, LinesOf76CharactersOnlyAbove57Bytes) {
  // Expected texts from an independent Base64 encoder.
  const std::string k57 =
      "AwoRGB8mLTQ7QklQV15lbHN6gYiPlp2kq7K5wMfO1dzj6vH4/wYNFBsiKTA3PkVMU1phaG92fYSL";
  const std::string k115Tail =
      "p661vMPK0djf5u30+wIJEBceJSwzOkFIT1ZdZGtyeYCHjpWco6qxuL/GzdTb4unw9/4FDBMa";
  const std::vector<std::pair<std::size_t, std::string>> cases = {
      {57, k57},
      {58, k57 + "\r\nkg=="},
      {114, k57 + "\r\nkpmg" + k115Tail},
      {115, k57 + "\r\nkpmg" + k115Tail + "\r\nIQ=="},
  };
  for (const auto& [size, encoded] : cases) {
    SCOPED_TRACE(size);
    EXPECT_EQ(EncodePassword(Pattern(size)), encoded);
    EXPECT_EQ(DecodePassword(encoded), Pattern(size));
  }
}

TEST(Password, DecodingSkipsEverythingOutsideTheAlphabet) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Zm9v\r\nYmFy", "foobar"},
      {" Zm9v YmFy \r\n", "foobar"},
      {"Z!m@9#v$Y%m^F&y*", "foobar"},
      {"Zm9vYg", "foob"},  // padding missing
      {"Zm9vYg==\r\n", "foob"},
      {"\xC3Zm8=\xE9", "fo"},  // Latin-1 bytes are not part of the alphabet
      {"Z", ""},               // too few bits for a byte
      {"!!!", ""},
      {"", ""},
  };
  for (const auto& [encoded, plain] : cases) {
    SCOPED_TRACE(encoded);
    EXPECT_EQ(DecodePassword(encoded), plain);
  }
}

TEST(Password, EveryLengthRoundTrips) {
  for (std::size_t n = 0; n < 300; ++n) {
    const std::string encoded = EncodePassword(Pattern(n));
    ASSERT_EQ(DecodePassword(encoded), Pattern(n)) << n;
    // Lines are 76 characters, the last one possibly shorter; no line break at the end.
    std::size_t start = 0;
    while (true) {
      std::size_t end = encoded.find("\r\n", start);
      std::size_t length = (end == std::string::npos ? encoded.size() : end) - start;
      if (end == std::string::npos) {
        EXPECT_LE(length, 76u) << n;
        if (n > 0) EXPECT_GT(length, 0u) << n;
        break;
      }
      EXPECT_EQ(length, 76u) << n;
      start = end + 2;
    }
  }
}

TEST(PhysicalMemory, FigureInMegabytes) {
  const std::vector<std::pair<std::uint64_t, int>> cases = {
      {0, 0},
      {kMiB - 1, 0},
      {64 * kMiB, 64},
      {90 * kMiB, 90},
      {91 * kMiB, 128},
      {149 * kMiB + kMiB - 1, 128},
      {150 * kMiB, 150},
      {200 * kMiB, 200},
      {201 * kMiB, 256},
      {289 * kMiB, 256},
      {290 * kMiB, 290},
      {470 * kMiB, 470},
      {471 * kMiB, 512},
      {549 * kMiB, 512},
      {550 * kMiB, 550},
      {768 * kMiB, 768},
      {950 * kMiB, 950},
      {951 * kMiB, 1024},
      {1024 * kMiB - 1, 1024},
      {1099 * kMiB, 1024},
      {1100 * kMiB, 1100},
      {1500 * kMiB, 1500},
      {1501 * kMiB, 1500},
      // Sizes from 4 GB up must not wrap round to small figures.
      {4096 * kMiB, 1500},
      {4096 * kMiB + 512 * kMiB, 1500},
      {std::numeric_limits<std::uint64_t>::max(), 1500},
  };
  for (const auto& [bytes, figure] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(PhysicalMemoryFigure(bytes), figure);
  }
}

TEST(DisplayModes, DistinctSizesInFirstReportedOrder) {
  using Modes = std::vector<std::pair<unsigned, unsigned>>;
  const std::vector<std::pair<Modes, std::vector<std::string>>> cases = {
      {{}, {}},
      {{{800, 600}, {800, 600}, {800, 600}, {640, 480}, {800, 600}, {1024, 768}},
       {"800 x 600", "640 x 480", "1024 x 768"}},
      {{{1024, 768}, {768, 1024}, {1024, 768}}, {"1024 x 768", "768 x 1024"}},
      {{{1920, 1080}}, {"1920 x 1080"}},
      {{{0, 0}, {7, 5}}, {"0 x 0", "7 x 5"}},
  };
  for (const auto& c : cases) {
    const Modes& modes = c.first;
    const std::vector<std::string>& expected = c.second;
    SCOPED_TRACE(expected.size());
    std::vector<unsigned> asked;
    auto list = BuildDisplayModeList([&](unsigned n, unsigned* w, unsigned* h) {
      asked.push_back(n);
      if (n >= modes.size()) return false;
      *w = modes[n].first;
      *h = modes[n].second;
      return true;
    });
    EXPECT_EQ(list, expected);
    // Asked 0, 1, 2 ... up to the first number past the last mode, and no further.
    ASSERT_EQ(asked.size(), modes.size() + 1);
    for (unsigned i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], i);
  }
}

TEST(DisplayModes, StopsAtTheFirstMissingMode) {
  auto list = BuildDisplayModeList([](unsigned n, unsigned* w, unsigned* h) {
    if (n == 1) return false;
    *w = 640 + n;
    *h = 480;
    return true;
  });
  EXPECT_EQ(list, std::vector<std::string>{"640 x 480"});
}

}  // namespace
}  // namespace quorvel
