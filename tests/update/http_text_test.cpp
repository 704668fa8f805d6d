#include "update/http_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "update/http_options.h"

namespace quorvel::http {
namespace {

DateTime At(int y, int mo, int d, int h, int mi, int s) {
  return EncodeDateTime(y, mo, d, h, mi, s).value();
}

// Two date-times are the same instant when they differ by less than a tenth of a second.
void ExpectSameInstant(DateTime got, DateTime want, const std::string& text) {
  EXPECT_LT(std::fabs(got - want), 0.1 / 86400) << text << " gave " << got << ", want " << want;
}

TEST(HttpDate, TheThreeFormsOfHttp11GiveTheSameInstant) {
  const DateTime want = At(1994, 11, 6, 8, 49, 37);
  for (const char* text : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                           "Sun Nov  6 08:49:37 1994", "  sun, 06 nov 1994 08:49:37 gmt  ",
                           "SUNDAY, 06-NOV-94 08:49:37 GMT"}) {
    ExpectSameInstant(ParseHttpDate(text, 0), want, text);
  }
}

TEST(HttpDate, LocalTimeIsUtcMinusTheBiasInForce) {
  // Central European summer time: bias -60 standard plus -60 daylight.
  ExpectSameInstant(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", -120),
                    At(1994, 11, 6, 10, 49, 37), "east of Greenwich");
  // Eastern standard time: bias +300; the day goes back.
  ExpectSameInstant(ParseHttpDate("Sun Nov  6 02:00:00 1994", 300), At(1994, 11, 5, 21, 0, 0),
                    "west of Greenwich");
}

TEST(HttpDate, NumericZoneOffsetIsTakenOutBeforeTheLocalBias) {
  struct Case {
    const char* text;
    DateTime want;
  } cases[] = {
      {"Sun, 06 Nov 1994 09:49:37 +0100", At(1994, 11, 6, 8, 49, 37)},
      {"Sun, 06 Nov 1994 03:19:37 -0530", At(1994, 11, 6, 8, 49, 37)},
      {"Mon, 07 Nov 1994 00:30:00 +0100", At(1994, 11, 6, 23, 30, 0)},
      // A zone name of five characters or fewer and no sign gives no offset.
      {"Sun, 06 Nov 1994 08:49:37 UTC", At(1994, 11, 6, 8, 49, 37)},
      {"Sun, 06 Nov 1994 08:49:37 +01", At(1994, 11, 6, 8, 49, 37)},
  };
  for (const Case& c : cases) ExpectSameInstant(ParseHttpDate(c.text, 0), c.want, c.text);
}

TEST(HttpDate, TwoDigitYearsAndMissingPieces) {
  struct Case {
    const char* text;
    DateTime want;
  } cases[] = {
      {"Thursday, 01-Jan-70 00:00:00 GMT", At(2070, 1, 1, 0, 0, 0)},  // below 80: 2000s
      {"Monday, 01-Jan-80 00:00:00 GMT", At(1980, 1, 1, 0, 0, 0)},
      {"Friday, 31-Dec-99 23:59:59 GMT", At(1999, 12, 31, 23, 59, 59)},
      {"06 Nov 1994", At(1994, 11, 6, 0, 0, 0)},                 // no time: midnight
      {"xx Nov 1994 08:49:37 GMT", At(1994, 11, 1, 8, 49, 37)},  // a day that is no number: 1
      {"06 Nov 1994 aa:49:37 GMT", At(1994, 11, 6, 0, 49, 37)},  // each time part 0 when bad
  };
  for (const Case& c : cases) ExpectSameInstant(ParseHttpDate(c.text, 0), c.want, c.text);
}

TEST(HttpDate, TextsThatAreNoDateGiveZero) {
  for (const char* text :
       {"", "   ", "Sun,", "garbage", "06 Xyz 1994 08:49:37 GMT", "31 Feb 1994 00:00:00 GMT",
        "06 Nov 1994 25:00:00 GMT", "Sun, 06 Nov 1994 08:49:37 +01xx", "Sun Nov 6 08:49:37",
        "06 Nov 99999 08:49:37 GMT", "\xff\xfe\x01"}) {
    EXPECT_EQ(ParseHttpDate(text, 0), 0) << text;
  }
}

TEST(HttpDate, HugeInputsAreReadWithoutTrouble) {
  std::string big = "Sun, 06 Nov 1994 08:49:37 " + std::string(1 << 20, 'G');
  ExpectSameInstant(ParseHttpDate(big, 0), At(1994, 11, 6, 8, 49, 37), "long zone");
  EXPECT_EQ(ParseHttpDate(std::string(1 << 20, '-'), 0), 0);
}

TEST(HttpUrl, SchemeIsAddedOnlyWhenMissing) {
  EXPECT_EQ(WithScheme("updates.zarvent.com/benchmarks/hl2/zrv_quorvel.inf"),
            "http://updates.zarvent.com/benchmarks/hl2/zrv_quorvel.inf");
  EXPECT_EQ(WithScheme("https://a/b"), "https://a/b");
  EXPECT_EQ(WithScheme("ftp://a/b"), "ftp://a/b");
  EXPECT_EQ(WithScheme(""), "http://");
}

TEST(HttpUrl, QueryIsReencodedByteByByte) {
  struct Case {
    std::string extra, want;
  } cases[] = {
      {"?a b", "?a%20b"},
      {"?p=~user/x", "?p=~user/x"},  // tilde and slash stay
      {"?#%*+<>", "?%23%25%2A%2B%3C%3E"},
      {std::string("?\x01\x1f\x7f\x80\xff", 6), "?%01%1F\x7f%80%FF"},
      {std::string("?a\0b", 4), "?a%00b"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReencodeExtra(c.extra), c.want) << c.extra;
}

TEST(HttpUrl, EscapesAreDecodedBeforeTheQueryIsWrittenAgain) {
  EXPECT_EQ(PercentDecode("/a%20b%2fc%2B"), "/a b/c+");
  EXPECT_EQ(PercentDecode("100%"), "100%");
  EXPECT_EQ(PercentDecode("%4"), "%4");
  EXPECT_EQ(PercentDecode("%zz%41"), "%zzA");
  EXPECT_EQ(PercentDecode("%00"), std::string(1, '\0'));
  // Decoded and written again, an escaped query comes out as it went in.
  EXPECT_EQ(ReencodeExtra(PercentDecode("?q=%2B%20x%25")), "?q=%2B%20x%25");
}

TEST(HttpAuth, RealmIsTheQuotedTextAfterTheFirstEqualsQuote) {
  struct Case {
    const char* header;
    const char* realm;
  } cases[] = {
      {"Basic realm=\"Zarvent updates\"", "Zarvent updates"},
      {"Basic realm=\"a=\"b\"", "a=\"b"},
      {"Basic realm=Zarvent", "Basic realm=Zarvent"},  // no =" pair: the whole header
      {"", ""},
      {"Basic realm=\"", ""},   // ends at the opening quote
      {"Basic realm=\"x", ""},  // the last character is taken as the closing quote
  };
  for (const Case& c : cases) EXPECT_EQ(RealmFromAuthenticate(c.header), c.realm) << c.header;
}

TEST(HttpHeaders, NumbersAreDecimalDigitsThatFit) {
  EXPECT_EQ(HeaderNumber("200"), 200);
  EXPECT_EQ(HeaderNumber(" 1048576 "), 1048576);
  EXPECT_EQ(HeaderNumber("2147483647"), 2147483647);
  for (const char* bad : {"", " ", "2147483648", "99999999999", "-1", "+5", "1e3", "0x10", "12a"})
    EXPECT_FALSE(HeaderNumber(bad).has_value()) << bad;
}

TEST(HttpProgress, RoundingIsToNearestWithHalvesToEven) {
  EXPECT_EQ(RoundQuotientHalfEven(1, 2), 0);
  EXPECT_EQ(RoundQuotientHalfEven(3, 2), 2);
  EXPECT_EQ(RoundQuotientHalfEven(5, 2), 2);
  EXPECT_EQ(RoundQuotientHalfEven(7, 2), 4);
  EXPECT_EQ(RoundQuotientHalfEven(2, 3), 1);
  EXPECT_EQ(RoundQuotientHalfEven(-1, 2), 0);
  EXPECT_EQ(RoundQuotientHalfEven(-3, 2), -2);
}

TEST(HttpProgress, PercentsRoundHalvesToEvenAndStayZeroWithoutLength) {
  struct Case {
    std::int64_t read, size, resume;
    int percent;
  } cases[] = {
      {1, 8, 0, 12},   // 12.5 -> 12
      {3, 8, 0, 38},   // 37.5 -> 38
      {5, 8, 0, 62},   // 62.5 -> 62
      {1, 200, 0, 0},  // 0.5 -> 0
      {3, 200, 0, 2},  // 1.5 -> 2
      {0, 0, 0, 0},    // no Content-Length
      {500, 0, 0, 0},
      {1, 6, 2, 38},                   // (1 + 2) * 100 / 8 = 37.5 -> 38
      {268435456, 268435456, 0, 100},  // 256 MiB: no overflow of the product
      {1000, 10, 0, 255},              // more than announced: the byte's top
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComputeProgress(c.read, c.size, c.resume, 0, 0).PercentsDone, c.percent)
        << c.read << "/" << c.size << "+" << c.resume;
  }
}

TEST(HttpProgress, ElapsedTimeUsesTheUnsignedTickDifference) {
  // The tick count wrapped 1.5 s after the start.
  ProgressValues v = ComputeProgress(4096, 8192, 0, 0xFFFFFC18u, 500u);
  EXPECT_EQ(v.ElapsedTime, 1);
  EXPECT_EQ(ComputeProgress(1, 2, 0, 1000, 1999).ElapsedTime, 0);
  EXPECT_EQ(ComputeProgress(1, 2, 0, 0, 0xFFFFFFFFu).ElapsedTime, 4294967);
}

TEST(HttpProgress, EstimateAndRate) {
  // 1 MiB of 3 MiB in 2 s: 6 s in all, 4 left; 512 KiB/s.
  ProgressValues v = ComputeProgress(1 << 20, 3 << 20, 0, 0, 2000);
  EXPECT_EQ(v.EstimatedTimeLeft, 4);
  EXPECT_FLOAT_EQ(v.TransferRate, 512.0f);
  // Within the first second the rate is the kilobytes so far.
  v = ComputeProgress(2048, 4096, 0, 100, 600);
  EXPECT_FLOAT_EQ(v.TransferRate, 2.0f);
  EXPECT_EQ(v.EstimatedTimeLeft, 0);
  // 3 of 5 bytes in 3 s: 5 s in all (5 / 3 * 3), 2 left; 2 of 5 in 1 s: 2.5 -> 2, 1 left.
  EXPECT_EQ(ComputeProgress(3, 5, 0, 0, 3000).EstimatedTimeLeft, 2);
  EXPECT_EQ(ComputeProgress(2, 5, 0, 0, 1000).EstimatedTimeLeft, 1);
}

}  // namespace
}  // namespace quorvel::http

namespace quorvel {
namespace {

TEST(HttpOptions, UpdateFlowFlagsForTheInformationFileAndUpdateFiles) {
  // KEEP_CONNECTION | RESYNCHRONIZE | HYPERLINK | NEED_FILE, plus PRAGMA_NOCACHE for the
  // information file.
  EXPECT_EQ(RequestFlags("http", kDefaultCacheOptions, kDefaultInternetOptions),
            0x400000u | 0x800u | 0x400u | 0x10u);
  EXPECT_EQ(RequestFlags("http", kDefaultCacheOptions | coPragmaNoCache, kDefaultInternetOptions),
            0x400000u | 0x800u | 0x400u | 0x10u | 0x100u);
}

TEST(HttpOptions, HttpsIsSecureAndNeedsNoCacheFile) {
  EXPECT_EQ(RequestFlags("https", kDefaultCacheOptions, 0), 0x800000u | 0x800u | 0x400u);
  EXPECT_EQ(RequestFlags("HTTPS", coCreateTempFilesIfCantCache, 0), 0x800000u);
  // The unknown-authority option is no request flag.
  EXPECT_EQ(RequestFlags("https", 0, ioIgnoreUnknownCertificateAuthority), 0x800000u);
}

TEST(HttpOptions, EveryOptionHasItsFlag) {
  struct Case {
    TzCacheOptions cache;
    TzInternetOptions internet;
    std::uint32_t flag;
  } cases[] = {
      {coAlwaysReload, 0, 0x80000000u},
      {coPragmaNoCache, 0, 0x100u},
      {coNoCacheWrite, 0, 0x4000000u},
      {coUseCacheIfNetFail, 0, 0x10000u},
      {0, ioIgnoreCertificateInvalid, 0x1000u},
      {0, ioIgnoreCertificateDateInvalid, 0x2000u},
      {0, ioIgnoreRedirectToHTTP, 0x8000u},
      {0, ioIgnoreRedirectToHTTPS, 0x4000u},
      {0, ioNoAuthentication, 0x40000u},
      {0, ioNoAutoRedirect, 0x200000u},
      {0, ioNoCookies, 0x80000u},
  };
  for (const Case& c : cases) EXPECT_EQ(RequestFlags("http", c.cache, c.internet), c.flag);
}

TEST(HttpOptions, AttributeSetsReplaceAllAttributes) {
  EXPECT_EQ(PlatformFileAttributes(atrArchive), 0x20u);
  EXPECT_EQ(PlatformFileAttributes(atrHidden | atrTemporary), 0x102u);
  EXPECT_EQ(PlatformFileAttributes(atrArchive | atrHidden | atrReadOnly | atrSystem | atrTemporary |
                                   atrOffline),
            0x1127u);
  EXPECT_EQ(PlatformFileAttributes(0), 0x80u);
}

TEST(HttpOptions, RecordsResetToTheirDefaults) {
  TzHttpProxy proxy;
  proxy.AccessType = TzHttpAccessType::atUseProxy;
  proxy.ProxyServer = "proxy";
  proxy.ProxyPort = 3128;
  proxy.ProxyBypass.clear();
  proxy.ProxyUsername = "u";
  proxy.ProxyPassword = "p";
  TzHttpProxy copy;
  copy = proxy;
  EXPECT_EQ(copy.ProxyServer, "proxy");
  EXPECT_EQ(copy.ProxyPort, 3128);
  EXPECT_EQ(copy.ProxyPassword, "p");
  copy.Reset();
  EXPECT_EQ(copy.AccessType, TzHttpAccessType::atPreconfig);
  EXPECT_EQ(copy.ProxyPort, 8080);
  EXPECT_EQ(copy.ProxyBypass, "127.0.0.1;");
  EXPECT_TRUE(copy.ProxyServer.empty() && copy.ProxyUsername.empty());
  TzOutputFileAttributes attributes{atrHidden, atrHidden};
  attributes.Reset();
  EXPECT_EQ(attributes.Complete, atrArchive);
  EXPECT_EQ(attributes.Incomplete, atrArchive | atrTemporary);
}

}  // namespace
}  // namespace quorvel
