#include "sysinfo/number_text.h"

#include <cmath>

namespace quorvel::sysinfo {

std::string FormatQuotient(std::uint64_t numerator, std::uint64_t denominator, int decimals,
                           char separator) {
  if (denominator == 0) return "0";
  if (decimals < 0) decimals = 0;
  if (decimals > 18) decimals = 18;
  unsigned __int128 scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  unsigned __int128 scaled = static_cast<unsigned __int128>(numerator) * scale;
  unsigned __int128 quotient = scaled / denominator;
  unsigned __int128 remainder = scaled % denominator;
  if (remainder * 2 >= denominator) ++quotient;

  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(quotient % 10)));
    quotient /= 10;
  } while (quotient != 0);
  if (decimals == 0) return digits;
  if (digits.size() <= static_cast<size_t>(decimals))
    digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
  digits.insert(digits.end() - decimals, separator);
  return digits;
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  double lower = std::floor(value);
  double fraction = value - lower;
  if (fraction > 0.5) return lower + 1;
  if (fraction < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

}  // namespace quorvel::sysinfo
