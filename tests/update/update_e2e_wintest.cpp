// The real program, the real helper and the maker's servers: the program reaches the maker's
// host names through the proxy of its own update page (the test proxy answers for them, over
// HTTPS with a certificate of the test authority trusted in this prefix). The question and
// the message boxes are answered through the dialog seam; the wizard's buttons are clicked.
// Under Wine the administrator consent cannot show: the seam logs the "runas" request and its
// result, and Wine starts the helper's install part without a prompt. The helper's own
// messages go to a log file (QUORVEL_HELPER_LOG).
#include <gtest/gtest.h>

#include "platform/win.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/text.h"
#include "support/program_env_win.h"
#include "support/update_servers_win.h"
#include "support/update_signing_win.h"
#include "ui/main_window_win.h"
#include "ui/resource_ids.h"
#include "update/updater_dialogs_win.h"
#include "update/updater_win.h"

namespace quorvel::testing {
namespace {

constexpr const char* kMakerFiles = "https://update.zarvent-benchmarks.net/files/";

struct MakerServer {
  bool Present = false;
  int Proxy = 0;
  std::string Root;  // Windows path of the document folder, ending with "\"
};

MakerServer Maker() {
  MakerServer m;
  const char* file = std::getenv("QUORVEL_MAKER_SERVER");
  if (!file || !*file) return m;
  auto content = files::ReadAll(FromUnixPath(file));
  if (!content) return m;
  for (const std::string& line : text::Split(*content, '\n')) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string name = line.substr(0, eq), value = text::Trim(line.substr(eq + 1));
    if (name == "maker_proxy") m.Proxy = std::atoi(value.c_str());
    if (name == "maker_root") m.Root = text::WithBackslash(FromUnixPath(value));
  }
  m.Present = m.Proxy > 0 && !m.Root.empty();
  return m;
}

struct Found {
  DWORD process;
  const char* cls;
  HWND window = nullptr;
};

HWND WindowOf(DWORD process, const char* cls) {
  Found f{process, cls};
  ::EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Found*>(p);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        char name[64] = {};
        ::GetClassNameA(w, name, sizeof name);
        if ((f->process == 0 || pid == f->process) && std::string(name) == f->cls &&
            ::IsWindowVisible(w)) {
          f->window = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.window;
}

HWND ChildWithId(HWND parent, int id) {
  std::pair<int, HWND> found{id, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<std::pair<int, HWND>*>(p);
        if (::GetDlgCtrlID(w) == f->first) {
          f->second = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.second;
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > ms) return false;
    ::Sleep(50);
  }
  return true;
}

// "#url<key>=<maker's file>[=<destination>]" with the hash line of `bytes`.
std::string Listed(const std::string& key, const std::string& name, const std::string& bytes,
                   const std::string& destination = "") {
  return "#url" + key + "=" + kMakerFiles + name + (destination.empty() ? "" : "=" + destination) +
         "\r\n" + HashLine(key, bytes);
}

class UpdateEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    maker = Maker();
    ASSERT_TRUE(maker.Present && TestServers().Present)
        << "the update tests need scripts/with-update-servers.sh and with-maker-server.sh";
    ASSERT_TRUE(TrustTestAuthority());
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    machine = std::make_unique<ProgramEnvironment>(std::string("Update_") + info->name());
    files::ForceDirectories(maker.Root + "benchmarks\\hl2");
    files::ForceDirectories(maker.Root + "files");
    files::DeleteQuietly(maker.Root + "benchmarks\\hl2\\zrv_quorvel.inf");
  }
  void TearDown() override {
    // A restarted program is not one the machine started: close it by its window.
    if (HWND w = WindowOf(0, kMainWindowClass)) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(w, &pid);
      ::PostMessageA(w, WM_CLOSE, 0, 0);
      WaitFor([&] { return !::IsWindow(w); }, 30000);
    }
    machine.reset();
  }

  // The program with the proxy of its update page pointing at the maker's proxy.
  void StartProgram(const std::string& answers, const std::string& proxyPort = "",
                    const std::string& consent = "") {
    machine->CreateSettingsKey({{"UseProxy", "1"}, {"ProxyServer", "127.0.0.1"}, {"News", "1"}});
    machine->SetSetting("ProxyPort", proxyPort.empty() ? std::to_string(maker.Proxy) : proxyPort);
    machine->CreateSteamKey();
    WriteFile(machine->AccountFolder + "half-life 2\\hl2.exe", "game");
    log = machine->Root + "seams.log";
    startLog = machine->Root + "starts.log";
    helperLog = machine->Root + "helper.log";
    program = machine->StartProgram({{"QUORVEL_SEAM_LOG", log},
                                     {"QUORVEL_SEAM_ANSWERS", answers},
                                     {"QUORVEL_SEAM_NO_SHELL", "1"},
                                     {"QUORVEL_SEAM_RUNAS", consent},
                                     {"QUORVEL_HELPER_LOG", helperLog},
                                     {"QUORVEL_START_LOG", startLog}});
    ASSERT_TRUE(program.Process);
    window = machine->WaitForWindow(program.Id, 60000);
    ASSERT_NE(window, nullptr);
  }

  // The information file as the maker signs it.
  void ServeInfo(const std::string& text) { ServeInfoFile(SignInfo(text)); }
  void ServeInfoFile(const std::string& file) {
    files::WriteAll(maker.Root + "benchmarks\\hl2\\zrv_quorvel.inf", file);
  }
  void Serve(const std::string& name, const std::string& bytes) {
    files::WriteAll(maker.Root + "files\\" + name, bytes);
  }

  // The "Update benchmark" button of the update page.
  void PressUpdate() {
    HWND button = ChildWithId(window, IDC_UPDATEBUTTON);
    ASSERT_NE(button, nullptr);
    ::SendMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_UPDATEBUTTON, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
  }

  std::string Log() { return files::ReadAll(log).value_or(""); }
  std::string HelperLog() { return files::ReadAll(helperLog).value_or(""); }
  std::vector<std::string> Starts() {
    auto starts = text::Split(files::ReadAll(startLog).value_or(""), '\n');
    if (!starts.empty() && starts.back().empty()) starts.pop_back();
    return starts;
  }

  // Waits for the wizard's end state, runs `beforeOk` and presses OK.
  void PressOkAtTheEnd(const std::function<void()>& beforeOk = {}) {
    HWND wizard = nullptr, finish = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          wizard = WindowOf(program.Id, update::kWizardWindowClass);
          finish = wizard ? ChildWithId(wizard, 101) : nullptr;
          return finish && ::IsWindowEnabled(finish);
        },
        60000))
        << Log();
    if (beforeOk) beforeOk();
    ::PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED),
                   reinterpret_cast<LPARAM>(finish));
  }

  // The program has ended and the helper's restart part has started it again, as the user.
  void ExpectRestarted() {
    EXPECT_EQ(machine->WaitExit(program, 60000), 0) << Log();
    ASSERT_TRUE(WaitFor([&] { return Starts().size() >= 2; }, 60000)) << HelperLog();
    auto starts = Starts();
    EXPECT_NE(starts[1].find("\"" + machine->ProgramPath + "\" /afterupdate"), std::string::npos)
        << starts[1];
    EXPECT_EQ(starts[0].find("/afterupdate"), std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return WindowOf(0, kMainWindowClass) != nullptr; }, 60000));
  }

  static std::string Staging() { return files::UserDataFolder() + "Update\\"; }
  bool LogHas(const std::string& line) {
    return WaitFor([&] { return Log().find(line + "\n") != std::string::npos; }, 60000);
  }

  MakerServer maker;
  std::unique_ptr<ProgramEnvironment> machine;
  StartedProcess program;
  HWND window = nullptr;
  std::string log, startLog, helperLog;
};

TEST_F(UpdateEndToEnd, ASignedUpdateIsInstalledAndTheProgramRestartsAsTheUser) {
  const std::string folder = machine->InstallFolder;
  const std::string outside = machine->Root + "Elsewhere\\";
  files::ForceDirectories(outside);
  WriteFile(folder + "readme.txt", "old readme");
  ::SetFileAttributesA((folder + "readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFile(outside + "outside.cfg", "old cfg");
  const std::string demo(70000, 'd');
  Serve("readme.txt", "new readme, version 2.4");
  Serve("new.dem", demo);
  Serve("outside.cfg", "new cfg");
  ServeInfo("#version=2.4.0.0\r\n#message={Three files.}\r\n" +
            Listed("", "readme.txt", "new readme, version 2.4") +
            Listed("0", "new.dem", demo, "%current%Demos\\added\\new.dem") +
            Listed("3", "outside.cfg", "new cfg", outside + "outside.cfg"));
  StartProgram("yes");
  PressUpdate();
  PressOkAtTheEnd();
  ExpectRestarted();

  EXPECT_EQ(files::ReadAll(folder + "readme.txt").value_or(""), "new readme, version 2.4");
  EXPECT_EQ(files::ReadAll(folder + "Demos\\added\\new.dem").value_or(""), demo);
  EXPECT_EQ(files::ReadAll(outside + "outside.cfg").value_or(""), "new cfg");
  for (const std::string& path :
       {folder + "readme.txt", folder + "Demos\\added\\new.dem", outside + "outside.cfg"})
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE))
        << path;
  // Nothing was ever written next to the destinations; the staging folder is empty again.
  EXPECT_TRUE(UpdtmpFiles(folder).empty());
  EXPECT_TRUE(UpdtmpFiles(Staging()).empty());
  EXPECT_FALSE(files::FileExists(folder + "readme.txt.updold"));
  EXPECT_EQ(HelperLog(), "");
  // The question, and the consent asked for once with the verb "runas" and its result checked.
  std::string shown = Log();
  EXPECT_NE(shown.find("dialog: question: A newer version of Zarvent Half-Life 2 benchmark was "
                       "released.\\nThree files.\\nDo you want to update your version with the "
                       "latest one? -> yes\n"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("runas: " + update::TzUpdater::TempFolder() + "ZrvUpdHelper.exe /install "),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find(" -> started\n"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("box "), std::string::npos) << shown;
}

// Each way an update that is not exactly the maker's is stopped: the old files stay, the
// program says so once, and it goes on (or, when the helper found it, comes back as it was).
TEST_F(UpdateEndToEnd, WhatTheMakerDidNotSignIsNeverInstalled) {
  const std::string folder = machine->InstallFolder;
  const std::string good = "#version=2.4.0.0\r\n" + Listed("", "readme.txt", "new readme");
  std::string altered = SignInfo(good);
  altered.replace(altered.find("2.4.0.0"), 7, "2.9.0.0");
  struct Case {
    const char* what;
    std::string infoFile;
    std::string served;  // what the server sends as readme.txt
  } cases[] = {
      {"an altered information file", altered, "new readme"},
      {"an update file that is not the signed one", SignInfo(good), "evil readme"},
      {"an http file address",
       SignInfo(
           "#version=2.4.0.0\r\n#url=http://update.zarvent-benchmarks.net/files/readme.txt\r\n" +
           HashLine("", "new readme")),
       "new readme"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(folder + "readme.txt", "old readme");
    Serve("readme.txt", c.served);
    ServeInfoFile(c.infoFile);
    files::DeleteQuietly(log);
    if (!program.Process) StartProgram("yes");
    PressUpdate();
    EXPECT_TRUE(LogHas(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                       "Application update wizard | " +
                       text::ReplaceAll(std::string(update::EnglishText(31)), "\n", "\\n")))
        << Log();
    EXPECT_EQ(Log().find("runas:"), std::string::npos) << Log();
    EXPECT_EQ(files::ReadAll(folder + "readme.txt").value_or(""), "old readme");
    EXPECT_TRUE(WaitFor([&] { return UpdtmpFiles(Staging()).empty(); }, 30000));
    EXPECT_EQ(machine->WaitExit(program, 0), -1);  // the program goes on
  }
}

TEST_F(UpdateEndToEnd, AFileSwappedInStagingBeforeTheHelperRunsIsRefusedByTheHelper) {
  const std::string folder = machine->InstallFolder;
  WriteFile(folder + "readme.txt", "old readme");
  Serve("readme.txt", "new readme");
  ServeInfo("#version=2.4.0.0\r\n" + Listed("", "readme.txt", "new readme"));
  StartProgram("yes");
  PressUpdate();
  // Downloaded and checked by the program; then, before OK, something of the user's swaps it.
  PressOkAtTheEnd([&] {
    ::SetFileAttributesA((Staging() + "file0.updtmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(files::WriteAll(Staging() + "file0.updtmp", "evil readme"));
  });
  ExpectRestarted();
  EXPECT_EQ(files::ReadAll(folder + "readme.txt").value_or(""), "old readme");
  EXPECT_NE(HelperLog().find("not exactly the ones the developer signed"), std::string::npos)
      << HelperLog();
  EXPECT_TRUE(UpdtmpFiles(Staging()).empty());
  EXPECT_FALSE(files::FileExists(folder + "readme.txt.updnew"));
}

TEST_F(UpdateEndToEnd, DeclinedConsentChangesNothingAndTheProgramGoesOn) {
  const std::string folder = machine->InstallFolder;
  WriteFile(folder + "readme.txt", "old readme");
  Serve("readme.txt", "new readme");
  ServeInfo("#version=2.4.0.0\r\n" + Listed("", "readme.txt", "new readme"));
  StartProgram("yes", "", "cancel");
  PressUpdate();
  PressOkAtTheEnd();
  EXPECT_TRUE(LogHas(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                     "Application update wizard | " +
                     text::ReplaceAll(std::string(update::EnglishText(32)), "\n", "\\n")))
      << Log();
  EXPECT_NE(Log().find(" -> error 1223\n"), std::string::npos) << Log();
  EXPECT_EQ(machine->WaitExit(program, 2000), -1);  // the program goes on
  EXPECT_EQ(files::ReadAll(folder + "readme.txt").value_or(""), "old readme");
  EXPECT_TRUE(UpdtmpFiles(Staging()).empty());
  EXPECT_EQ(Starts().size(), 1u);
}

TEST_F(UpdateEndToEnd, AReplaceThatFailsMidwayPutsEveryFileBack) {
  const std::string folder = machine->InstallFolder;
  WriteFile(folder + "a.txt", "old a");
  WriteFile(folder + "b.txt", "old b");
  WriteFile(folder + "c.txt", "old c");
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) Serve(name, std::string("new ") + name);
  ServeInfo("#version=2.4.0.0\r\n" + Listed("", "a.txt", "new a.txt") +
            Listed("0", "b.txt", "new b.txt") + Listed("1", "c.txt", "new c.txt"));
  StartProgram("yes");
  // The second file is held open by another program, without sharing its deletion.
  UniqueHandle held(::CreateFileA((folder + "b.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  PressUpdate();
  PressOkAtTheEnd();
  EXPECT_EQ(machine->WaitExit(program, 60000), 0) << Log();
  ASSERT_TRUE(WaitFor([&] { return !HelperLog().empty(); }, 60000));
  EXPECT_NE(HelperLog().find("every file was put back"), std::string::npos) << HelperLog();
  held.Reset();
  ExpectRestarted();
  EXPECT_EQ(files::ReadAll(folder + "a.txt").value_or(""), "old a");
  EXPECT_EQ(files::ReadAll(folder + "b.txt").value_or(""), "old b");
  EXPECT_EQ(files::ReadAll(folder + "c.txt").value_or(""), "old c");
  for (const char* leftover : {"a.txt.updold", "a.txt.updnew", "b.txt.updnew", "c.txt.updnew"})
    EXPECT_FALSE(files::FileExists(folder + leftover)) << leftover;
}

TEST_F(UpdateEndToEnd, CancelDuringADownload) {
  Serve("first.dat", "first");
  Serve("big.dat", std::string(600000, 'b'));
  files::WriteAll(maker.Root + "files\\big.dat.slow", "8192 100");
  ServeInfo("#version=2.4.0.0\r\n" + Listed("", "first.dat", "first") +
            Listed("2", "big.dat", std::string(600000, 'b')));
  StartProgram("yes,yes");
  files::ForceDirectories(Staging());
  WriteFile(Staging() + "stale.bin.updtmp", "left by an earlier update");
  PressUpdate();
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        wizard = WindowOf(program.Id, update::kWizardWindowClass);
        return wizard && files::FileExists(Staging() + "file1.updtmp");
      },
      60000))
      << Log();
  ::PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_TRUE(LogHas("box 0: Zarvent Half-Life 2 benchmark | Update aborted.")) << Log();
  EXPECT_NE(Log().find("The update is not completed.\\nWould you like to abort upgrading? -> yes"),
            std::string::npos);
  EXPECT_TRUE(WaitFor([&] { return UpdtmpFiles(Staging()).empty(); }, 30000));
  EXPECT_EQ(machine->WaitExit(program, 0), -1);  // the program goes on
}

TEST_F(UpdateEndToEnd, MissingInformationFileShowsNothing) {
  StartProgram("");
  PressUpdate();
  ::Sleep(3000);
  // The program's window still answers, and nothing was shown.
  DWORD_PTR result = 0;
  EXPECT_TRUE(::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result));
  EXPECT_EQ(Log(), "");
}

TEST_F(UpdateEndToEnd, NoServerIsNoInternetConnection) {
  StartProgram("", "1");  // nothing listens on the proxy's port
  PressUpdate();
  EXPECT_TRUE(LogHas("box 0: Zarvent Half-Life 2 benchmark | No internet connection.")) << Log();
}

TEST_F(UpdateEndToEnd, ConnectionLostInTheMiddleOfAFile) {
  WriteFile(machine->InstallFolder + "part.dat", "the good old file");
  Serve("part.dat", std::string(90000, 'p'));
  files::WriteAll(maker.Root + "files\\part.dat.cut", "30000");
  ServeInfo("#version=2.4.0.0\r\n" + Listed("", "part.dat", std::string(90000, 'p')));
  StartProgram("yes");
  PressUpdate();
  EXPECT_TRUE(LogHas(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                     "Application update wizard | Connection with remote server lost.\\n\\n"
                     "Please restore connection and try to\\nupgrade this software again later."))
      << Log();
  // No part of the file stays to be installed by a later update.
  EXPECT_TRUE(WaitFor([&] { return UpdtmpFiles(Staging()).empty(); }, 30000));
  EXPECT_EQ(files::ReadAll(machine->InstallFolder + "part.dat").value_or(""), "the good old file");
}

}  // namespace
}  // namespace quorvel::testing
