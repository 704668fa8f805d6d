#include "update/updater_win.h"

#include "platform/win.h"

#include <commctrl.h>
#include <oleauto.h>
#include <shellapi.h>

#include "platform/error_reporter_win.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/seams_win.h"
#include "platform/text.h"
#include "update/helper_command.h"
#include "update/update_crypto_win.h"
#include "update/update_signature.h"

namespace quorvel::update {

namespace {

std::string Today() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return text::Format("%.2d/%.2d/%.4d", now.wMonth, now.wDay, now.wYear);
}

UpdaterDate TodayDate() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return UpdaterDate{now.wYear, now.wMonth, now.wDay};
}

std::string ShellFolder(const char* name) {
  RegKey key = reg::Open(HKEY_CURRENT_USER,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  if (!key) return {};
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return std::string(buffer);
}

// The file's creation and last-write times set to `when` (local time, two-second steps); the
// last-access time is kept.
void SetFileTimes(const std::string& path, http::DateTime when) {
  SYSTEMTIME local;
  if (!::VariantTimeToSystemTime(when, &local)) return;
  local.wSecond = static_cast<WORD>(local.wSecond & ~1);
  local.wMilliseconds = 0;
  FILETIME localTime, utc;
  if (!::SystemTimeToFileTime(&local, &localTime) || !::LocalFileTimeToFileTime(&localTime, &utc))
    return;
  UniqueHandle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (!file) return;
  ::SetFileTime(file.Get(), &utc, nullptr, &utc);
}

std::int64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The user's decimal separator, for texts 6 and 7.
std::string DecimalSeparator() {
  char separator[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) <= 1)
    return ".";
  return separator;
}

std::string FileNameOf(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TzUpdater::TzUpdater(HINSTANCE instance)
    : instance_(instance), waitEvent_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  VersionDate = Today();
  ProgramPath = files::ProgramPath();
  if (std::string own = files::UserDataFolder(); !own.empty()) StagingFolder = own + "Update\\";
  StartProgram = [](const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
      return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
  };
  // Downloads stay hidden until the helper has moved them into place.
  OutputFileAttributes.Incomplete = atrHidden | atrTemporary;
  OutputFileAttributes.Complete = atrArchive | atrHidden | atrTemporary;
  files::DeleteQuietly(TempFolder() + kHelperFileName);
  WNDCLASSA wc = {};
  if (!::GetClassInfoA(instance_, "TzUpdaterCleanup", &wc)) {
    wc.lpfnWndProc = CleanupWindowProc;
    wc.hInstance = instance_;
    wc.lpszClassName = "TzUpdaterCleanup";
    ::RegisterClassA(&wc);
  }
  cleanupWindow_ = ::CreateWindowExA(0, "TzUpdaterCleanup", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                     nullptr, instance_, nullptr);
  if (cleanupWindow_)
    ::SetWindowLongPtrA(cleanupWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  OnHeaderInfo = [this](TzHttpTransfer&, const TzHeaderInfo& info, bool& continueDownload) {
    HeaderInfo(info, continueDownload);
  };
  OnDownloadProgress = [this](TzHttpTransfer&, const std::string&, TzStream*, float rate,
                              std::uint8_t percents, std::int32_t estimated, std::int32_t elapsed,
                              std::int64_t bytesSoFar, std::int64_t total) {
    DownloadProgress(percents, rate, estimated, elapsed, bytesSoFar, total);
  };
  OnDone = [this](TzHttpTransfer&, const std::string&, TzStream* stream, std::int64_t) {
    TransferDone(stream);
  };
  OnDeclined = [this](TzHttpTransfer&) { TransferDeclined(); };
  OnNoConnection = [this](TzHttpTransfer&) { NoConnection(); };
  OnIncomplete = [this](TzHttpTransfer&, const std::string&, TzStream*, std::int64_t,
                        std::int64_t) { Incomplete(); };
  OnHTTPError = [this](TzHttpTransfer&, std::int32_t status, TzStream*) { HttpError(status); };
  OnNoData = [this](TzHttpTransfer&) { NoData(); };
  OnPasswordRequired = [this](TzHttpTransfer& sender, const std::string& realm, bool& tryAgain) {
    PasswordRequired(sender, realm, tryAgain);
  };
}

void TzUpdater::HeaderInfo(const TzHeaderInfo& info, bool& continueDownload) {
  // Whatever redirect the platform followed, only an https answer is taken.
  if (!IsHttpsEntry(EffectiveURL)) {
    refused_ = true;
    continueDownload = false;
    return;
  }
  if (infoMode_) return;
  fileTime_ = info.LastModified;
  if (wizard_)
    ::SetWindowTextA(
        wizard_->LFileSize,
        FileSizeText(Text(6), static_cast<double>(info.ContentLength) / 1024, DecimalSeparator())
            .c_str());
  if (MiscFilesUpgrade == TzMiscFilesUpdateBehavior::mfuOnlyIfSizeDifferent &&
      info.ContentLength != 0 && fileList_.size() >= 2 &&
      !text::EqualsNoCase(FileNameOf(currentDestination_), FileNameOf(ProgramPath)) &&
      files::FileExists(currentDestination_))
    continueDownload = SizeOf(currentDestination_) != info.ContentLength;
  if (OnFileStart) OnFileStart(*this, currentUrl_, info.ContentLength, fileTime_, continueDownload);
}

void TzUpdater::DownloadProgress(std::uint8_t percents, float rate, std::int32_t estimated,
                                 std::int32_t elapsed, std::int64_t bytesSoFar,
                                 std::int64_t total) {
  if (infoMode_) return;
  int count = static_cast<int>(fileList_.size());
  int totalPercents = TotalPercentsDone(static_cast<int>(index_), count, percents);
  if (OnProgress)
    OnProgress(*this, currentUrl_, total, bytesSoFar, elapsed, estimated, percents, totalPercents,
               rate);
  if (wizard_) {
    ::SendMessageA(wizard_->ProgressCurrentFile, PBM_SETPOS, percents, 0);
    ::SendMessageA(wizard_->ProgressAllFiles, PBM_SETPOS, totalPercents, 0);
    ::SetWindowTextA(wizard_->LTransferRate,
                     TransferRateText(Text(7), rate, DecimalSeparator()).c_str());
    ::SetWindowTextA(wizard_->LEstimatedTime, EstimatedTimeText(Text(8), estimated).c_str());
  }
}

void TzUpdater::TransferDone(TzStream* stream) {
  if (infoMode_) {
    InfoDone(stream);
    return;
  }
  // A body that went to memory was not written to its file (it could not be created and no
  // length was announced): that file is not downloaded.
  if (stream) {
    FileMissing(0, false);
    return;
  }
  // The file must be exactly the one the maker's information file describes.
  auto expected = InfoFileHash(signedContent_, entries_[index_].Key);
  auto actual = update::Sha256OfFile(tempName_);
  if (!expected || !actual || actual->Size != expected->Size ||
      actual->Sha256 != expected->Sha256) {
    ::SetFileAttributesA(tempName_.c_str(), FILE_ATTRIBUTE_NORMAL);
    files::DeleteQuietly(tempName_);
    Refuse();
    return;
  }
  if (fileTime_ != 0) SetFileTimes(tempName_, fileTime_);
  if (OnFileDone) OnFileDone(*this, tempName_);
  NextEntry();
}

void TzUpdater::TransferDeclined() {
  if (refused_) {
    Refuse();
    return;
  }
  if (!infoMode_) NextEntry();
}

void TzUpdater::NoConnection() {
  if (OnHostUnreachable) OnHostUnreachable(*this, URL, UrlHostName(URL));
  if (ShowMessages & mHostUnreachable)
    Box(FillTexts(Text(26), "http://" + UrlHostName(URL)), Text(0), MB_OK | MB_ICONERROR);
  Stop();
}

void TzUpdater::Incomplete() {
  // More than the maker's file (or an information file beyond any real one) is not theirs.
  if (MaxBodySize > 0 && BytesRead > MaxBodySize) {
    Refuse();
    return;
  }
  if (OnConnLost) OnConnLost(*this);
  if (ShowMessages & mConnLost) Box(Text(30), Text(0), MB_OK | MB_ICONERROR);
  Stop();
}

void TzUpdater::HttpError(std::int32_t status) {
  if (infoMode_) {
    infoMode_ = false;
    CacheOptions = plainCache_;
    SignalWait();
    if (OnNoInfoFile) OnNoInfoFile(*this);
    if (ShowMessages & mNoInfoFile) Box(Text(25), Text(0), MB_OK | MB_ICONERROR);
    return;
  }
  FileMissing(status, true);
}

// The update file could not be created (a full disk, a folder in its place): like a file
// that is missing on the server, so the user can skip it or stop.
void TzUpdater::NoData() {
  if (infoMode_) {
    infoMode_ = false;
    CacheOptions = plainCache_;
    SignalWait();
    if (OnNoInfoFile) OnNoInfoFile(*this);
    return;
  }
  FileMissing(0, false);
}

void TzUpdater::PasswordRequired(TzHttpTransfer& sender, const std::string& realm, bool& tryAgain) {
  if (OnPasswordRequest) OnPasswordRequest(sender, realm, tryAgain);
  if (tryAgain || !(ShowMessages & mPasswordRequest)) return;
  TzUpdaterPasswordForm form(instance_, *texts_);
  form.Create(UrlFileName(URL), HTTPUsername);
  std::string user = HTTPUsername, password;
  bool ok = CurrentSeams().ModalDialog(MainWindow, "password: " + UrlFileName(URL), [&] {
    return form.ShowModal(wizard_ ? wizard_->Handle() : MainWindow, user, password);
  });
  if (ok) {
    HTTPUsername = user;
    HTTPPassword = password;
    tryAgain = true;
  } else {
    Abort();
  }
}

TzUpdater::~TzUpdater() {
  SignalWait();
  OnAborted = nullptr;
  if (cleanupWindow_) {
    ::SetWindowLongPtrA(cleanupWindow_, GWLP_USERDATA, 0);
    ::DestroyWindow(cleanupWindow_);
  }
}

LRESULT CALLBACK TzUpdater::CleanupWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* self = reinterpret_cast<TzUpdater*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && message == WM_TIMER) {
    // Once the engine has let go of its output file.
    if (self->Busy()) return 0;
    ::KillTimer(hwnd, wParam);
    Guarded(self->MainWindow, "TzUpdater cleanup", [self] {
      std::vector<std::string> paths = std::move(self->pendingCleanup_);
      self->pendingCleanup_.clear();
      for (const std::string& path : paths) {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        files::DeleteQuietly(path);
      }
    });
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

std::string TzUpdater::ProgramFolder() const {
  std::size_t slash = ProgramPath.find_last_of('\\');
  return slash == std::string::npos ? std::string() : ProgramPath.substr(0, slash + 1);
}

std::string TzUpdater::TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, buffer);
  if (n == 0 || n > MAX_PATH) return {};
  return text::WithBackslash(buffer);
}

std::string TzUpdater::Text(int i) const {
  if (!texts_) return std::string(EnglishText(i));
  return texts_->Text(i);
}

int TzUpdater::Box(const std::string& text, const std::string& caption, UINT flags) {
  return CurrentSeams().Box(wizard_ ? wizard_->Handle() : MainWindow, text, caption, flags);
}

bool TzUpdater::CheckUpdate(bool WaitForResult) {
  if (Busy() || downloading_) return false;
  texts_ = std::make_unique<UpdaterTexts>(instance_, Wizard.Language);
  infoMode_ = true;
  checkOnly_ = WaitForResult;
  updateAvailable_ = aborted_ = allFilesDone_ = restarting_ = refused_ = false;
  fileList_.clear();
  entries_.clear();
  infoFile_.clear();
  signedContent_.clear();
  written_.clear();
  // Nothing of an earlier attempt is ever installed.
  EmptyStagingFolder();
  plainCache_ = CacheOptions;
  CacheOptions = plainCache_ | coPragmaNoCache;
  URL = InfoFileURL;
  OutputFileName.clear();
  MaxBodySize = kMaxInfoFileSize;
  ::ResetEvent(waitEvent_.Get());
  if (!Download(0, 0, false)) {
    infoMode_ = false;
    CacheOptions = plainCache_;
    return false;
  }
  if (!WaitForResult) return true;
  WaitForSignal();
  return updateAvailable_;
}

void TzUpdater::MainWindowLoaded(const std::vector<std::string>& arguments) {
  std::string params = RestartParams.empty() ? " " : RestartParams;
  if (!arguments.empty() && arguments[0] == params && OnAfterRestart) OnAfterRestart(*this);
}

void TzUpdater::SignalWait() {
  if (waitEvent_) ::SetEvent(waitEvent_.Get());
}

void TzUpdater::WaitForSignal() {
  HANDLE event = waitEvent_.Get();
  for (;;) {
    DWORD r = ::MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The program is ending: give the quit back to the message loop and stop waiting.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      if (HandleDialogKeys(msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
}

std::string TzUpdater::StagedFile(std::size_t index) const {
  return StagingFolder + "file" + std::to_string(index) + kTempSuffix;
}

void TzUpdater::EmptyStagingFolder() {
  if (StagingFolder.empty()) return;
  files::ForceDirectories(StagingFolder);
  WIN32_FIND_DATAA data;
  FindHandle find(::FindFirstFileA((StagingFolder + "*").c_str(), &data));
  if (!find) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string path = StagingFolder + data.cFileName;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    files::DeleteQuietly(path);
  } while (::FindNextFileA(find.Get(), &data));
}

bool TzUpdater::AcceptInfo(const std::string& body) {
  auto content = VerifiedInfoContent(body);
  if (!content) return false;
  infoFile_ = body;
  signedContent_ = std::string(*content);
  entries_ = InfoFileEntries(signedContent_);
  fileList_.clear();
  for (const ListedFile& file : entries_) {
    if (!IsHttpsEntry(file.Entry) || !InfoFileHash(signedContent_, file.Key)) return false;
    fileList_.push_back(file.Entry);
  }
  return true;
}

void TzUpdater::Refuse() {
  refused_ = true;
  Box(Text(31), Text(0), MB_OK | MB_ICONERROR);
  Stop();
}

void TzUpdater::InfoDone(TzStream* stream) {
  infoMode_ = false;
  CacheOptions = plainCache_;
  std::string body;
  if (auto* memory = dynamic_cast<TzMemoryStream*>(stream)) body = memory->Bytes();
  // Every value is read from the part the maker signed, nothing from an unsigned file.
  if (!AcceptInfo(body)) {
    Refuse();
    return;
  }
  const std::string& info = signedContent_;
  bool newer = VersionControl == TzUpdaterVersionControl::byNumber
                   ? CompareVersionsByNumber(InfoValue(info, "#version"), VersionNumber) > 0
                   : NewerByDate(InfoValue(info, "#date"), VersionDate, TodayDate());
  if (newer && !fileList_.empty()) {
    updateAvailable_ = true;
    upgradeMsg_ = InfoMessage(info);
    upgradeMethod_ = UpgradeMethodOf(InfoValue(info, "#method"));
    bool canUpgrade = true;
    if (OnBeginUpgrade) OnBeginUpgrade(*this, upgradeMsg_, upgradeMethod_, fileList_, canUpgrade);
    if (checkOnly_) {
      // Only asked.
    } else if (!canUpgrade) {
      if (OnLaterUpgrade) OnLaterUpgrade(*this);
    } else if ((ShowMessages & mAskUpgrade) && ![&] {
                 TzUpdaterQuestionForm question(instance_, *texts_);
                 std::string text = FillTexts(Text(23), ApplicationTitle, upgradeMsg_);
                 question.Create(text);
                 return CurrentSeams().ModalDialog(MainWindow, "question: " + text,
                                                   [&] { return question.ShowModal(MainWindow); });
               }()) {
      if (OnLaterUpgrade) OnLaterUpgrade(*this);
    } else if (upgradeMethod_ == umRedirectToURL) {
      Redirect(fileList_.front());
    } else {
      StartDownload();
    }
  } else {
    if (OnNoUpdateAvailable) OnNoUpdateAvailable(*this);
    if (ShowMessages & mNoUpdateAvailable) Box(Text(24), Text(0), MB_OK | MB_ICONINFORMATION);
  }
  SignalWait();
}

PlaceholderFolders TzUpdater::Folders() const {
  char windows[MAX_PATH + 1] = {}, system[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  ::GetSystemDirectoryA(system, MAX_PATH);
  std::string temp = TempFolder();
  return MakePlaceholderFolders(ProgramFolder(), ShellFolder("Desktop"), ShellFolder("Personal"),
                                ShellFolder("My Pictures"), ShellFolder("AppData"), windows, system,
                                temp, !temp.empty() && files::DirectoryExists(temp));
}

void TzUpdater::StartDownload() {
  retiredWizards_.clear();
  downloading_ = true;
  index_ = 0;
  folders_ = Folders();
  // The helper checks the signature again, from this very file.
  files::ForceDirectories(StagingFolder);
  files::WriteAll(StagingFolder + kStagedInfoName, infoFile_);
  if (Wizard.Enabled) {
    wizard_ = std::make_unique<TzUpdaterWizardForm>(instance_, *texts_);
    wizard_->OnCancel = [this] { CancelPressed(); };
    wizard_->OnFinish = [this] {
      finishPressed_ = true;
      if (wizard_) ::ShowWindow(wizard_->Handle(), SW_HIDE);
      SignalWait();
    };
    wizard_->Create(Wizard.HideFileLocation, Wizard.Pic118x218, Wizard.StayOnTop);
  }
  DownloadEntry();
}

void TzUpdater::NextEntry() {
  if (aborted_ || !downloading_) return;
  ++index_;
  DownloadEntry();
}

void TzUpdater::DownloadEntry() {
  if (index_ >= fileList_.size()) {
    AllFilesFinished();
    return;
  }
  FileEntry entry = SplitEntry(fileList_[index_]);
  currentUrl_ = entry.Url;
  if (wizard_) {
    ::SetWindowTextA(wizard_->FileURL, entry.Url.c_str());
    ::SetWindowTextA(wizard_->AllDownloading, DownloadingText(Text(9), static_cast<int>(index_) + 1,
                                                              static_cast<int>(fileList_.size()))
                                                  .c_str());
  }
  currentDestination_ = ResolveDestination(entry, folders_);
  tempName_ = StagedFile(index_);
  written_.push_back(tempName_);
  fileTime_ = 0;
  URL = entry.Url;
  OutputFileName = tempName_;
  // A server that sends more than the file's announced size is not sending the maker's file.
  auto hash = InfoFileHash(signedContent_, entries_[index_].Key);
  MaxBodySize = hash ? std::max<std::int64_t>(hash->Size, 1) : 1;
  Download(0, 0, false);
}

void TzUpdater::AllFilesFinished() {
  if (wizard_) {
    wizard_->ShowEndState(FillTexts(Text(10), ApplicationTitle));
    ::ResetEvent(waitEvent_.Get());
    finishPressed_ = false;
    WaitForSignal();
    // Only OK installs: not the program ending meanwhile (Exit, the close box), not an abort.
    if (aborted_ || !finishPressed_) {
      if (!aborted_) {
        downloading_ = false;
        CloseWizard();
        CleanUpTemporaryFiles();
      }
      return;
    }
    CloseWizard();
  }
  downloading_ = false;
  allFilesDone_ = true;
  bool restart = true;
  if (OnEndUpgrade) OnEndUpgrade(*this, restart);
  if (restart) Install();
}

void TzUpdater::Install() {
  std::string temp = TempFolder();
  std::string helper = temp + kHelperFileName;
  // The helper travels inside the program as the resource "ZRVUPD".
  HRSRC resource = ::FindResourceA(nullptr, "ZRVUPD", "ZRVUPD");
  HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  DWORD size = resource ? ::SizeofResource(nullptr, resource) : 0;
  UniqueHandle file(::CreateFileA(helper.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (file && bytes) {
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes, size, &written, nullptr);
  }
  file.Reset();

  const std::string arguments =
      HelperArguments(ProgramPath, RestartParams.empty() ? " " : RestartParams,
                      static_cast<char>('0' + upgradeMethod_));
  const std::string installParameters =
      HelperOptions(HelperPart::Install, ::GetCurrentProcessId(), StagingFolder) + " " + arguments;
  helperCommand_ = "\"" + helper + "\" " + installParameters;
  // Windows asks the user for administrator consent once; the program goes on only when the
  // install part has really started.
  DWORD error = 0;
  UniqueHandle installing(
      CurrentSeams().RunElevated(MainWindow, helper, installParameters, &error));
  if (!installing) {
    EmptyStagingFolder();
    Box(Text(32), Text(0), MB_OK | MB_ICONERROR);
    return;
  }
  // The restart part runs as the user, so the program comes back with the user's own rights
  // and registry, never the administrator's.
  restartCommand_ = "\"" + helper + "\" " +
                    HelperOptions(HelperPart::Restart, ::GetProcessId(installing.Get()), "") + " " +
                    arguments;
  StartProgram(restartCommand_);
  restarting_ = true;
  if (OnDoOwnCloseAppMethod) {
    OnDoOwnCloseAppMethod(*this);
  } else if (MainWindow && ::IsWindow(MainWindow)) {
    ::SendMessageA(MainWindow, WM_CLOSE, 0, 0);
  } else {
    ::PostQuitMessage(0);
  }
}

void TzUpdater::CancelPressed() {
  if (Box(Text(27), ApplicationTitle, MB_YESNO | MB_ICONQUESTION) == IDYES) Abort();
}

void TzUpdater::Abort() {
  aborted_ = true;
  downloading_ = false;
  SignalWait();
  TzHttpTransfer::Abort(false, false);
  CloseWizard();
  CleanUpTemporaryFiles();
  if (OnAborted) OnAborted(*this);
}

void TzUpdater::Stop() {
  infoMode_ = false;
  CacheOptions = plainCache_;
  downloading_ = false;
  SignalWait();
  CloseWizard();
  // Nothing of an update that stopped short may be installed later.
  CleanUpTemporaryFiles();
}

void TzUpdater::CloseWizard() {
  if (!wizard_) return;
  // The window may be inside one of its own handlers: hide it now, free it later.
  ::ShowWindow(wizard_->Handle(), SW_HIDE);
  wizard_->OnCancel = nullptr;
  retiredWizards_.push_back(std::move(wizard_));
}

void TzUpdater::DeleteTemporaryFiles() {
  std::vector<std::string> found = written_;
  if (!StagingFolder.empty()) {
    WIN32_FIND_DATAA data;
    FindHandle find(::FindFirstFileA((StagingFolder + "*").c_str(), &data));
    if (find) {
      do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          found.push_back(StagingFolder + data.cFileName);
      } while (::FindNextFileA(find.Get(), &data));
    }
  }
  for (const std::string& path : found) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!files::DeleteQuietly(path)) {
      if (attributes != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesA(path.c_str(), attributes);
      pendingCleanup_.push_back(path);
    }
  }
}

void TzUpdater::CleanUpTemporaryFiles() {
  DeleteTemporaryFiles();
  if (!pendingCleanup_.empty() && cleanupWindow_) ::SetTimer(cleanupWindow_, 1, 50, nullptr);
}

void TzUpdater::FileMissing(int status, bool withStatus) {
  bool continueUpgrade = false;
  if (OnLostFile) OnLostFile(*this, currentUrl_, status, continueUpgrade);
  if (ShowMessages & mLostFile) {
    std::string caption = withStatus ? Text(21) + " #" + std::to_string(status) : Text(21);
    continueUpgrade = Box(FillTexts(Text(28), UrlFileName(currentUrl_)), caption,
                          MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) == IDYES;
  }
  if (continueUpgrade) {
    NextEntry();
  } else {
    Abort();
  }
}

void TzUpdater::Redirect(const std::string& entry) {
  std::string url = entry.find("://") == std::string::npos ? "http://" + entry : entry;
  std::string command;
  RegKey html = reg::Open(HKEY_CLASSES_ROOT, ".html");
  std::string type = html ? reg::ReadString(html.Get(), "").value_or("") : "";
  if (!type.empty()) {
    if (RegKey open = reg::Open(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command")) {
      command = reg::ReadString(open.Get(), "").value_or("");
    } else if (RegKey shell = reg::Open(HKEY_CLASSES_ROOT, type + "\\shell")) {
      std::vector<std::string> verbs;
      char name[256];
      for (DWORD i = 0; ::RegEnumKeyA(shell.Get(), i, name, sizeof name) == ERROR_SUCCESS; ++i)
        verbs.emplace_back(name);
      auto commandOf = [&](const std::string& verb) -> std::optional<std::string> {
        RegKey k = reg::Open(HKEY_CLASSES_ROOT, type + "\\shell\\" + verb + "\\command");
        if (!k) return std::nullopt;
        return reg::ReadString(k.Get(), "");
      };
      for (const std::string& verb : verbs)
        if (verb.find("open") != std::string::npos) {
          command = commandOf(verb).value_or("");
          break;
        }
      if (command.empty())
        for (const std::string& verb : verbs)
          if (auto c = commandOf(verb)) {
            command = *c;
            break;
          }
    }
  }
  BrowserCommand browser = SplitBrowserCommand(command);
  if (!browser.Program.empty()) {
    ::ShellExecuteA(MainWindow, "open", browser.Program.c_str(), url.c_str(), nullptr,
                    SW_SHOWNORMAL);
  } else {
    CurrentSeams().ShellOpen(MainWindow, url, SW_SHOWNORMAL);
  }
}

}  // namespace quorvel::update
