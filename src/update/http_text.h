#pragma once
// The texts and figures of an HTTP transfer that need no WinInet: the URL's scheme and
// re-encoded query, the realm of a password request, header numbers, HTTP dates and the
// progress values. Every function takes any bytes of any length and never throws.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::http {

// A date-time as days since 30 December 1899 with the time as the fraction; 0 means none.
using DateTime = double;

// The URL with "http://" in front when it contains no "://".
std::string WithScheme(std::string_view url);

// %XX escapes (two hexadecimal digits, any case) turned into their bytes; a "%" without
// two digits after it stays as it is.
std::string PercentDecode(std::string_view text);

// The extra part of a URL (query and fragment) written again: bytes below 0x20, bytes of
// 0x80 and above, and space # % * + < > become %XX (upper-case hex); all others stay.
std::string ReencodeExtra(std::string_view extra);

// The realm of a WWW-Authenticate header: the text after the first `="` up to, not including,
// the header's last character; the whole header without such a pair; empty when empty.
std::string RealmFromAuthenticate(std::string_view header);

// A whole number of a header (status code, Content-Length): blanks around decimal digits
// that fit in a signed 32-bit number; nullopt otherwise.
std::optional<std::int32_t> HeaderNumber(std::string_view text);

// Days since 30 December 1899 for a calendar date and time; nullopt when any part is out of
// range (year 1-9999, the month's days, 0-23, 0-59, 0-59).
std::optional<DateTime> EncodeDateTime(int year, int month, int day, int hour, int minute,
                                       int second);

// An HTTP date in any of the three forms HTTP/1.1 allows (also with a numeric zone offset),
// converted to local time: `biasMinutes` is the platform's bias in force (UTC = local +
// bias). 0 when the text is empty or cannot be read.
DateTime ParseHttpDate(std::string_view text, int biasMinutes);

// Rounds to the nearest whole number, halves to the even neighbour, exactly:
// numerator / denominator with denominator > 0.
std::int64_t RoundQuotientHalfEven(std::int64_t numerator, std::int64_t denominator);

struct ProgressValues {
  std::uint8_t PercentsDone = 0;
  std::int32_t ElapsedTime = 0;        // seconds
  std::int32_t EstimatedTimeLeft = 0;  // seconds
  float TransferRate = 0;              // kilobytes per second
};

// The progress values after a read: `bytesRead` in this transfer, `fileSize` the
// Content-Length (0 when absent), `resumeFrom` the bytes that were already there, and the
// millisecond ticks of the start and of now (the difference is taken as unsigned 32-bit, so
// a tick count that wrapped between them still gives the time passed).
ProgressValues ComputeProgress(std::int64_t bytesRead, std::int64_t fileSize,
                               std::int64_t resumeFrom, std::uint32_t startTick,
                               std::uint32_t nowTick);

}  // namespace quorvel::http
