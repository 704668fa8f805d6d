#pragma once
// TzHttpTransfer: fetches one URL at a time into a file or into memory through WinInet.
// The transfer runs on a worker thread of the engine; every event reaches the caller on the
// user-interface thread (the thread that called Download), handed over synchronously through
// the hidden "TzThreadWindow" window, and the worker waits until the handler returns.
//
// Left out, as nothing in the program uses them: form posting, extra request headers and
// the referrer, byte ranges and resuming (with its 416 handling), "file" URLs, offline mode
// and going online, the status-text event and the request hook.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/internet_handle_win.h"
#include "platform/win.h"
#include "update/http_options.h"
#include "update/http_text.h"

namespace quorvel {

// The output of a transfer as handed to the events; it belongs to the engine and is freed
// after the completion dispatch.
class TzStream {
 public:
  virtual ~TzStream() = default;
  // False when the bytes could not all be written.
  virtual bool Write(const char* data, std::size_t size) = 0;
  virtual std::int64_t Size() const = 0;
  virtual void SeekToStart() = 0;
};

class TzMemoryStream : public TzStream {
 public:
  bool Write(const char* data, std::size_t size) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  void SeekToStart() override { position_ = 0; }
  void Reserve(std::size_t size) { bytes_.reserve(size); }
  const std::string& Bytes() const { return bytes_; }
  std::size_t Position() const { return position_; }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

class TzFileStream : public TzStream {
 public:
  TzFileStream(UniqueHandle file, std::string path) : file_(std::move(file)), path_(path) {}
  bool Write(const char* data, std::size_t size) override;
  std::int64_t Size() const override;
  void SeekToStart() override;
  const std::string& Path() const { return path_; }
  bool IsOpen() const { return static_cast<bool>(file_); }
  void Close() { file_.Reset(); }

 private:
  UniqueHandle file_;
  std::string path_;
};

class TzLoginComponent {
 public:
  std::string HTTPUsername;
  std::string HTTPPassword;
};

class TzHttpTransfer;

struct TzHeaderInfo {
  std::int32_t StatusCode = -1;
  std::string RawHeaders, ContentType, ContentLanguage, ContentEncoding;
  std::int64_t ContentLength = 0;  // FileSize + ResumeFrom
  std::string Location;
  http::DateTime Date = 0, LastModified = 0, Expires = 0;
  std::string ETag;
};

using TzNotifyEvent = std::function<void(TzHttpTransfer& sender)>;
using TzHttpHeaderInfoEvent =
    std::function<void(TzHttpTransfer& sender, const TzHeaderInfo& info, bool& continueDownload)>;
using TzHttpProgressEvent = std::function<void(
    TzHttpTransfer& sender, const std::string& contentType, TzStream* stream, float transferRate,
    std::uint8_t percentsDone, std::int32_t estimatedTimeLeft, std::int32_t elapsedTime,
    std::int64_t bytesSoFar, std::int64_t total)>;
using TzHttpPasswordRequestEvent =
    std::function<void(TzHttpTransfer& sender, const std::string& realm, bool& tryAgain)>;
using TzHttpProxyAuthenticationEvent =
    std::function<void(TzHttpTransfer& sender, std::string& proxyUsername,
                       std::string& proxyPassword, bool& tryAgain)>;
using TzHttpDoneEvent = std::function<void(TzHttpTransfer& sender, const std::string& contentType,
                                           TzStream* stream, std::int64_t total)>;
using TzHttpIncompleteEvent =
    std::function<void(TzHttpTransfer& sender, const std::string& contentType, TzStream* stream,
                       std::int64_t bytesRead, std::int64_t fileSize)>;
using TzHttpErrorEvent =
    std::function<void(TzHttpTransfer& sender, std::int32_t statusCode, TzStream* stream)>;

class TzHttpTransfer : public TzLoginComponent {
 public:
  TzHttpTransfer();
  // Stops a running worker (no event is raised any more), closes every handle, frees buffer
  // and stream; an unfinished output file keeps the Incomplete attributes. User-interface
  // thread, never from inside one of this engine's events.
  virtual ~TzHttpTransfer();
  TzHttpTransfer(const TzHttpTransfer&) = delete;
  TzHttpTransfer& operator=(const TzHttpTransfer&) = delete;

  // Settings, read when a transfer starts.
  std::string URL;
  std::string OutputFileName;
  TzOutputFileAttributes OutputFileAttributes;
  std::string AcceptTypes = "text/html, */*";
  std::string UserAgent = "Zarvent TzHttpTransfer";
  TzCacheOptions CacheOptions = kDefaultCacheOptions;
  TzInternetOptions InternetOptions = kDefaultInternetOptions;
  TzHttpTimeouts Timeouts;
  TzHttpProxy Proxy;
  std::uint32_t TransferBufferSize = 4096;
  int ThreadPriority = THREAD_PRIORITY_NORMAL;
  // A body (an error page too) longer than this ends the transfer as incomplete; 0: no limit.
  std::int64_t MaxBodySize = 0;

  // State of the transfer, written by the worker before each hand-over.
  std::int32_t StatusCode = -1;
  std::int64_t FileSize = 0;
  std::int64_t BytesRead = 0;
  std::uint32_t ResumeFrom = 0, ResumeTo = 0;
  std::string ContentType, RawHeaders, ContentLanguage, ContentEncoding, Location, ETag;
  // The address that answered, after any redirect the platform followed (empty before).
  std::string EffectiveURL;
  http::DateTime Date = 0, LastModified = 0, Expires = 0;
  std::uint8_t PercentsDone = 0;
  std::int32_t ElapsedTime = 0, EstimatedTimeLeft = 0;
  float TransferRate = -1.0f;
  bool ContinueDownload = true;

  // Events, all on the user-interface thread.
  TzHttpHeaderInfoEvent OnHeaderInfo;
  TzHttpProgressEvent OnDownloadProgress;
  TzHttpPasswordRequestEvent OnPasswordRequired;
  TzHttpProxyAuthenticationEvent OnProxyAuthenticationRequest;
  TzHttpDoneEvent OnDone;
  TzHttpIncompleteEvent OnIncomplete;
  TzNotifyEvent OnNoConnection;
  TzHttpErrorEvent OnHTTPError;
  TzNotifyEvent OnDeclined;
  TzNotifyEvent OnNoData;
  TzNotifyEvent OnAnyError;
  TzNotifyEvent OnTransferAborted;

  // Starts a transfer of URL on a fresh worker; false while a transfer is busy (nothing is
  // changed then). From inside a completion event the finished transfer is released first
  // (the stream handed to that event is gone afterwards). With `wait`, returns when the
  // worker has ended, handling user-interface messages meanwhile. User-interface thread.
  bool Download(std::uint32_t resumeFrom = 0, std::uint32_t resumeTo = 0, bool wait = false);
  // Stops the running transfer: no completion event, OnTransferAborted instead, an output
  // file with the Incomplete attributes or deleted with `deleteOutputFile`. Does nothing
  // when no transfer runs. Without `immediately` it returns once the worker has cleaned up
  // at its next check point (at once when called from inside one of this engine's events:
  // the worker cleans up when the event returns); a worker that does not reach a check point
  // within 3 s (a stalled network) is given up as with `immediately`: abandoned, and the
  // clean-up runs here. User-interface thread.
  void Abort(bool deleteOutputFile = false, bool immediately = false);
  // True from Download until the completion dispatch or the abort clean-up has ended.
  bool Busy() const { return busy_; }

 private:
  struct Job;
  using Lock = std::unique_lock<std::mutex>;
  friend LRESULT CALLBACK ThreadWindowProc(HWND, UINT, WPARAM, LPARAM);

  static DWORD WINAPI WorkerMain(void* param);
  void RunWorker(Job& job, Lock& lock);
  void Transfer(Job& job, Lock& lock);
  void CheckPoint(Job& job);
  void HandOver(Job& job, Lock& lock, const std::function<void()>& call);
  template <typename F>
  void Fire(F&& handlerCall);
  void CompletionDispatch(Job& job);
  void CloseOutput(bool deleteFile);
  void FreeTransfer(Job& job);
  std::unique_ptr<TzStream> OpenOutputFile(const std::string& path);
  void RetireWorker();

  std::atomic<bool> busy_{false};  // cleared by the worker after an abort's clean-up
  bool inCompletion_ = false;
  bool destroying_ = false;
  bool deleteOnAbort_ = false;
  bool outputIsFile_ = false;
  bool hasLength_ = false;
  bool readFailed_ = false;
  bool writeFailed_ = false;
  int eventDepth_ = 0;
  unsigned generation_ = 0;
  std::uint32_t startTick_ = 0;
  InternetHandle session_, connection_, request_;
  std::unique_ptr<TzStream> stream_;
  std::shared_ptr<Job> job_;
  std::vector<UniqueHandle> retired_;
  UniqueHandle thread_;
};

}  // namespace quorvel
