#pragma once
// Settings of the HTTP transfer engine that need no Windows header: the option sets, the
// proxy, range, time-out and output attribute records, and the request flags they make.
#include <cstdint>
#include <string>

namespace quorvel {

// Cache behaviour of a request; a set is the bitwise or of its members.
enum TzCacheOption : std::uint32_t {
  coAlwaysReload = 1u << 0,
  coReloadIfNoExpireInformation = 1u << 1,
  coReloadUpdatedObjects = 1u << 2,
  coPragmaNoCache = 1u << 3,
  coNoCacheWrite = 1u << 4,
  coCreateTempFilesIfCantCache = 1u << 5,
  coUseCacheIfNetFail = 1u << 6,
};
using TzCacheOptions = std::uint32_t;
inline constexpr TzCacheOptions kDefaultCacheOptions =
    coReloadIfNoExpireInformation | coReloadUpdatedObjects | coCreateTempFilesIfCantCache;

// Connection behaviour of a request.
enum TzInternetOption : std::uint32_t {
  ioIgnoreCertificateInvalid = 1u << 0,
  ioIgnoreCertificateDateInvalid = 1u << 1,
  ioIgnoreRedirectToHTTP = 1u << 2,
  ioIgnoreRedirectToHTTPS = 1u << 3,
  ioIgnoreUnknownCertificateAuthority = 1u << 4,
  ioKeepConnection = 1u << 5,
  ioNoAuthentication = 1u << 6,
  ioNoAutoRedirect = 1u << 7,
  ioNoCookies = 1u << 8,
};
using TzInternetOptions = std::uint32_t;
inline constexpr TzInternetOptions kDefaultInternetOptions = ioKeepConnection;

// File attributes of the output file.
enum TzFileAttribute : std::uint32_t {
  atrArchive = 1u << 0,
  atrHidden = 1u << 1,
  atrReadOnly = 1u << 2,
  atrSystem = 1u << 3,
  atrTemporary = 1u << 4,
  atrOffline = 1u << 5,
};
using TzFileAttributeSet = std::uint32_t;

// The platform's file attribute bits for a set (FILE_ATTRIBUTE_NORMAL for the empty set).
std::uint32_t PlatformFileAttributes(TzFileAttributeSet set);

struct TzOutputFileAttributes {
  TzFileAttributeSet Complete = atrArchive;
  TzFileAttributeSet Incomplete = atrArchive | atrTemporary;
  void Reset() { *this = TzOutputFileAttributes{}; }
};

enum class TzHttpAccessType { atPreconfig, atDirect, atUseProxy };

struct TzHttpProxy {
  TzHttpAccessType AccessType = TzHttpAccessType::atPreconfig;
  std::string ProxyServer;
  std::int32_t ProxyPort = 8080;
  std::string ProxyBypass = "127.0.0.1;";
  std::string ProxyUsername;
  std::string ProxyPassword;
  void Reset() { *this = TzHttpProxy{}; }
};

struct TzHttpRange {
  std::uint32_t StartRange = 0;
  std::uint32_t EndRange = 0;
  void Reset() { *this = TzHttpRange{}; }
};

struct TzHttpTimeouts {
  std::uint32_t ConnectTimeout = 0;
  std::uint32_t ReceiveTimeout = 0;
  std::uint32_t SendTimeout = 0;
  void Reset() { *this = TzHttpTimeouts{}; }
};

// The flags handed to the request for a URL of this scheme ("https" compared without regard
// to case) and these option sets. ioIgnoreUnknownCertificateAuthority is not among them: it
// is a security option set on the request.
std::uint32_t RequestFlags(const std::string& scheme, TzCacheOptions cache,
                           TzInternetOptions internet);

}  // namespace quorvel
