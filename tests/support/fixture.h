#pragma once
// The test fixtures below tests/fixtures/, read whole as bytes. Portable: the native and the
// Windows tests share it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace quorvel::testing {

// The bytes of tests/fixtures/<path> ("bench/report.htm"); a missing file fails the test
// and reads as empty.
inline std::string Fixture(const std::string& path) {
  std::ifstream in(std::string(QUORVEL_FIXTURES) + "/" + path, std::ios::binary);
  EXPECT_TRUE(in) << "missing fixture " << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvel::testing
