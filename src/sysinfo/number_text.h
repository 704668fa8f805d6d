#pragma once
// Decimal texts of quotients for the machine description, computed exactly from whole numbers
// so that halves always round away from zero, as the report's number texts do.
#include <cstdint>
#include <string>

namespace quorvel::sysinfo {

// numerator / denominator written with `decimals` digits after `separator` (no separator when
// `decimals` is 0); an exact half rounds away from zero. A zero denominator gives "0".
// Pure; any thread.
std::string FormatQuotient(std::uint64_t numerator, std::uint64_t denominator, int decimals,
                           char separator);

// Round-half-to-even of a floating-point number, as the processor's default rounding gives.
// Pure; any thread.
double RoundHalfEven(double value);

}  // namespace quorvel::sysinfo
