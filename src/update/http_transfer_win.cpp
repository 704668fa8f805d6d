#include "update/http_transfer_win.h"

#include <algorithm>
#include <atomic>
#include <optional>

#include "platform/error_reporter_win.h"
#include "platform/os_error_win.h"
#include "platform/text.h"

namespace quorvel {

namespace {

constexpr UINT kHandOverMessage = 0x8FFF;
constexpr char kThreadWindowClass[] = "TzThreadWindow";
// A hostile Content-Length must not make the memory output reserve gigabytes up front; the
// body still grows as far as it really goes.
constexpr std::int64_t kMaxReservation = 64ll << 20;
// How long Abort waits for the worker's next check point. A worker that waits on a stalled
// network longer (closing its request does not wake it everywhere) is given up instead, so
// the user interface never hangs on it.
constexpr DWORD kAbortWaitMs = 3000;

HWND g_threadWindow = nullptr;

// Control flow of the worker: an abort asked for at a check point, and a worker that the
// engine has given up (it must run no more engine code).
struct AbortedAtCheckPoint {};
struct WorkerAbandoned {};

std::optional<std::string> QueryText(HINTERNET request, DWORD info) {
  char buffer[4096];
  DWORD length = sizeof(buffer);
  DWORD index = 0;
  if (!::HttpQueryInfoA(request, info, buffer, &length, &index)) return std::nullopt;
  return std::string(buffer, std::min<DWORD>(length, sizeof(buffer)));
}

int BiasInForce() {
  TIME_ZONE_INFORMATION zone = {};
  DWORD which = ::GetTimeZoneInformation(&zone);
  if (which == TIME_ZONE_ID_DAYLIGHT) return zone.Bias + zone.DaylightBias;
  if (which == TIME_ZONE_ID_INVALID) return 0;
  return zone.Bias + zone.StandardBias;
}

void SetAttributeSet(const std::string& path, TzFileAttributeSet set) {
  ::SetFileAttributesA(path.c_str(), PlatformFileAttributes(set));
}

void SetTextOption(HINTERNET handle, DWORD option, const std::string& value) {
  ::InternetSetOptionA(handle, option, const_cast<char*>(value.c_str()),
                       static_cast<DWORD>(value.size()));
}

// Waits for a thread while the worker's hand-overs (sent messages) keep running; with
// `allMessages` every message of this thread is handled meanwhile. True when it ended.
bool WaitWhileHandlingMessages(HANDLE thread, bool allMessages, DWORD limitMs = INFINITE) {
  DWORD start = ::GetTickCount();
  for (;;) {
    DWORD waited = ::GetTickCount() - start;
    DWORD left = limitMs == INFINITE ? INFINITE : (waited >= limitMs ? 0 : limitMs - waited);
    DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, left,
                                          allMessages ? QS_ALLINPUT : QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return r == WAIT_OBJECT_0;
    MSG msg;
    if (allMessages) {
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    } else {
      // Peeking delivers the messages sent from other threads; nothing is removed.
      ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

}  // namespace

struct TzHttpTransfer::Job {
  std::mutex mutex;        // held by the worker whenever it touches the engine
  bool abandoned = false;  // set under `mutex` by the user-interface thread
  std::atomic<bool> abortRequested{false};
  TzHttpTransfer* engine = nullptr;  // used only while not abandoned
  std::vector<char> buffer;          // the receive buffer; the worker may be reading into it
  std::string url;                   // URL and OutputFileName as they were at Download
  std::string outputFileName;
};

struct HandOverCall {
  TzHttpTransfer* engine;
  const void* job;
  const bool* abandoned;
  const std::function<void()>* call;
};

LRESULT CALLBACK ThreadWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kHandOverMessage) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  auto* handOver = reinterpret_cast<HandOverCall*>(lParam);
  // A given-up worker's call is dropped before its engine is looked at: the engine may be
  // gone already.
  if (*handOver->abandoned || handOver->engine->destroying_) return 0;
  TzHttpTransfer* engine = handOver->engine;
  ++engine->eventDepth_;
  Guarded(nullptr, "HTTP transfer", *handOver->call);
  --engine->eventDepth_;
  return 0;
}

namespace {

void EnsureThreadWindow() {
  if (g_threadWindow) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ThreadWindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kThreadWindowClass;
  ::RegisterClassA(&wc);
  g_threadWindow = ::CreateWindowExA(0, kThreadWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, wc.hInstance, nullptr);
  if (!g_threadWindow) throw OsError(::GetLastError());
}

}  // namespace

bool TzMemoryStream::Write(const char* data, std::size_t size) {
  bytes_.append(data, size);
  position_ = bytes_.size();
  return true;
}

bool TzFileStream::Write(const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::WriteFile(file_.Get(), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::int64_t TzFileStream::Size() const {
  LARGE_INTEGER size = {};
  if (!file_ || !::GetFileSizeEx(file_.Get(), &size)) return 0;
  return size.QuadPart;
}

void TzFileStream::SeekToStart() {
  if (file_) ::SetFilePointer(file_.Get(), 0, nullptr, FILE_BEGIN);
}

TzHttpTransfer::TzHttpTransfer() = default;

TzHttpTransfer::~TzHttpTransfer() {
  destroying_ = true;
  if (job_) {
    {
      std::lock_guard<std::mutex> guard(job_->mutex);
      job_->abandoned = true;
    }
    RetireWorker();
  }
  // A given-up worker touches nothing of the engine any more (its hand-overs are dropped),
  // so there is no need to wait for one that still waits on the network.
  request_.Reset();
  connection_.Reset();
  session_.Reset();
  CloseOutput(false);
}

void TzHttpTransfer::RetireWorker() {
  if (thread_) retired_.push_back(std::move(thread_));
  job_.reset();
}

bool TzHttpTransfer::Download(std::uint32_t resumeFrom, std::uint32_t resumeTo, bool wait) {
  if (busy_ && !inCompletion_) return false;
  EnsureThreadWindow();
  if (job_) {
    // From inside a completion event: the finished transfer is released now; its worker
    // waits for this dispatch to return and then ends without touching the engine.
    if (inCompletion_) FreeTransfer(*job_);
    {
      std::lock_guard<std::mutex> guard(job_->mutex);
      job_->abandoned = true;
    }
    RetireWorker();
  }
  inCompletion_ = false;
  std::erase_if(retired_, [](const UniqueHandle& h) {
    return ::WaitForSingleObject(h.Get(), 0) == WAIT_OBJECT_0;
  });

  ++generation_;
  busy_ = true;
  TransferRate = -1.0f;
  ResumeFrom = resumeFrom;
  ResumeTo = resumeTo;
  deleteOnAbort_ = false;
  job_ = std::make_shared<Job>();
  job_->engine = this;
  job_->url = URL;
  job_->outputFileName = OutputFileName;
  auto* param = new std::shared_ptr<Job>(job_);
  HANDLE thread = ::CreateThread(nullptr, 0, WorkerMain, param, CREATE_SUSPENDED, nullptr);
  if (!thread) {
    DWORD error = ::GetLastError();
    delete param;
    job_.reset();
    busy_ = false;
    throw OsError(error);
  }
  thread_.Reset(thread);
  ::SetThreadPriority(thread, ThreadPriority);
  HANDLE waitHandle = nullptr;
  if (wait) {
    ::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &waitHandle,
                      SYNCHRONIZE, FALSE, 0);
  }
  ::ResumeThread(thread);
  if (waitHandle) {
    UniqueHandle owned(waitHandle);
    WaitWhileHandlingMessages(waitHandle, true);
  }
  return true;
}

void TzHttpTransfer::Abort(bool deleteOutputFile, bool immediately) {
  if (!busy_ || inCompletion_ || !job_ || job_->abortRequested) return;
  std::shared_ptr<Job> job = job_;
  deleteOnAbort_ = deleteOutputFile;
  job->abortRequested = true;
  if (!immediately) {
    // Inside one of our events the worker waits for us; it cleans up when the event returns.
    if (eventDepth_ > 0) return;
    {
      // A worker blocked on the network may wake when its request is closed.
      std::lock_guard<std::mutex> guard(job->mutex);
      request_.Reset();
    }
    HANDLE waitHandle = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), thread_.Get(), ::GetCurrentProcess(), &waitHandle,
                      SYNCHRONIZE, FALSE, 0);
    UniqueHandle owned(waitHandle);
    if (waitHandle && WaitWhileHandlingMessages(waitHandle, false, kAbortWaitMs)) return;
    if (job_ != job) return;
  }
  {
    std::lock_guard<std::mutex> guard(job->mutex);
    // The worker finished its own clean-up meanwhile; its OnTransferAborted is on the way.
    if (!busy_) return;
    job->abandoned = true;
  }
  RetireWorker();
  request_.Reset();
  connection_.Reset();
  session_.Reset();
  CloseOutput(deleteOnAbort_);
  busy_ = false;
  Fire([&] {
    if (OnTransferAborted) OnTransferAborted(*this);
  });
}

DWORD WINAPI TzHttpTransfer::WorkerMain(void* param) {
  std::shared_ptr<Job> job = std::move(*static_cast<std::shared_ptr<Job>*>(param));
  delete static_cast<std::shared_ptr<Job>*>(param);
  Lock lock(job->mutex);
  if (job->abandoned) return 0;
  job->engine->RunWorker(*job, lock);
  return 0;
}

void TzHttpTransfer::RunWorker(Job& job, Lock& lock) {
  try {
    try {
      Transfer(job, lock);
    } catch (const AbortedAtCheckPoint&) {
      throw;
    } catch (const WorkerAbandoned&) {
      throw;
    } catch (...) {
      // An unexpected error of the worker: reported, and the completion follows with the
      // state reached, which is never a success (a body cut short is incomplete).
      readFailed_ = true;
      HandOver(job, lock, [this] {
        Fire([this] {
          if (OnAnyError) OnAnyError(*this);
        });
      });
    }
    CheckPoint(job);
    HandOver(job, lock, [this, &job] { CompletionDispatch(job); });
  } catch (const AbortedAtCheckPoint&) {
    try {
      request_.Reset();
      connection_.Reset();
      session_.Reset();
      job.buffer = std::vector<char>();
      CloseOutput(deleteOnAbort_);
      busy_ = false;
      HandOver(job, lock, [this] {
        Fire([this] {
          if (OnTransferAborted) OnTransferAborted(*this);
        });
      });
    } catch (const WorkerAbandoned&) {
    }
  } catch (const WorkerAbandoned&) {
  }
}

void TzHttpTransfer::CheckPoint(Job& job) {
  if (job.abortRequested) throw AbortedAtCheckPoint{};
}

void TzHttpTransfer::HandOver(Job& job, Lock& lock, const std::function<void()>& call) {
  if (job.abandoned) throw WorkerAbandoned{};
  HandOverCall handOver{this, &job, &job.abandoned, &call};
  lock.unlock();
  ::SendMessageA(g_threadWindow, kHandOverMessage, 0, reinterpret_cast<LPARAM>(&handOver));
  lock.lock();
  if (job.abandoned) throw WorkerAbandoned{};
}

template <typename F>
void TzHttpTransfer::Fire(F&& handlerCall) {
  Guarded(nullptr, "HTTP transfer event", handlerCall);
}

std::unique_ptr<TzStream> TzHttpTransfer::OpenOutputFile(const std::string& path) {
  DWORD former = ::GetFileAttributesA(path.c_str());
  bool restore = former != INVALID_FILE_ATTRIBUTES &&
                 (former & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != 0;
  if (restore) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  HANDLE file = ::CreateFileA(
      path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      ResumeFrom == 0 ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (restore) ::SetFileAttributesA(path.c_str(), former);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (ResumeFrom != 0) ::SetFilePointer(file, static_cast<LONG>(ResumeFrom), nullptr, FILE_BEGIN);
  if (OutputFileAttributes.Incomplete != atrArchive)
    SetAttributeSet(path, OutputFileAttributes.Incomplete);
  return std::make_unique<TzFileStream>(UniqueHandle(file), path);
}

void TzHttpTransfer::CloseOutput(bool deleteFile) {
  if (outputIsFile_ && stream_) {
    auto* file = static_cast<TzFileStream*>(stream_.get());
    if (file->IsOpen()) {
      file->Close();
      if (OutputFileAttributes.Incomplete != atrArchive)
        SetAttributeSet(file->Path(), OutputFileAttributes.Incomplete);
    }
    if (deleteFile) {
      ::SetFileAttributesA(file->Path().c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(file->Path().c_str());
    }
  }
  stream_.reset();
  outputIsFile_ = false;
}

void TzHttpTransfer::FreeTransfer(Job& job) {
  request_.Reset();
  connection_.Reset();
  session_.Reset();
  job.buffer = std::vector<char>();
  CloseOutput(false);
}

void TzHttpTransfer::Transfer(Job& job, Lock& lock) {
  StatusCode = -1;
  ContentType.clear();
  EffectiveURL.clear();
  FileSize = 0;
  BytesRead = 0;
  PercentsDone = 0;
  hasLength_ = readFailed_ = writeFailed_ = false;
  outputIsFile_ = false;
  const std::uint32_t bufferSize = std::max<std::uint32_t>(TransferBufferSize, 1);
  startTick_ = ::GetTickCount();
  ContinueDownload = true;

  std::string url = http::WithScheme(job.url);
  char scheme[33] = {}, host[257] = {}, user[129] = {}, password[129] = {}, path[2049] = {},
       extra[2049] = {};
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszScheme = scheme;
  parts.dwSchemeLength = sizeof(scheme) - 1;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof(host) - 1;
  parts.lpszUserName = user;
  parts.dwUserNameLength = sizeof(user) - 1;
  parts.lpszPassword = password;
  parts.dwPasswordLength = sizeof(password) - 1;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof(path) - 1;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = sizeof(extra) - 1;
  INTERNET_PORT port = 0;
  // The escapes are decoded here rather than by the platform (Wine leaves the extra part as
  // it is), so the query is written again the same way everywhere.
  if (::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    port = parts.nPort;
  } else {
    scheme[0] = host[0] = user[0] = password[0] = path[0] = extra[0] = '\0';
  }
  std::string userName = user[0] ? http::PercentDecode(user) : HTTPUsername;
  std::string userPassword = password[0] ? http::PercentDecode(password) : HTTPPassword;
  std::string schemeText = scheme;

  CheckPoint(job);
  // Only http and https are fetched; anything else has no connection.
  if (!text::EqualsNoCase(schemeText, "http") && !text::EqualsNoCase(schemeText, "https")) return;

  DWORD access = INTERNET_OPEN_TYPE_PRECONFIG;
  std::string proxyName, bypass;
  if (Proxy.AccessType == TzHttpAccessType::atDirect) access = INTERNET_OPEN_TYPE_DIRECT;
  if (Proxy.AccessType == TzHttpAccessType::atUseProxy) {
    access = INTERNET_OPEN_TYPE_PROXY;
    proxyName = Proxy.ProxyServer + ":" + std::to_string(Proxy.ProxyPort);
    bypass = Proxy.ProxyBypass;
  }
  session_.Reset(::InternetOpenA(UserAgent.c_str(), access,
                                 proxyName.empty() ? nullptr : proxyName.c_str(),
                                 bypass.empty() ? nullptr : bypass.c_str(), 0));
  if (!session_) return;
  const bool proxyCredentials = Proxy.AccessType != TzHttpAccessType::atDirect &&
                                !Proxy.ProxyUsername.empty() && !Proxy.ProxyPassword.empty();
  if (proxyCredentials) {
    SetTextOption(session_.Get(), INTERNET_OPTION_PROXY_USERNAME, Proxy.ProxyUsername);
    SetTextOption(session_.Get(), INTERNET_OPTION_PROXY_PASSWORD, Proxy.ProxyPassword);
  }

  CheckPoint(job);
  connection_.Reset(::InternetConnectA(
      session_.Get(), host, port, userName.empty() ? nullptr : userName.c_str(),
      userPassword.empty() ? nullptr : userPassword.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection_) return;

  CheckPoint(job);
  std::string object = http::PercentDecode(path) + http::ReencodeExtra(http::PercentDecode(extra));
  const char* acceptTypes[] = {AcceptTypes.c_str(), nullptr};
  request_.Reset(::HttpOpenRequestA(connection_.Get(), "GET", object.c_str(), nullptr, nullptr,
                                    acceptTypes,
                                    RequestFlags(schemeText, CacheOptions, InternetOptions), 0));
  if (!request_) return;

  CheckPoint(job);
  auto setTimeout = [this](DWORD option, std::uint32_t ms) {
    if (ms != 0) ::InternetSetOptionA(request_.Get(), option, &ms, sizeof(ms));
  };
  setTimeout(INTERNET_OPTION_CONNECT_TIMEOUT, Timeouts.ConnectTimeout);
  setTimeout(INTERNET_OPTION_SEND_TIMEOUT, Timeouts.SendTimeout);
  setTimeout(INTERNET_OPTION_RECEIVE_TIMEOUT, Timeouts.ReceiveTimeout);
  if (InternetOptions & ioIgnoreUnknownCertificateAuthority) {
    DWORD flags = 0;
    DWORD size = sizeof(flags);
    ::InternetQueryOptionA(request_.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
    flags |= SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    ::InternetSetOptionA(request_.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
  }
  if (proxyCredentials) {
    SetTextOption(request_.Get(), INTERNET_OPTION_PROXY_USERNAME, Proxy.ProxyUsername);
    SetTextOption(request_.Get(), INTERNET_OPTION_PROXY_PASSWORD, Proxy.ProxyPassword);
  }

  // The blocking platform calls run without the worker's lock, so that an immediate abort
  // never waits for the network.
  auto unlocked = [&](auto&& call) {
    lock.unlock();
    auto result = call();
    lock.lock();
    if (job.abandoned) throw WorkerAbandoned{};
    return result;
  };

  for (;;) {
    CheckPoint(job);
    bool tryAgain = false;
    HINTERNET request = request_.Get();
    BOOL sent = unlocked([request] { return ::HttpSendRequestA(request, nullptr, 0, nullptr, 0); });
    if (!sent) {
      StatusCode = -1;
      stream_.reset();
      return;
    }
    CheckPoint(job);
    StatusCode =
        http::HeaderNumber(QueryText(request, HTTP_QUERY_STATUS_CODE).value_or("")).value_or(0);
    if (StatusCode == 401 && OnPasswordRequired) {
      std::string realm =
          http::RealmFromAuthenticate(QueryText(request, HTTP_QUERY_WWW_AUTHENTICATE).value_or(""));
      HandOver(job, lock, [&] { Fire([&] { OnPasswordRequired(*this, realm, tryAgain); }); });
      SetTextOption(request, INTERNET_OPTION_USERNAME, HTTPUsername);
      SetTextOption(request, INTERNET_OPTION_PASSWORD, HTTPPassword);
    } else if (StatusCode == 407 && OnProxyAuthenticationRequest) {
      HandOver(job, lock, [&] {
        Fire([&] {
          OnProxyAuthenticationRequest(*this, Proxy.ProxyUsername, Proxy.ProxyPassword, tryAgain);
        });
      });
      SetTextOption(request, INTERNET_OPTION_PROXY_USERNAME, Proxy.ProxyUsername);
      SetTextOption(request, INTERNET_OPTION_PROXY_PASSWORD, Proxy.ProxyPassword);
    }
    if (!tryAgain) break;
    // The refused answer's body is read away, so the request can be sent again.
    char scratch[4096];
    for (;;) {
      CheckPoint(job);
      DWORD got = 0;
      BOOL ok =
          unlocked([&] { return ::InternetReadFile(request, scratch, sizeof(scratch), &got); });
      if (!ok || got == 0) break;
    }
  }

  stream_.reset();
  CheckPoint(job);
  HINTERNET request = request_.Get();
  {
    char answered[4096];
    DWORD size = sizeof(answered);
    if (::InternetQueryOptionA(request, INTERNET_OPTION_URL, answered, &size))
      EffectiveURL.assign(answered, std::min<DWORD>(size, sizeof(answered)));
  }
  ContentType = QueryText(request, HTTP_QUERY_CONTENT_TYPE).value_or("");
  std::optional<std::int32_t> length;
  if (auto text = QueryText(request, HTTP_QUERY_CONTENT_LENGTH)) length = http::HeaderNumber(*text);
  hasLength_ = length.has_value();
  FileSize = length.value_or(0);
  if (!QueryText(request, HTTP_QUERY_CONTENT_RANGE)) ResumeFrom = 0;
  if (OnHeaderInfo) {
    int bias = BiasInForce();
    auto date = [&](DWORD info) {
      auto text = QueryText(request, info);
      return text ? http::ParseHttpDate(*text, bias) : 0.0;
    };
    RawHeaders = QueryText(request, HTTP_QUERY_RAW_HEADERS_CRLF).value_or("");
    ContentLanguage = QueryText(request, HTTP_QUERY_CONTENT_LANGUAGE).value_or("");
    ContentEncoding = QueryText(request, HTTP_QUERY_CONTENT_ENCODING).value_or("");
    Location = QueryText(request, HTTP_QUERY_LOCATION).value_or("");
    ETag = QueryText(request, HTTP_QUERY_ETAG).value_or("");
    Date = date(HTTP_QUERY_DATE);
    LastModified = date(HTTP_QUERY_LAST_MODIFIED);
    Expires = date(HTTP_QUERY_EXPIRES);
    TzHeaderInfo info{StatusCode,
                      RawHeaders,
                      ContentType,
                      ContentLanguage,
                      ContentEncoding,
                      FileSize + ResumeFrom,
                      Location,
                      Date,
                      LastModified,
                      Expires,
                      ETag};
    HandOver(job, lock, [&] { Fire([&] { OnHeaderInfo(*this, info, ContinueDownload); }); });
    if (!ContinueDownload) return;
  }

  CheckPoint(job);
  if ((StatusCode == 200 || StatusCode == 206) && !job.outputFileName.empty()) {
    stream_ = OpenOutputFile(job.outputFileName);
    if (stream_) {
      outputIsFile_ = true;
    } else if (hasLength_) {
      // Ends as a success without a stream: OnNoData.
      return;
    }
  }
  if (!stream_) {
    auto memory = std::make_unique<TzMemoryStream>();
    if (hasLength_) memory->Reserve(static_cast<std::size_t>(std::min(FileSize, kMaxReservation)));
    stream_ = std::move(memory);
  }

  job.buffer.assign(bufferSize, 0);
  char* buffer = job.buffer.data();
  bool ended = false;
  while (!ended) {
    CheckPoint(job);
    // One read fills the buffer, as WinInet does on Windows; Wine hands out what has arrived,
    // which would make a hand-over for every few bytes.
    DWORD got = 0;
    while (got < bufferSize) {
      DWORD part = 0;
      BOOL ok = unlocked(
          [&] { return ::InternetReadFile(request, buffer + got, bufferSize - got, &part); });
      if (!ok) readFailed_ = true;
      if (!ok || part == 0) {
        ended = true;
        break;
      }
      got += part;
    }
    if (got == 0) break;
    BytesRead += got;
    if (MaxBodySize > 0 && BytesRead > MaxBodySize) {
      readFailed_ = true;
      break;
    }
    if (!stream_->Write(buffer, got)) {
      writeFailed_ = true;
      break;
    }
    if (OnDownloadProgress) {
      http::ProgressValues p =
          http::ComputeProgress(BytesRead, FileSize, ResumeFrom, startTick_, ::GetTickCount());
      PercentsDone = p.PercentsDone;
      ElapsedTime = p.ElapsedTime;
      EstimatedTimeLeft = p.EstimatedTimeLeft;
      TransferRate = p.TransferRate;
      HandOver(job, lock, [&] {
        Fire([&] {
          OnDownloadProgress(*this, ContentType, stream_.get(), TransferRate, PercentsDone,
                             EstimatedTimeLeft, ElapsedTime, BytesRead + ResumeFrom,
                             FileSize + ResumeFrom);
        });
      });
    }
  }
}

void TzHttpTransfer::CompletionDispatch(Job& job) {
  if (job.abortRequested) {
    // Asked to stop after the last check point: still no completion.
    CloseOutput(deleteOnAbort_);
    FreeTransfer(job);
    busy_ = false;
    Fire([this] {
      if (OnTransferAborted) OnTransferAborted(*this);
    });
    return;
  }
  inCompletion_ = true;
  const unsigned generation = generation_;
  // False once a handler started a new transfer (or the engine is going): the rest of this
  // dispatch belongs to a transfer that is gone.
  auto ours = [&] { return generation_ == generation && !destroying_; };
  request_.Reset();
  connection_.Reset();
  session_.Reset();
  if (stream_) stream_->SeekToStart();

  if (!ContinueDownload) {
    FreeTransfer(job);
    busy_ = false;
    inCompletion_ = false;
    Fire([this] {
      if (OnDeclined) OnDeclined(*this);
    });
    return;
  }

  const bool statusOk = StatusCode == 200 || StatusCode == 206;
  // A read that failed ends the body early even when no length was announced.
  const bool success = statusOk && !readFailed_ && !writeFailed_ &&
                       (FileSize == 0 || !stream_ || BytesRead == FileSize);
  if (success && stream_) {
    TzStream* handed = stream_.get();
    if (outputIsFile_) {
      auto* file = static_cast<TzFileStream*>(stream_.get());
      file->Close();
      if (OutputFileAttributes.Complete != OutputFileAttributes.Incomplete)
        SetAttributeSet(file->Path(), OutputFileAttributes.Complete);
      handed = nullptr;
    }
    Fire([&] {
      if (OnDone) OnDone(*this, ContentType, handed, BytesRead + ResumeFrom);
    });
  } else if (success) {
    Fire([this] {
      if (OnAnyError) OnAnyError(*this);
    });
    if (!ours()) return;
    Fire([this] {
      if (OnNoData) OnNoData(*this);
    });
  } else {
    if (statusOk) {
      Fire([this] {
        if (OnIncomplete) OnIncomplete(*this, ContentType, stream_.get(), BytesRead, FileSize);
      });
    } else if (StatusCode == -1) {
      Fire([this] {
        if (OnNoConnection) OnNoConnection(*this);
      });
    } else {
      Fire([this] {
        if (OnHTTPError) OnHTTPError(*this, StatusCode, stream_.get());
      });
      if (ours() && outputIsFile_) CloseOutput(true);
    }
    if (!ours()) return;
    Fire([this] {
      if (OnAnyError) OnAnyError(*this);
    });
  }
  if (!ours()) return;
  FreeTransfer(job);
  busy_ = false;
  inCompletion_ = false;
}

}  // namespace quorvel
