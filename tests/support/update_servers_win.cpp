#include "support/update_servers_win.h"

#include <cstdlib>
#include <optional>

#include "platform/files_win.h"
#include "platform/text.h"
#include "platform/win.h"

#include <wincrypt.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include "platform/handles_win.h"
#include "platform/internet_handle_win.h"

namespace quorvel::testing {

std::string FromUnixPath(const std::string& path) {
  return "Z:" + text::ReplaceAll(path, "/", "\\");
}

std::string UpdateServers::HttpUrl(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(Http) + path;
}

std::string UpdateServers::HttpsUrl(const std::string& path) const {
  return "https://localhost:" + std::to_string(Https) + path;
}

const UpdateServers& TestServers() {
  static const UpdateServers servers = [] {
    UpdateServers s;
    const char* file = std::getenv("QUORVEL_UPDATE_SERVERS");
    if (!file || !*file) return s;
    std::optional<std::string> content = files::ReadAll(FromUnixPath(file));
    if (!content) return s;
    for (const std::string& raw : text::Split(*content, '\n')) {
      std::string line = text::Trim(raw);
      std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string name = line.substr(0, eq), value = line.substr(eq + 1);
      int port = std::atoi(value.c_str());
      if (name == "http") s.Http = port;
      if (name == "https") s.Https = port;
      if (name == "https_unknown") s.HttpsUnknown = port;
      if (name == "proxy") s.Proxy = port;
      if (name == "auth_proxy") s.AuthProxy = port;
      if (name == "ca") s.CaPath = FromUnixPath(value);
    }
    s.Present = s.Http != 0;
    return s;
  }();
  return servers;
}

bool TrustTestAuthority() {
  std::optional<std::string> der = files::ReadAll(TestServers().CaPath);
  if (!der || der->empty()) return false;
  HCERTSTORE store =
      ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
  if (!store) return false;
  BOOL added = ::CertAddEncodedCertificateToStore(
      store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der->data()),
      static_cast<DWORD>(der->size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  ::CertCloseStore(store, 0);
  return added != 0;
}

std::string HttpGet(const std::string& url) {
  InternetHandle session(::InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  InternetHandle request(
      ::InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
  std::string body;
  char buffer[4096];
  DWORD got = 0;
  while (request && ::InternetReadFile(request.Get(), buffer, sizeof(buffer), &got) && got > 0)
    body.append(buffer, got);
  return body;
}

std::vector<int> OtherThreadPriorities() {
  std::vector<int> priorities;
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return priorities;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more;
       more = ::Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != ::GetCurrentProcessId() ||
        entry.th32ThreadID == ::GetCurrentThreadId())
      continue;
    UniqueHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    if (thread) priorities.push_back(::GetThreadPriority(thread.Get()));
  }
  return priorities;
}

}  // namespace quorvel::testing
