// The update download: a 256 MiB file from the loopback test server, fetched three ways in
// one run: through TzHttpTransfer into a file (with a progress handler, as the update flow
// has one, so every read is handed over to this thread, and without one), through a bare
// WinInet read loop into a file with the same buffer size, and with curl. Prints each throughput
// (best of three), the ratios against the goal, and the engine's peak working set after a 16 MiB
// and after the 256 MiB transfers (file output keeps it independent of the file's size). Run
// through scripts/perf.sh, which starts the servers (scripts/with-update-servers.sh).
//   perf_update_download.exe [MiB]   (default 256)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/internet_handle_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/update_servers_win.h"
#include "update/http_transfer_win.h"

// psapi.h needs windows.h first.
#include <psapi.h>

namespace {

constexpr int kRounds = 3;
constexpr double kGoal = 0.9;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t;
}

double PeakWorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

// Seconds for the engine to fetch `url` into `file`; negative when it did not end in Done.
double Engine(const std::string& url, const std::string& file, std::uint32_t buffer,
              long long expected, bool progress = true) {
  quorvel::TzHttpTransfer t;
  t.URL = url;
  t.OutputFileName = file;
  t.TransferBufferSize = buffer;
  long long progressBytes = 0;
  bool done = false;
  if (progress) {
    t.OnDownloadProgress = [&](quorvel::TzHttpTransfer&, const std::string&, quorvel::TzStream*,
                               float, std::uint8_t, std::int32_t, std::int32_t, std::int64_t soFar,
                               std::int64_t) { progressBytes = soFar; };
  } else {
    progressBytes = expected;
  }
  t.OnDone = [&](quorvel::TzHttpTransfer&, const std::string&, quorvel::TzStream*,
                 std::int64_t total) { done = total == expected; };
  LARGE_INTEGER start = Now();
  if (!t.Download(0, 0, true)) return -1;
  LARGE_INTEGER end = Now();
  return done && progressBytes == expected ? Seconds(start, end) : -1;
}

// The same with a bare WinInet loop: open, connect, request, send, read into a file.
double Bare(const std::string& url, const std::string& file, std::uint32_t buffer,
            long long expected) {
  using quorvel::InternetHandle;
  LARGE_INTEGER start = Now();
  InternetHandle session(
      ::InternetOpenA("bare loop", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  URL_COMPONENTSA parts = {};
  char host[256] = {}, path[2048] = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof(host);
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof(path);
  parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return -1;
  std::string object =
      std::string(path) + std::string(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  InternetHandle connection(::InternetConnectA(session.Get(), host, parts.nPort, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
  const char* accept[] = {"text/html, */*", nullptr};
  InternetHandle request(
      ::HttpOpenRequestA(connection.Get(), "GET", object.c_str(), nullptr, nullptr, accept,
                         INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_RESYNCHRONIZE |
                             INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_NEED_FILE,
                         0));
  if (!request || !::HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return -1;
  quorvel::UniqueHandle out(::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr));
  std::string bytes(buffer, '\0');
  long long total = 0;
  for (;;) {
    DWORD got = 0;
    if (!::InternetReadFile(request.Get(), bytes.data(), buffer, &got) || got == 0) break;
    DWORD written = 0;
    ::WriteFile(out.Get(), bytes.data(), got, &written, nullptr);
    total += got;
  }
  out.Reset();
  LARGE_INTEGER end = Now();
  return total == expected ? Seconds(start, end) : -1;
}

// curl, a Unix program that Wine starts for us, writing into the same folder; the time until
// its file has every byte.
double Curl(const std::string& url, const std::string& file, long long expected) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<UnixName>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return -1;
  std::wstring wide(file.begin(), file.end());
  char* unixName = toUnix(wide.c_str());
  if (!unixName) return -1;
  std::string command = "Z:\\usr\\bin\\curl -s -f -o \"" + std::string(unixName) + "\" " + url;
  ::HeapFree(::GetProcessHeap(), 0, unixName);
  ::DeleteFileA(file.c_str());
  LARGE_INTEGER start = Now();
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return -1;
  quorvel::UniqueHandle owned(process.hProcess), thread(process.hThread);
  // Wine gives no handle to wait on for a Unix program: curl is done when its file is whole.
  for (;;) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
      long long written = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      if (written >= expected) break;
    }
    if (Seconds(start, Now()) > 600) return -1;
    ::Sleep(1);
  }
  LARGE_INTEGER end = Now();
  return Seconds(start, end);
}

template <typename F>
double Best(F&& run) {
  double best = -1;
  for (int i = 0; i < kRounds; ++i) {
    double s = run();
    if (s > 0 && (best < 0 || s < best)) best = s;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const quorvel::testing::UpdateServers& servers = quorvel::testing::TestServers();
  if (!servers.Present) {
    std::printf("no test servers: run through scripts/perf.sh update_download\n");
    return 1;
  }
  const long long mib = argc > 1 ? std::atoll(argv[1]) : 256;
  const long long size = mib << 20;
  const std::string url = servers.HttpUrl("/large?size=" + std::to_string(size));
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string file = quorvel::text::WithBackslash(temp) + "perf_download.updtmp";

  double smallSeconds =
      Engine(servers.HttpUrl("/large?size=" + std::to_string(16 << 20)), file, 4096, 16 << 20);
  double peakSmall = PeakWorkingSetMiB();
  std::printf("update download: %lld MiB from 127.0.0.1, best of %d\n", mib, kRounds);
  std::printf("  engine peak working set after a 16 MiB download: %.1f MiB%s\n", peakSmall,
              smallSeconds < 0 ? " (the download failed)" : "");

  bool ok = true;
  auto mibPerSecond = [&](double seconds) { return seconds > 0 ? mib / seconds : 0.0; };
  for (std::uint32_t buffer : {4096u, 65536u}) {
    double engine = Best([&] { return Engine(url, file, buffer, size); });
    double quiet = Best([&] { return Engine(url, file, buffer, size, false); });
    double bare = Best([&] { return Bare(url, file, buffer, size); });
    double ratio = engine > 0 && bare > 0 ? bare / engine : 0;
    double quietRatio = quiet > 0 && bare > 0 ? bare / quiet : 0;
    std::printf("  buffer %6u: bare WinInet loop %7.1f MiB/s\n", buffer, mibPerSecond(bare));
    std::printf(
        "    engine with a progress handler (one hand-over per read) %7.1f MiB/s, "
        "engine/bare %.2f (goal >= %.1f)%s\n",
        mibPerSecond(engine), ratio, kGoal, ratio >= kGoal ? "" : "  MISSED");
    std::printf("    engine without progress handler %7.1f MiB/s, engine/bare %.2f\n",
                mibPerSecond(quiet), quietRatio);
    ok = ok && ratio >= kGoal;
  }
  double peakLarge = PeakWorkingSetMiB();
  std::printf("  engine peak working set after the %lld MiB downloads: %.1f MiB\n", mib, peakLarge);
  double curl = Best([&] { return Curl(url, file, size); });
  std::printf("  curl: %7.1f MiB/s%s\n", mibPerSecond(curl), curl > 0 ? "" : " (curl failed)");
  double engine64 = Best([&] { return Engine(url, file, 65536, size); });
  if (curl > 0 && engine64 > 0)
    std::printf("  engine (64 KiB, progress handler) / curl: %.2f\n", curl / engine64);
  ::DeleteFileA(file.c_str());
  return ok ? 0 : 2;
}
