// The update flow against the test run's own server over https: the check of the maker's
// signature, the question, the download with the wizard into the staging folder, each file's
// hash, the end state, the hand-over to the helper through the administrator consent, and the
// ways an update stops (cancel, a missing file, a file that cannot be created, a lost
// connection, no server, anything the maker did not sign, a declined consent). Questions and
// message boxes are answered through the dialog seam; the windows are real.
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
#include "support/update_signing_win.h"
#include "support/window_shot_win.h"
#include "ui/resource_ids.h"
#include "update/update_crypto_win.h"
#include "update/updater_win.h"

namespace quorvel::update {
namespace {

using quorvel::testing::HashLine;
using quorvel::testing::PumpUntil;
using quorvel::testing::ScriptedSeams;
using quorvel::testing::SignInfo;
using quorvel::testing::TempFolder;
using quorvel::testing::TestServers;
using quorvel::testing::UpdtmpFiles;

constexpr const char* kTitle = "Zarvent Half-Life 2 benchmark";

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) out += text::Format("%02x", c);
  return out;
}

// The URL at which the test server answers with exactly `body`, over https.
std::string Served(const std::string& body) {
  return TestServers().HttpsUrl("/content/" + Hex(body));
}

std::string Pattern(std::size_t size, int seed = 0) {
  std::string block;
  for (int i = 0; i < 251 * 16; ++i) block += static_cast<char>((i * 7 + seed) % 251);
  std::string out;
  while (out.size() < size) out += block;
  out.resize(size);
  return out;
}

// A generated file of the test server ("/file", `size` bytes of the pattern with `seed`).
std::string FileUrl(std::size_t size, int seed, const std::string& name) {
  return TestServers().HttpsUrl(
      text::Format("/file;size:%d;seed:%d/", static_cast<int>(size), seed) + name);
}

// "#url<key>=<url>[=<destination>]" and the hash line of `bytes` beside it.
std::string Listed(const std::string& key, const std::string& url, const std::string& bytes,
                   const std::string& destination = "") {
  return "#url" + key + "=" + url + (destination.empty() ? "" : "=" + destination) + "\r\n" +
         HashLine(key, bytes);
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
    ASSERT_TRUE(TestServers().Present) << "the update tests need scripts/with-update-servers.sh";
    ASSERT_TRUE(quorvel::testing::TrustTestAuthority());
    InstallSeams(&seams);
    // Under Wine the consent prompt cannot show: the seam records the request and pretends.
    seams.consent = ScriptedSeams::Consent::Pretended;
    program = std::make_unique<TempFolder>("Quorvel Update Program");
    outside = std::make_unique<TempFolder>("Quorvel Update Elsewhere");
    staging = std::make_unique<TempFolder>("Quorvel Update Staging");
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
    updater->StagingFolder = staging->Path();
    files::WriteAll(updater->ProgramPath, "old program");
    updater->StartProgram = [this](const std::string& line) {
      started.push_back(line);
      return true;
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

  // Runs a check of `info`, signed with the test key, and waits until the update has come to
  // rest; `endState` runs when the wizard shows its end state (by default: OK).
  void Run(const std::string& info, std::function<void(TzUpdaterWizardForm&)> endState = {}) {
    RunFile(SignInfo(info), endState);
  }
  // The same with the information file exactly as given.
  void RunFile(const std::string& file, std::function<void(TzUpdaterWizardForm&)> endState = {}) {
    updater->InfoFileURL = Served(file);
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
                 (closed > 0 || !events.empty() || updater->Refused()) && settled();
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
  std::unique_ptr<TempFolder> program, outside, staging;
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
    updater->InfoFileURL = Served(SignInfo(
        std::string("#version=") + c.version + "\r\n#message={Two\r\nlines}\r\n#method=1\r\n" +
        Listed("1", "https://z/a", "a") + Listed("2", "https://z/b", "b")));
    EXPECT_EQ(updater->CheckUpdate(true), c.available) << c.version;
    EXPECT_EQ(begun, c.available ? 1 : 0);
  }
  // No question and no download in a query; nothing was shown.
  EXPECT_TRUE(seams.log.empty()) << Events();
  EXPECT_EQ(updater->WizardForm(), nullptr);
}

TEST_F(UpdaterTest, NoInformationFileEndsWithoutAWord) {
  updater->InfoFileURL = TestServers().HttpsUrl("/missing");
  EXPECT_FALSE(updater->CheckUpdate(true));
  EXPECT_EQ(events, std::vector<std::string>{"NoInfoFile"});
  EXPECT_TRUE(seams.log.empty()) << Events();
}

TEST_F(UpdaterTest, NoServerIsAnUnreachableHost) {
  updater->InfoFileURL = "https://127.0.0.1:1/benchmarks/hl2/zrv_quorvel.inf";
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
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(100, 0, "a.dat"), Pattern(100)));
  EXPECT_EQ(events, std::vector<std::string>{"LaterUpgrade"});
  ASSERT_EQ(seams.log.size(), 1u);
  EXPECT_EQ(seams.log[0],
            "dialog: question: A newer version of Zarvent Half-Life 2 benchmark was released.\n\n"
            "Do you want to update your version with the latest one? -> no");
  EXPECT_TRUE(UpdtmpFiles(staging->Path()).empty());
}

TEST_F(UpdaterTest, ThreeFilesStagedCheckedAndHandedToTheHelperThroughConsent) {
  seams.answers = {true};
  files::WriteAll(staging->Path() + "file1.updtmp", "left by an earlier attempt");
  std::string info =
      "#version=2.4.0.0\r\n#message={New demos.}\r\n" +
      Listed("", FileUrl(5000, 1, "quorvel.exe"), Pattern(5000, 1)) +
      Listed("0", FileUrl(3000, 2, "b.dem"), Pattern(3000, 2), "%current%Demos\\new\\b.dem") +
      Listed("3", FileUrl(700, 3, "c.txt"), Pattern(700, 3), outside->Path() + "c.txt");
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
  // Everything went to the user's staging folder, nothing next to the destinations.
  EXPECT_EQ(files::ReadAll(staging->Path() + "file0.updtmp").value_or(""), Pattern(5000, 1));
  EXPECT_EQ(files::ReadAll(staging->Path() + "file1.updtmp").value_or(""), Pattern(3000, 2));
  EXPECT_EQ(files::ReadAll(staging->Path() + "file2.updtmp").value_or(""), Pattern(700, 3));
  // The signed file as it came, for the helper's own check.
  EXPECT_EQ(VerifiedInfoContent(files::ReadAll(staging->Path() + "update.inf").value_or("")),
            std::optional<std::string_view>(info));
  EXPECT_TRUE(UpdtmpFiles(program->Path()).empty());
  EXPECT_FALSE(files::DirectoryExists(program->Path() + "Demos"));
  EXPECT_TRUE(UpdtmpFiles(outside->Path()).empty());
  // The install part through Windows' consent, the restart part as the user, waiting for it.
  std::string temp = TzUpdater::TempFolder();
  std::string staged = staging->Path().substr(0, staging->Path().size() - 1);
  std::string arguments = " " + updater->ProgramPath + " +/afterupdate0";
  EXPECT_TRUE(Logged("runas: " + temp +
                     "ZrvUpdHelper.exe /install /pid=" + std::to_string(::GetCurrentProcessId()) +
                     " /staging=\"" + staged + "\"" + arguments + " -> started"))
      << Events();
  ASSERT_EQ(started.size(), 1u) << Events();
  EXPECT_EQ(started[0], "\"" + temp + "ZrvUpdHelper.exe\" /restart /pid=" +
                            std::to_string(::GetCurrentProcessId()) + arguments);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(updater->Restarting());
  EXPECT_GT(files::ReadAll(temp + "ZrvUpdHelper.exe").value_or("").size(), 10000u);
  ASSERT_FALSE(totals.empty());
  EXPECT_EQ(totals.back(), 100);
  for (std::size_t i = 1; i < totals.size(); ++i) EXPECT_GE(totals[i], totals[i - 1]);
  // Last-Modified of the server: 6 November 1994 08:49:37 GMT, in steps of two seconds.
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(::GetFileAttributesExA((staging->Path() + "file1.updtmp").c_str(),
                                     GetFileExInfoStandard, &data));
  SYSTEMTIME utc;
  ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
  EXPECT_EQ(utc.wYear, 1994);
  EXPECT_EQ(utc.wMonth, 11);
  EXPECT_EQ(utc.wDay, 6);
  EXPECT_EQ(utc.wMinute, 49);
  EXPECT_EQ(utc.wSecond, 36);
  files::DeleteQuietly(temp + "ZrvUpdHelper.exe");
}

TEST(UpdateSignatureCheck, AFileSignedByTheScriptIsAcceptedAndRefusedOnceChanged) {
  // scripts/sign-update-info.sh tests/fixtures/update/test_signing_key.pem with openssl.
  auto file = files::ReadAll(std::string(QUORVEL_FIXTURES) + "/update/signed_by_script.inf");
  ASSERT_TRUE(file);
  auto content = VerifiedInfoContent(*file);
  ASSERT_TRUE(content);
  EXPECT_EQ(*content, "#version=2.4.0.0\r\n#url=https://h/x\r\n");
  std::string changed = *file;
  changed[11] = '5';
  EXPECT_FALSE(VerifiedInfoContent(changed));
  std::string otherSignature = *file;
  otherSignature[otherSignature.size() - 4] ^= 1;
  EXPECT_FALSE(VerifiedInfoContent(otherSignature));
}

TEST_F(UpdaterTest, DeclinedConsentChangesNothingAndTheProgramGoesOn) {
  seams.answers = {true};
  seams.consent = ScriptedSeams::Consent::Declined;
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(900, 4, "quorvel.exe"), Pattern(900, 4)));
  EXPECT_TRUE(Logged("runas: " + TzUpdater::TempFolder() +
                     "ZrvUpdHelper.exe /install /pid=" + std::to_string(::GetCurrentProcessId()) +
                     " /staging=\"" + staging->Path().substr(0, staging->Path().size() - 1) +
                     "\" " + updater->ProgramPath + " +/afterupdate0 -> error 1223"))
      << Events();
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                     "Application update wizard | " + std::string(EnglishText(32))))
      << Events();
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(closed, 0);
  EXPECT_FALSE(updater->Restarting());
  EXPECT_TRUE(UpdtmpFiles(staging->Path()).empty());
  EXPECT_EQ(files::ReadAll(updater->ProgramPath).value_or(""), "old program");
}

TEST_F(UpdaterTest, WhatTheMakerDidNotSignIsRefusedWithOneMessage) {
  const std::string good =
      "#version=2.4.0.0\r\n" + Listed("", FileUrl(800, 5, "quorvel.exe"), Pattern(800, 5));
  const std::string signedGood = SignInfo(good);
  std::string altered = signedGood;
  altered[10] = '5';  // #version=2.5.0.0
  std::string withoutHash = SignInfo("#version=2.4.0.0\r\n#url=" + FileUrl(800, 5, "q.exe"));
  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"unsigned", good},
      {"altered after signing", altered},
      {"signed by another key", good + "#signature=" + std::string(128, '1') + "\r\n"},
      {"a line after the signature", signedGood + Listed("1", FileUrl(10, 1, "x.dll"), "x")},
      {"a file without a hash", withoutHash},
      {"an http file address",
       SignInfo("#version=2.4.0.0\r\n" +
                Listed("", TestServers().HttpUrl("/file;size:800;seed:5/q.exe"), Pattern(800, 5)))},
      {"an information file redirected to http",
       std::string()},  // below: the address of the information file itself
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    events.clear();
    seams.log.clear();
    endSeen = false;
    seams.answers = {true};
    if (c.file.empty()) {
      updater->InfoFileURL = TestServers().HttpsUrl(
          "/redirect?to=" + TestServers().HttpUrl("/content/" + Hex(signedGood)));
      onEnd = [](TzUpdaterWizardForm&) {};
      ASSERT_TRUE(updater->CheckUpdate(false));
      ASSERT_TRUE(quorvel::testing::PumpUntil(
          [&] { return !updater->Busy() && !seams.log.empty(); }, 30000));
    } else {
      RunFile(c.file);
    }
    ASSERT_EQ(seams.log.size(), 1u) << Events();
    EXPECT_EQ(seams.log[0], text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                                "Application update wizard | " + std::string(EnglishText(31)));
    EXPECT_TRUE(updater->Refused());
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(UpdtmpFiles(staging->Path()).empty());
  }
}

TEST_F(UpdaterTest, AFileThatDiffersFromItsHashIsDeletedAndNothingInstalled) {
  // The server sends seed 6; the maker's hash is of seed 7. Then a server that sends more
  // than the announced size.
  struct Case {
    const char* what;
    std::string info;
  } cases[] = {
      {"other bytes", "#version=2.4.0.0\r\n" +
                          Listed("", FileUrl(900, 1, "first.dat"), Pattern(900, 1)) +
                          Listed("0", FileUrl(3000, 6, "quorvel.exe"), Pattern(3000, 7))},
      {"longer than announced",
       "#version=2.4.0.0\r\n" + Listed("", FileUrl(900, 1, "first.dat"), Pattern(900, 1)) +
           Listed("0", FileUrl(300000, 0, "quorvel.exe"), Pattern(3000, 0))},
  };
  // The file is still open in the engine when the update stops; it goes once the engine has
  // let go of it.
  settled = [this] { return UpdtmpFiles(staging->Path()).empty(); };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    events.clear();
    seams.log.clear();
    endSeen = false;
    seams.answers = {true};
    Run(c.info);
    EXPECT_TRUE(Logged(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                       "Application update wizard | " + std::string(EnglishText(31))))
        << Events();
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(UpdtmpFiles(staging->Path()).empty()) << Events();
    EXPECT_EQ(updater->WizardForm(), nullptr);
  }
}

TEST_F(UpdaterTest, CancelDuringADownloadDeletesEveryTemporaryFile) {
  seams.answers = {true, true};  // the question, then the cancel confirmation
  bool shot = false;
  updater->OnProgress = [&](TzUpdater& u, const std::string&, std::int64_t, std::int64_t bytes,
                            std::int32_t, std::int32_t, int, int, float) {
    if (shot || bytes < 20000 || !u.WizardForm()) return;
    shot = true;
    quorvel::testing::SaveWindowShot(u.WizardForm()->Handle(), "update_wizard_downloading");
    ::PostMessageA(u.WizardForm()->CancelBtn, BM_CLICK, 0, 0);
  };
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(2000, 0, "small.dat"), Pattern(2000)) +
      Listed("2", TestServers().HttpsUrl("/slow;size:400000;chunk:10000;delay:50/big.dat"),
             std::string(400000, 'x')));
  EXPECT_TRUE(shot);
  EXPECT_EQ(events.back(), "Aborted") << Events();
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONQUESTION) + kTitle +
                     " | The update is not completed.\nWould you like to abort upgrading? -> yes"))
      << Events();
  EXPECT_TRUE(PumpUntil([&] { return UpdtmpFiles(staging->Path()).empty(); }, 10000));
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(updater->WizardForm(), nullptr);
}

TEST_F(UpdaterTest, ConnectionLostMidFileLeavesNothingToInstall) {
  seams.answers = {true};
  // The truncated file is still open in the engine when the update stops; it goes once the
  // engine has let go of it.
  settled = [this] { return UpdtmpFiles(staging->Path()).empty(); };
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(2000, 0, "first.dat"), Pattern(2000)) +
      Listed("2", TestServers().HttpsUrl("/short;size:50000;sent:3000/second.dat"),
             std::string(50000, 'x')));
  EXPECT_EQ(events.back(), "ConnLost") << Events();
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                     "Application update wizard | Connection with remote server lost.\n\nPlease "
                     "restore connection and try to\nupgrade this software again later."))
      << Events();
  // Neither the truncated file nor the complete one of the stopped update stays behind.
  EXPECT_TRUE(UpdtmpFiles(staging->Path()).empty());
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
    Run("#version=2.4.0.0\r\n" + Listed("", TestServers().HttpsUrl("/missing/gone.dll"), "gone") +
        Listed("2", FileUrl(100, 0, "kept.dat"), Pattern(100)));
    EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) +
                       "Error #404 | File gone.dll not found or inaccessible.\n\nTry to skip this "
                       "file and continue upgrade?" +
                       (c.skip ? " -> yes" : " -> no")))
        << Events();
    if (c.skip) {
      EXPECT_EQ(started.size(), 1u) << Events();
      EXPECT_TRUE(files::FileExists(staging->Path() + "file1.updtmp"));
      EXPECT_FALSE(files::FileExists(staging->Path() + "file0.updtmp"));
    } else {
      EXPECT_EQ(events.back(), "Aborted") << Events();
      EXPECT_TRUE(started.empty());
      EXPECT_TRUE(UpdtmpFiles(staging->Path()).empty());
    }
  }
}

TEST_F(UpdaterTest, AFileThatCannotBeCreatedIsAskedAboutNotLeftHanging) {
  seams.answers = {true, true};
  // A folder stands where the staged file would be written.
  ::CreateDirectoryA((staging->Path() + "file0.updtmp").c_str(), nullptr);
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(100, 0, "locked.dat"), Pattern(100)) +
      Listed("2", FileUrl(100, 0, "next.dat"), Pattern(100)));
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) +
                     "Error | File locked.dat not found or inaccessible.\n\nTry to skip this file "
                     "and continue upgrade? -> yes"))
      << Events();
  EXPECT_EQ(started.size(), 1u) << Events();
  EXPECT_TRUE(files::FileExists(staging->Path() + "file1.updtmp"));
  ::RemoveDirectoryA((staging->Path() + "file0.updtmp").c_str());
}

TEST_F(UpdaterTest, AFileWithoutLengthThatCannotBeWrittenIsNeverReportedDownloaded) {
  seams.answers = {true, false};  // the question, then "skip this file?": no
  ::CreateDirectoryA((staging->Path() + "file0.updtmp").c_str(), nullptr);
  Run("#version=2.4.0.0\r\n" +
      Listed("", TestServers().HttpsUrl("/nolength;size:100/a.dat"), Pattern(100)));
  EXPECT_TRUE(Logged(text::Format("box %X: ", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) +
                     "Error | File a.dat not found or inaccessible.\n\nTry to skip this file "
                     "and continue upgrade? -> no"))
      << Events();
  EXPECT_EQ(events, std::vector<std::string>{"Aborted"});
  EXPECT_TRUE(started.empty());
  ::RemoveDirectoryA((staging->Path() + "file0.updtmp").c_str());
}

TEST_F(UpdaterTest, TheProgramEndingWhileTheWizardShowsItsEndStateInstallsNothing) {
  seams.answers = {true};
  // Exit (or a log-off) ends the message loop while the wizard waits for OK.
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(500, 2, "a.dat"), Pattern(500, 2)),
      [](TzUpdaterWizardForm&) { ::PostQuitMessage(0); });
  EXPECT_TRUE(endSeen);
  EXPECT_EQ(seams.log.size(), 1u) << Events();  // the question only: no consent asked for
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(closed, 0);
  EXPECT_FALSE(updater->Restarting());
  EXPECT_TRUE(PumpUntil([&] { return UpdtmpFiles(staging->Path()).empty(); }, 10000));
}

TEST_F(UpdaterTest, EnterAtTheEndStatePressesOk) {
  seams.answers = {true};
  // The key goes through the wizard's own wait, as a user's key press does.
  Run("#version=2.4.0.0\r\n" + Listed("", FileUrl(300, 3, "a.dat"), Pattern(300, 3)),
      [](TzUpdaterWizardForm& w) {
        ::SetFocus(w.FinishBtn);
        ::PostMessageA(w.FinishBtn, WM_KEYDOWN, VK_RETURN, 0);
      });
  EXPECT_EQ(closed, 1) << Events();
  EXPECT_EQ(started.size(), 1u);
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
