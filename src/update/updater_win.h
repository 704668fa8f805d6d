#pragma once
// TzUpdater: the update check and installation flow over the transfer engine. Fetches the
// update information file into memory, checks that the maker signed it, compares its version
// with the program's, asks the user, downloads every listed file over https into the user's
// own staging folder (never the program folder) with the wizard showing the transfer, checks
// each file's SHA-256, and hands over to the installation helper: Windows asks the user for
// administrator consent once, the helper's install part checks everything again and replaces
// the files once the program has ended, and its restart part, running as the user, starts the
// program again. Every event, window and message box runs on the user-interface thread.
//
// Left out: the automatic check (AutoCheck, AutoCheckDelay), which the program never switches
// on, and the InfoFile template, which is never read at run time.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "update/http_transfer_win.h"
#include "update/update_info.h"
#include "update/update_texts.h"
#include "update/updater_dialogs_win.h"

namespace quorvel::update {

enum TzUpdaterMessage : std::uint32_t {
  mAskUpgrade = 1u << 0,
  mConnLost = 1u << 1,
  mHostUnreachable = 1u << 2,
  mLostFile = 1u << 3,
  mNoInfoFile = 1u << 4,
  mNoUpdateAvailable = 1u << 5,
  mPasswordRequest = 1u << 6,
};
using TzUpdaterMessages = std::uint32_t;

enum class TzUpdaterVersionControl { byDate, byNumber };
enum class TzMiscFilesUpdateBehavior { mfuAlwaysDownload, mfuOnlyIfSizeDifferent };
enum TzUpdateMethod { umSelfUpgrade = 0, umUseExternalSetup = 1, umRedirectToURL = 2 };

struct TzUpdaterWizard {
  bool Enabled = true;
  bool HideFileLocation = false;
  int Pic118x218 = 0;  // bitmap resource of the program; 0: no picture
  TzUpdaterLanguage Language = TzUpdaterLanguage::wlAuto;
  bool StayOnTop = true;
};

class TzUpdater;
using TzUpdaterNotify = std::function<void(TzUpdater& sender)>;

class TzUpdater : public TzHttpTransfer {
 public:
  // Deletes the helper left in the temporary folder by an earlier update.
  explicit TzUpdater(HINSTANCE instance);
  ~TzUpdater() override;

  // --- settings ---
  std::string InfoFileURL = "http://";
  TzUpdaterVersionControl VersionControl = TzUpdaterVersionControl::byDate;
  std::string VersionNumber;
  std::string VersionDate;  // "MM/DD/YYYY"; the current date unless set
  std::string RestartParams = kDefaultRestartParams;
  TzMiscFilesUpdateBehavior MiscFilesUpgrade = TzMiscFilesUpdateBehavior::mfuAlwaysDownload;
  TzUpdaterMessages ShowMessages = mAskUpgrade | mConnLost | mLostFile | mPasswordRequest;
  TzUpdaterWizard Wizard;
  // The application's title in the texts, and the window that owns the dialogs and is closed
  // for the restart.
  std::string ApplicationTitle;
  HWND MainWindow = nullptr;
  // The program file the update replaces and restarts; its folder is where files without a
  // destination go.
  std::string ProgramPath;
  // The user's own folder for downloads ("%LOCALAPPDATA%\Zarvent\Quorvel\Update\"), emptied
  // at each check; ends with a backslash.
  std::string StagingFolder;
  // Starts the helper's restart part as the user (CreateProcess, shown normally); false when
  // it did not start.
  std::function<bool(const std::string& commandLine)> StartProgram;

  // --- events ---
  std::function<void(TzUpdater&, const std::string& UpgradeMsg, int UpgradeMethod,
                     const std::vector<std::string>& Files, bool& CanUpgrade)>
      OnBeginUpgrade;
  TzUpdaterNotify OnLaterUpgrade;
  TzUpdaterNotify OnNoUpdateAvailable;
  std::function<void(TzUpdater&, const std::string& FileURL, std::int64_t FileSize,
                     http::DateTime FileTime, bool& CanUpgrade)>
      OnFileStart;
  std::function<void(TzUpdater&, const std::string& FileURL, std::int64_t FileSize,
                     std::int64_t BytesRead, std::int32_t ElapsedTime,
                     std::int32_t EstimatedTimeLeft, int PercentsDone, int TotalPercentsDone,
                     float TransferRate)>
      OnProgress;
  std::function<void(TzUpdater&, const std::string& FileName)> OnFileDone;
  std::function<void(TzUpdater&, bool& RestartImediately)> OnEndUpgrade;
  TzUpdaterNotify OnDoOwnCloseAppMethod;
  TzUpdaterNotify OnAfterRestart;
  TzUpdaterNotify OnAborted;
  TzUpdaterNotify OnConnLost;
  std::function<void(TzUpdater&, const std::string& URL, const std::string& Hostname)>
      OnHostUnreachable;
  TzUpdaterNotify OnNoInfoFile;
  std::function<void(TzUpdater&, const std::string& FileURL, int ErrorCode, bool& ContinueUpgrade)>
      OnLostFile;
  TzHttpPasswordRequestEvent OnPasswordRequest;

  // Starts the check when no transfer runs (nothing otherwise). With `WaitForResult` it only
  // asks (no question, no download), returns when the check has ended or the program is
  // ending, keeping the windows alive, and tells whether an update is available; without it,
  // returns at once (true when the check started).
  bool CheckUpdate(bool WaitForResult);
  // Once the main window has been loaded: OnAfterRestart when the program's first argument is
  // RestartParams.
  void MainWindowLoaded(const std::vector<std::string>& arguments);

  // --- the state of the update, for the owner and for tests ---
  const std::vector<std::string>& FileList() const { return fileList_; }
  int UpgradeMethod() const { return upgradeMethod_; }
  const std::string& UpgradeMsg() const { return upgradeMsg_; }
  bool UpdateAvailable() const { return updateAvailable_; }
  bool Aborted() const { return aborted_; }
  bool AllFilesDone() const { return allFilesDone_; }
  bool Restarting() const { return restarting_; }
  // The wizard while a download runs or waits in its end state; null otherwise.
  TzUpdaterWizardForm* WizardForm() const { return wizard_.get(); }
  // The helper's command line of the last install, its install part ("" before), and the
  // restart part's.
  const std::string& HelperCommand() const { return helperCommand_; }
  const std::string& RestartCommand() const { return restartCommand_; }
  // Whether the last update was refused as not the maker's.
  bool Refused() const { return refused_; }
  // The staged file of entry `index` of the file list.
  std::string StagedFile(std::size_t index) const;
  // The program folder, with a trailing backslash.
  std::string ProgramFolder() const;
  // The platform's temporary folder, with a trailing backslash.
  static std::string TempFolder();

 private:
  void HeaderInfo(const TzHeaderInfo& info, bool& continueDownload);
  void DownloadProgress(std::uint8_t percents, float rate, std::int32_t estimated,
                        std::int32_t elapsed, std::int64_t bytesSoFar, std::int64_t total);
  void TransferDone(TzStream* stream);
  void TransferDeclined();
  void NoConnection();
  void Incomplete();
  void HttpError(std::int32_t status);
  void NoData();
  void PasswordRequired(TzHttpTransfer& sender, const std::string& realm, bool& tryAgain);
  void InfoDone(TzStream* stream);
  // Whether the information file is the maker's and every file it lists has an https address
  // and a hash; keeps its signed content.
  bool AcceptInfo(const std::string& body);
  void Refuse();
  void EmptyStagingFolder();
  void StartDownload();
  void DownloadEntry();
  void NextEntry();
  void AllFilesFinished();
  void Install();
  void Abort();
  void Stop();
  void CloseWizard();
  void DeleteTemporaryFiles();
  // Deletes now what can be deleted, and again once the engine has closed its output file
  // (an update can stop inside the engine's completion, while the file is still open).
  void CleanUpTemporaryFiles();
  static LRESULT CALLBACK CleanupWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void SignalWait();
  void WaitForSignal();
  void Redirect(const std::string& entry);
  void FileMissing(int status, bool withStatus);
  void CancelPressed();
  int Box(const std::string& text, const std::string& caption, UINT flags);
  std::string Text(int i) const;
  PlaceholderFolders Folders() const;

  HINSTANCE instance_;
  std::unique_ptr<UpdaterTexts> texts_;
  std::unique_ptr<TzUpdaterWizardForm> wizard_;
  std::vector<std::unique_ptr<TzUpdaterWizardForm>> retiredWizards_;
  UniqueHandle waitEvent_;
  HWND cleanupWindow_ = nullptr;
  std::vector<std::string> pendingCleanup_;

  std::vector<std::string> fileList_;
  std::vector<ListedFile> entries_;   // the file list with the keys of their hashes
  std::string infoFile_;              // the information file as it came, signature included
  std::string signedContent_;         // its signed part, which every value is read from
  std::vector<std::string> written_;  // the temporary files this update wrote
  PlaceholderFolders folders_;
  std::size_t index_ = 0;
  std::string currentUrl_, currentDestination_, tempName_;
  http::DateTime fileTime_ = 0;
  int upgradeMethod_ = umSelfUpgrade;
  std::string upgradeMsg_;
  std::string helperCommand_, restartCommand_;
  TzCacheOptions plainCache_ = kDefaultCacheOptions;
  bool infoMode_ = false;
  bool checkOnly_ = false;
  bool updateAvailable_ = false;
  bool aborted_ = false;
  bool allFilesDone_ = false;
  bool restarting_ = false;
  bool downloading_ = false;
  bool refused_ = false;
  bool finishPressed_ = false;  // OK of the wizard's end state
};

}  // namespace quorvel::update
