#include "update/http_options.h"

#include "platform/text.h"

namespace quorvel {

std::uint32_t PlatformFileAttributes(TzFileAttributeSet set) {
  std::uint32_t bits = 0;
  if (set & atrArchive) bits |= 0x20;     // FILE_ATTRIBUTE_ARCHIVE
  if (set & atrHidden) bits |= 0x2;       // FILE_ATTRIBUTE_HIDDEN
  if (set & atrReadOnly) bits |= 0x1;     // FILE_ATTRIBUTE_READONLY
  if (set & atrSystem) bits |= 0x4;       // FILE_ATTRIBUTE_SYSTEM
  if (set & atrTemporary) bits |= 0x100;  // FILE_ATTRIBUTE_TEMPORARY
  if (set & atrOffline) bits |= 0x1000;   // FILE_ATTRIBUTE_OFFLINE
  return bits ? bits : 0x80;              // FILE_ATTRIBUTE_NORMAL
}

std::uint32_t RequestFlags(const std::string& scheme, TzCacheOptions cache,
                           TzInternetOptions internet) {
  struct Flag {
    bool on;
    std::uint32_t bits;
  };
  const bool https = text::EqualsNoCase(scheme, "https");
  const Flag table[] = {
      {https, 0x800000},                                         // INTERNET_FLAG_SECURE
      {!https && (cache & coCreateTempFilesIfCantCache), 0x10},  // INTERNET_FLAG_NEED_FILE
      {(cache & coAlwaysReload) != 0, 0x80000000},               // INTERNET_FLAG_RELOAD
      {(cache & coReloadIfNoExpireInformation) != 0, 0x400},     // INTERNET_FLAG_HYPERLINK
      {(cache & coReloadUpdatedObjects) != 0, 0x800},            // INTERNET_FLAG_RESYNCHRONIZE
      {(cache & coPragmaNoCache) != 0, 0x100},                   // INTERNET_FLAG_PRAGMA_NOCACHE
      {(cache & coNoCacheWrite) != 0, 0x4000000},                // INTERNET_FLAG_NO_CACHE_WRITE
      {(cache & coUseCacheIfNetFail) != 0, 0x10000},             // INTERNET_FLAG_CACHE_IF_NET_FAIL
      {(internet & ioIgnoreCertificateInvalid) != 0, 0x1000},    // ..._IGNORE_CERT_CN_INVALID
      {(internet & ioIgnoreCertificateDateInvalid) != 0, 0x2000},  // ..._IGNORE_CERT_DATE_INVALID
      {(internet & ioIgnoreRedirectToHTTP) != 0, 0x8000},          // ..._IGNORE_REDIRECT_TO_HTTP
      {(internet & ioIgnoreRedirectToHTTPS) != 0, 0x4000},         // ..._IGNORE_REDIRECT_TO_HTTPS
      {(internet & ioKeepConnection) != 0, 0x400000},              // INTERNET_FLAG_KEEP_CONNECTION
      {(internet & ioNoAuthentication) != 0, 0x40000},             // INTERNET_FLAG_NO_AUTH
      {(internet & ioNoAutoRedirect) != 0, 0x200000},              // INTERNET_FLAG_NO_AUTO_REDIRECT
      {(internet & ioNoCookies) != 0, 0x80000},                    // INTERNET_FLAG_NO_COOKIES
  };
  std::uint32_t flags = 0;
  for (const Flag& f : table) {
    if (f.on) flags |= f.bits;
  }
  return flags;
}

}  // namespace quorvel
