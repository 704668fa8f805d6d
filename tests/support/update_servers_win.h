#pragma once
// The servers that scripts/with-update-servers.sh started for this run: their ports, and the
// test certificate authority, which TrustTestAuthority makes trusted inside this Wine prefix
// only.
#include <string>
#include <vector>

namespace quorvel::testing {

struct UpdateServers {
  bool Present = false;  // false when the run was started without the servers
  int Http = 0;
  int Https = 0;         // certificate of the test authority, for "localhost"
  int HttpsUnknown = 0;  // certificate of an authority nobody trusts
  int Proxy = 0;         // tinyproxy
  int AuthProxy = 0;     // tinyproxy asking for zarvent / proxypass
  std::string CaPath;    // the test authority's certificate (DER), a Windows path

  // "http://127.0.0.1:<port>" + path.
  std::string HttpUrl(const std::string& path) const;
  // "https://localhost:<port>" + path (the test authority's certificate; trust it first).
  std::string HttpsUrl(const std::string& path) const;
};

// Read once from the file named by QUORVEL_UPDATE_SERVERS.
const UpdateServers& TestServers();

// Adds the test authority to the local machine's "ROOT" store of this prefix; true when it is
// there afterwards.
bool TrustTestAuthority();

// The body of a plain GET through WinInet, outside any engine; empty when it failed.
std::string HttpGet(const std::string& url);

// The priorities of this process's threads other than the calling one.
std::vector<int> OtherThreadPriorities();

// Windows path of a Unix path ("Z:" + the path with backslashes).
std::string FromUnixPath(const std::string& path);

}  // namespace quorvel::testing
