// The update flow against the test run's own server: the check, the question, the download
// with the wizard, the end state, the hand-over to the helper, and the ways an update stops
// (cancel, a missing file, a file that cannot be created, a lost connection, no server).
// Questions and message boxes are answered through the dialog seam; the windows are real.
#include <gtest/gtest.h>

#include "platform/win.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/scripted_seams_win.h"
#include "support/update_servers_win.h"
#include "support/window_shot_win.h"
#include "ui/resource_ids.h"
#include "update/updater_win.h"

namespace quorvel::update {
namespace {

using quorvel::testing::PumpUntil;
using quorvel::testing::ScriptedSeams;
using quorvel::testing::TempFolder;
using quorvel::testing::TestServers;

constexpr const char* kTitle = "Zarvent Half-Life 2 benchmark";

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) out += text::Format("%02x", c);
  return out;
}

// The URL at which the test server answers with exactly `body`.
std::string Served(const std::string& body) {
  return TestServers().HttpUrl("/content/" + Hex(body));
}

std::string Pattern(std::size_t size, int seed = 0) {
  std::string block;
  for (int i = 0; i < 251 * 16; ++i) block += static_cast<char>((i * 7 + seed) % 251);
  std::string out;
  while (out.size() < size) out += block;
  out.resize(size);
  return out;
}

std::vector<std::string> UpdtmpFiles(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "*.updtmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return out;
  do out.push_back(data.cFileName);
  while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return out;
}

class UpdaterTest;
UpdaterTest* g_running = nullptr;

class UpdaterTest : public ::testing::Test {
 public:
  // Called by a timer on every message loop, the wizard's own wait included.
  void Poll() {
    if (auto* w = updater ? updater->WizardForm() : nullptr; w && w->InEndState() && !endSeen) {
      endSeen = true;
      onEnd(*w);
    }
  }

 protected:
  void SetUp() override {
    if (!TestServers().Present) GTEST_SKIP() << "run without the update servers";
    InstallSeams(&seams);
    program = std::make_unique<TempFolder>("Quorvel Update Program");
    outside = std::make_unique<TempFolder>("Quorvel Update Elsewhere");
    updater = std::make_unique<TzUpdater>(::GetModuleHandleA(nullptr));
    // The program's own settings, with a program file of the test's.
    updater->VersionControl = TzUpdaterVersionControl::byNumber;
    updater->VersionNumber = "2.3.0.0";
    updater->ShowMessages = mAskUpgrade | mConnLost | mLostFile;
    updater->Wizard.HideFileLocation = true;
    updater->Wizard.Pic118x218 = IDB_WIZARD_PICTURE;
    updater->Wizard.Language = TzUpdaterLanguage::wlEnglish;
    updater->ApplicationTitle = kTitle;
    updater->ProgramPath = program->Path() + "quorvel.exe";
    files::WriteAll(updater->ProgramPath, "old program");
    updater->StartProgram = [this](const std::string& line) {
      started.push_back(line);
      return 33u;
    };
    updater->OnDoOwnCloseAppMethod = [this](TzUpdater&) { ++closed; };
    updater->OnAborted = [this](TzUpdater&) { events.push_back("Aborted"); };
    updater->OnLaterUpgrade = [this](TzUpdater&) { events.push_back("LaterUpgrade"); };
    updater->OnNoUpdateAvailable = [this](TzUpdater&) { events.push_back("NoUpdateAvailable"); };
    updater->OnNoInfoFile = [this](TzUpdater&) { events.push_back("NoInfoFile"); };
    updater->OnConnLost = [this](TzUpdater&) { events.push_back("ConnLost"); };
    updater->OnHostUnreachable = [this](TzUpdater&, const std::string&, const std::string& host) {
      events.push_back("HostUnreachable " + host);
    };
    updater->OnFileDone = [this](TzUpdater&, const std::string& name) {
      events.push_back("FileDone " + name);
    };
    updater->OnEndUpgrade = [this](TzUpdater&, bool&) { events.push_back("EndUpgrade"); };
  }
  void TearDown() override {
    updater.reset();
    InstallSeams(nullptr);
  }

  // Runs a check of `info` and waits until the update has come to rest; `endState` runs when
  // the wizard shows its end state (by default: OK).
  void Run(const std::string& info, std::function<void(TzUpdaterWizardForm&)> endState = {}) {
    updater->InfoFileURL = Served(info);
    if (!endState)
      endState = [](TzUpdaterWizardForm& w) {
        ::PostMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), 0);
      };
    onEnd = endState;
    g_running = this;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
      if (g_running) g_running->Poll();
    });
    ASSERT_TRUE(updater->CheckUpdate(false));
    bool rested = PumpUntil(
        [&] {
          return !updater->Busy() && (!updater->WizardForm() || endSeen) &&
                 (closed > 0 || !events.empty()) && settled();
        },
        60000);
    ::KillTimer(nullptr, timer);
    g_running = nullptr;
    ASSERT_TRUE(rested) << Events();
  }

  std::string Events() const {
    std::string all;
    for (const std::string& e : events) all += e + "\n";
    for (const std::string& e : seams.log) all += "seam: " + e + "\n";
    return all;
  }

  bool Logged(const std::string& entry) const {
    for (const std::string& e : seams.log)
      if (e == entry) return true;
    return false;
  }

  ScriptedSeams seams;
  std::unique_ptr<TempFolder> program, outside;
  std::unique_ptr<TzUpdater> updater;
  std::vector<std::string> started, events;
  std::function<void(TzUpdaterWizardForm&)> onEnd;
  std::function<bool()> settled = [] { return true; };
  bool endSeen = false;
  int closed = 0;
};

TEST_F(UpdaterTest, TextsOfTheStringTableAreTheTextsOfTheComponent) {
  UpdaterTexts texts(::GetModuleHandleA(nullptr), TzUpdaterLanguage::wlEnglish);
  for (int i = 0; i < kTextCount; ++i) EXPECT_EQ(texts.Text(i), EnglishText(i)) << i;
  // A set the program does not carry falls back to the English texts.
  UpdaterTexts german(::GetModuleHandleA(nullptr), TzUpdaterLanguage::wlGerman);
  EXPECT_EQ(german.Text(23), EnglishText(23));
}

TEST_F(UpdaterTest, CheckOnlyTellsWhetherANewerVersionExists) {
  struct Case {
    const char* version;
    bool available;
  } cases[] = {
      {"2.3.0.0", false}, {"2.3.0.1", true}, {"2.3", false}, {"3.0", true}, {"2.2.9.9", false}};
  for (const Case& c : cases) {
    int begun = 0;
    updater->OnBeginUpgrade = [&](TzUpdater&, const std::string& msg, int method,
                                  const std::vector<std::string>& files, bool&) {
      ++begun;
      EXPECT_EQ(msg, "Two\r\nlines");
      EXPECT_EQ(method, 1);
      EXPECT_EQ(files.size(), 2u);
    };
    updater->InfoFileURL = Served(std::string("#version=") + c.version +
                                  "\r\n#message={Two\r\nlines}\r\n#method=1\r\n#url1=http://z/a\r\n"
                                  "#url2=http://z/b");
    EXPECT_EQ(updater->CheckUpdate(true), c.available) << c.version;
    EXPECT_EQ(begun, c.available ? 1 : 0);
  }
  // No question and no download in a query; nothing was shown.
  EXPECT_TRUE(seams.log.empty()) << Events();
  EXPECT_EQ(updater->WizardForm(), nullptr);
}

TEST_F(UpdaterTest, NoInformationFileEndsWithoutAWord) {
  updater->InfoFileURL = TestServers().HttpUrl("/missing");
  EXPECT_FALSE(updater->CheckUpdate(true));
  EXPECT_EQ(events, std::vector<std::string>{"NoInfoFile"});
  EXPECT_TRUE(seams.log.empty()) << Events();
}

TEST_F(UpdaterTest, NoServerIsAnUnreachableHost) {
  updater->InfoFileURL = "http://127.0.0.1:1/benchmarks/hl2/zrv_quorvel.inf";
  updater->ShowMessages |= mHostUnreachable;
  EXPECT_FALSE(updater->CheckUpdate(true));
  EXPECT_EQ(events, std::vector<std::string>{"HostUnreachable 127.0.0.1"});
  EXPECT_TRUE(
      Logged(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
             "Application update wizard | Host http://127.0.0.1 unreachable.\n\nPlease "
             "check your Internet connection and\ntry to upgrade this software again later."))
      << Events();
}

TEST_F(UpdaterTest, AnsweredLaterNothingIsDownloaded) {
  seams.answers = {false};
  Run("#version=2.4.0.0\r\n#url=" + TestServers().HttpUrl("/file;size:100/a.dat"));
  EXPECT_EQ(events, std::vector<std::string>{"LaterUpgrade"});
  ASSERT_EQ(seams.log.size(), 1u);
  EXPECT_EQ(seams.log[0],
            "dialog: question: A newer version of Zarvent Half-Life 2 benchmark was released.\n\n"
            "Do you want to update your version with the latest one? -> no");
  EXPECT_TRUE(UpdtmpFiles(program->Path()).empty());
}

TEST_F(UpdaterTest, ThreeFilesDownloadedAndHandedToTheHelper) {
  seams.answers = {true};
  std::string sub = program->Path() + "Demos\\new\\";
  std::string info =
      "#version=2.4.0.0\r\n#message={New demos.}\r\n"
      "#url=" +
      TestServers().HttpUrl("/file;size:5000;seed:1/quorvel.exe") +
      "\r\n"
      "#url0=" +
      TestServers().HttpUrl("/file;size:3000;seed:2/b.dem") +
      "=%current%Demos\\new\\b.dem\r\n"
      "#url3=" +
      TestServers().HttpUrl("/file;size:700;seed:3/c.txt") + "=" + outside->Path() + "c.txt";
  std::vector<int> totals;
  updater->OnProgress = [&](TzUpdater&, const std::string&, std::int64_t, std::int64_t,
                            std::int32_t, std::int32_t, int, int total,
                            float) { totals.push_back(total); };
  Run(info, [](TzUpdaterWizardForm& w) {
    quorvel::testing::SaveWindowShot(w.Handle(), "update_wizard_end_state");
    EXPECT_TRUE(::IsWindowEnabled(w.FinishBtn));
    EXPECT_FALSE(::IsWindowEnabled(w.CancelBtn));
    EXPECT_FALSE(::IsWindowVisible(w.LCurrentFile));
    ::PostMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), 0);
  });
  EXPECT_EQ(files::ReadAll(program->Path() + "quorvel.exe.updtmp").value_or(""), Pattern(5000, 1));
  EXPECT_EQ(files::ReadAll(sub + "b.dem.updtmp").value_or(""), Pattern(3000, 2));
  EXPECT_EQ(files::ReadAll(outside->Path() + "c.txt.updtmp").value_or(""), Pattern(700, 3));
  // Hidden until the helper has put them in place.
  EXPECT_TRUE(::GetFileAttributesA((sub + "b.dem.updtmp").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(started.size(), 1u) << Events();
  std::string temp = TzUpdater::TempFolder();
  EXPECT_EQ(started[0],
            "\"" + temp + "ZrvUpdHelper.exe\" " + updater->ProgramPath + " +/afterupdate0");
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(updater->Restarting());
  // The helper written from the program's resource, the queue with the two destinations.
  EXPECT_GT(files::ReadAll(temp + "ZrvUpdHelper.exe").value_or("").size(), 10000u);
  EXPECT_EQ(files::ReadAll(temp + "ZrvUpdQueue.txt").value_or(""),
            sub + "b.dem\r\n" + outside->Path() + "c.txt\r\n");
  ASSERT_FALSE(totals.empty());
  EXPECT_EQ(totals.back(), 100);
  for (std::size_t i = 1; i < totals.size(); ++i) EXPECT_GE(totals[i], totals[i - 1]);
  // Last-Modified of the server: 6 November 1994 08:49:37 GMT, in steps of two seconds.
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(::GetFileAttributesExA((sub + "b.dem.updtmp").c_str(), GetFileExInfoStandard, &data));
  SYSTEMTIME utc;
  ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
  EXPECT_EQ(utc.wYear, 1994);
  EXPECT_EQ(utc.wMonth, 11);
  EXPECT_EQ(utc.wDay, 6);
  EXPECT_EQ(utc.wMinute, 49);
  EXPECT_EQ(utc.wSecond, 36);
  files::DeleteQuietly(temp + "ZrvUpdQueue.txt");
  files::DeleteQuietly(temp + "ZrvUpdHelper.exe");
}

TEST_F(UpdaterTest, CancelDuringADownloadDeletesEveryTemporaryFile) {
  seams.answers = {true, true};  // the question, then the cancel confirmation
  files::WriteAll(program->Path() + "left.dat.updtmp", "left by an earlier update");
  bool shot = false;
  updater->OnProgress = [&](TzUpdater& u, const std::string&, std::int64_t, std::int64_t bytes,
                            std::int32_t, std::int32_t, int, int, float) {
    if (shot || bytes < 20000 || !u.WizardForm()) return;
    shot = true;
    quorvel::testing::SaveWindowShot(u.WizardForm()->Handle(), "update_wizard_downloading");
    ::PostMessageA(u.WizardForm()->CancelBtn, BM_CLICK, 0, 0);
  };
  Run("#version=2.4.0.0\r\n#url=" + TestServers().HttpUrl("/file;size:2000/small.dat") +
      "\r\n#url2=" + TestServers().HttpUrl("/slow;size:400000;chunk:10000;delay:50/big.dat"));
  EXPECT_TRUE(shot);
  EXPECT_EQ(events.back(), "Aborted") << Events();
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONQUESTION) + kTitle +
                     " | The update is not completed.\nWould you like to abort upgrading? -> yes"))
      << Events();
  EXPECT_TRUE(UpdtmpFiles(program->Path()).empty());
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(updater->WizardForm(), nullptr);
}

TEST_F(UpdaterTest, ConnectionLostMidFileLeavesNothingToInstall) {
  seams.answers = {true};
  // The truncated file is still open in the engine when the update stops; it goes once the
  // engine has let go of it.
  settled = [this] { return UpdtmpFiles(program->Path()).empty(); };
  Run("#version=2.4.0.0\r\n#url=" + TestServers().HttpUrl("/file;size:2000/first.dat") +
      "\r\n#url2=" + TestServers().HttpUrl("/short;size:50000;sent:3000/second.dat"));
  EXPECT_EQ(events.back(), "ConnLost") << Events();
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                     "Application update wizard | Connection with remote server lost.\n\nPlease "
                     "restore connection and try to\nupgrade this software again later."))
      << Events();
  // Neither the truncated file nor the complete one of the stopped update stays behind for
  // the helper's walk at the next update.
  EXPECT_TRUE(UpdtmpFiles(program->Path()).empty());
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(updater->WizardForm(), nullptr);
}

TEST_F(UpdaterTest, MissingFileSkippedOrAborted) {
  struct Case {
    bool skip;
  } cases[] = {{true}, {false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skip ? "skip" : "abort");
    events.clear();
    seams.log.clear();
    started.clear();
    endSeen = false;
    closed = 0;
    seams.answers = {true, c.skip};
    Run("#version=2.4.0.0\r\n#url=" + TestServers().HttpUrl("/missing/gone.dll") +
        "\r\n#url2=" + TestServers().HttpUrl("/file;size:100/kept.dat"));
    EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) +
                       "Error #404 | File gone.dll not found or inaccessible.\n\nTry to skip this "
                       "file and continue upgrade?" +
                       (c.skip ? " -> yes" : " -> no")))
        << Events();
    if (c.skip) {
      EXPECT_EQ(started.size(), 1u) << Events();
      EXPECT_TRUE(files::FileExists(program->Path() + "kept.dat.updtmp"));
    } else {
      EXPECT_EQ(events.back(), "Aborted") << Events();
      EXPECT_TRUE(started.empty());
    }
    for (const std::string& f : UpdtmpFiles(program->Path())) {
      ::SetFileAttributesA((program->Path() + f).c_str(), FILE_ATTRIBUTE_NORMAL);
      files::DeleteQuietly(program->Path() + f);
    }
  }
}

TEST_F(UpdaterTest, AFileThatCannotBeCreatedIsAskedAboutNotLeftHanging) {
  seams.answers = {true, true};
  // A folder stands where the temporary file would be written.
  ::CreateDirectoryA((program->Path() + "locked.dat.updtmp").c_str(), nullptr);
  Run("#version=2.4.0.0\r\n#url=" + TestServers().HttpUrl("/file;size:100/locked.dat") +
      "\r\n#url2=" + TestServers().HttpUrl("/file;size:100/next.dat"));
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) +
                     "Error | File locked.dat not found or inaccessible.\n\nTry to skip this file "
                     "and continue upgrade? -> yes"))
      << Events();
  EXPECT_EQ(started.size(), 1u) << Events();
  EXPECT_TRUE(files::FileExists(program->Path() + "next.dat.updtmp"));
  ::RemoveDirectoryA((program->Path() + "locked.dat.updtmp").c_str());
}

TEST_F(UpdaterTest, QuestionAndPasswordWindows) {
  UpdaterTexts texts(::GetModuleHandleA(nullptr), TzUpdaterLanguage::wlEnglish);
  TzUpdaterQuestionForm question(::GetModuleHandleA(nullptr), texts);
  question.Create(FillTexts(texts.Text(23), kTitle, "Three new demos and a faster report."));
  ::ShowWindow(question.Handle(), SW_SHOW);
  quorvel::testing::SaveWindowShot(question.Handle(), "update_question");
  char buffer[256];
  ::GetWindowTextA(question.YesBtn, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "&Yes");
  ::GetWindowTextA(question.LaterBtn, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "&Later");
  ::GetWindowTextA(question.Handle(), buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Application update wizard");
  // Its height follows the label.
  RECT label, yes;
  ::GetWindowRect(question.Label1, &label);
  ::GetWindowRect(question.YesBtn, &yes);
  EXPECT_GT(yes.top, label.bottom - 1);
  EXPECT_GT(label.bottom - label.top, 30);  // more than one line

  TzUpdaterPasswordForm password(::GetModuleHandleA(nullptr), texts);
  password.Create("quorvel.exe", "zarvent");
  ::ShowWindow(password.Handle(), SW_SHOW);
  quorvel::testing::SaveWindowShot(password.Handle(), "update_password");
  ::GetWindowTextA(password.UsernameEdit, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "zarvent");
  EXPECT_EQ(::SendMessageA(password.PasswordEdit, EM_GETPASSWORDCHAR, 0, 0), '*');
}

TEST_F(UpdaterTest, WizardClientAreaAndLayoutWithoutFileLocation) {
  UpdaterTexts texts(::GetModuleHandleA(nullptr), TzUpdaterLanguage::wlEnglish);
  TzUpdaterWizardForm wizard(::GetModuleHandleA(nullptr), texts);
  wizard.Create(true, IDB_WIZARD_PICTURE, false);
  RECT client, image;
  ::GetClientRect(wizard.Handle(), &client);
  EXPECT_EQ(client.right, 463);
  EXPECT_EQ(client.bottom, 281);
  ::GetClientRect(wizard.Image1, &image);
  EXPECT_EQ(image.right, 118);
  EXPECT_EQ(image.bottom, 218);
  EXPECT_FALSE(::IsWindowVisible(wizard.FileURL));
  EXPECT_FALSE(::IsWindowVisible(wizard.LDownloadingFileFrom));
  RECT size, from;
  ::GetWindowRect(wizard.LFileSize, &size);
  ::GetWindowRect(wizard.LDownloadingFileFrom, &from);
  // The lines moved up into the file location's place.
  EXPECT_LE(size.top, from.bottom);
  EXPECT_FALSE(::IsWindowEnabled(wizard.FinishBtn));
}

}  // namespace
}  // namespace quorvel::update
