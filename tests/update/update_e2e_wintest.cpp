// The real program, the real helper and the maker's servers: the program reaches the maker's
// host names through the proxy of its own update page (the test proxy answers for them, over
// HTTPS with a certificate of the test authority trusted in this prefix). The question and
// the message boxes are answered through the dialog seam; the wizard's buttons are clicked.
#include <gtest/gtest.h>

#include "platform/win.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/text.h"
#include "support/program_env_win.h"
#include "support/update_servers_win.h"
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

class UpdateEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    maker = Maker();
    if (!maker.Present || !TestServers().Present) GTEST_SKIP() << "run without the maker's servers";
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
  void StartProgram(const std::string& answers, const std::string& proxyPort = "") {
    machine->CreateSettingsKey({{"UseProxy", "1"}, {"ProxyServer", "127.0.0.1"}, {"News", "1"}});
    machine->SetSetting("ProxyPort", proxyPort.empty() ? std::to_string(maker.Proxy) : proxyPort);
    machine->CreateSteamKey();
    WriteFile(machine->AccountFolder + "half-life 2\\hl2.exe", "game");
    log = machine->Root + "seams.log";
    startLog = machine->Root + "starts.log";
    program = machine->StartProgram({{"QUORVEL_SEAM_LOG", log},
                                     {"QUORVEL_SEAM_ANSWERS", answers},
                                     {"QUORVEL_SEAM_NO_SHELL", "1"},
                                     {"QUORVEL_START_LOG", startLog}});
    ASSERT_TRUE(program.Process);
    window = machine->WaitForWindow(program.Id, 60000);
    ASSERT_NE(window, nullptr);
  }

  void ServeInfo(const std::string& text) {
    files::WriteAll(maker.Root + "benchmarks\\hl2\\zrv_quorvel.inf", text);
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
  bool LogHas(const std::string& line) {
    return WaitFor([&] { return Log().find(line + "\n") != std::string::npos; }, 60000);
  }

  MakerServer maker;
  std::unique_ptr<ProgramEnvironment> machine;
  StartedProcess program;
  HWND window = nullptr;
  std::string log, startLog;
};

TEST_F(UpdateEndToEnd, ThreeFilesInstalledByTheHelperAndTheProgramRestarts) {
  const std::string folder = machine->InstallFolder;
  const std::string outside = machine->Root + "Elsewhere\\";
  files::ForceDirectories(outside);
  WriteFile(folder + "readme.txt", "old readme");
  ::SetFileAttributesA((folder + "readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFile(outside + "outside.cfg", "old cfg");
  Serve("readme.txt", "new readme, version 2.4");
  Serve("new.dem", std::string(70000, 'd'));
  Serve("outside.cfg", "new cfg");
  ServeInfo(std::string("#version=2.4.0.0\r\n#message={Three files.}\r\n") + "#url=" + kMakerFiles +
            "readme.txt\r\n#url0=" + kMakerFiles + "new.dem=%current%Demos\\added\\new.dem\r\n" +
            "#url3=" + kMakerFiles + "outside.cfg=" + outside + "outside.cfg");
  StartProgram("yes");
  PressUpdate();
  // The wizard comes to its end state; OK.
  HWND wizard = nullptr;
  HWND finish = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        wizard = WindowOf(program.Id, update::kWizardWindowClass);
        finish = wizard ? ChildWithId(wizard, 101) : nullptr;
        return finish && ::IsWindowEnabled(finish);
      },
      60000))
      << Log();
  ::PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(finish));
  // The program ends; the helper installs and starts it again with "/afterupdate".
  EXPECT_EQ(machine->WaitExit(program, 60000), 0) << Log();
  ASSERT_TRUE(WaitFor(
      [&] {
        auto starts = text::Split(files::ReadAll(startLog).value_or(""), '\n');
        return starts.size() >= 3;  // two starts and the last line end
      },
      60000));
  auto starts = text::Split(files::ReadAll(startLog).value_or(""), '\n');
  EXPECT_NE(starts[1].find(machine->ProgramPath + " /afterupdate"), std::string::npos) << starts[1];
  EXPECT_EQ(starts[0].find("/afterupdate"), std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return WindowOf(0, kMainWindowClass) != nullptr; }, 60000));

  EXPECT_EQ(files::ReadAll(folder + "readme.txt").value_or(""), "new readme, version 2.4");
  EXPECT_EQ(files::ReadAll(folder + "Demos\\added\\new.dem").value_or(""), std::string(70000, 'd'));
  EXPECT_EQ(files::ReadAll(outside + "outside.cfg").value_or(""), "new cfg");
  for (const std::string& path :
       {folder + "readme.txt", folder + "Demos\\added\\new.dem", outside + "outside.cfg"})
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE))
        << path;
  EXPECT_TRUE(UpdtmpFiles(folder).empty());
  EXPECT_TRUE(UpdtmpFiles(folder + "Demos\\added\\").empty());
  EXPECT_TRUE(UpdtmpFiles(outside).empty());
  // The helper deletes its queue right after it has started the program again.
  EXPECT_TRUE(WaitFor(
      [] { return !files::FileExists(update::TzUpdater::TempFolder() + "ZrvUpdQueue.txt"); },
      30000));
  // Only the question was shown.
  EXPECT_EQ(Log(),
            "dialog: question: A newer version of Zarvent Half-Life 2 benchmark was "
            "released.\\nThree files.\\nDo you want to update your version with the latest one? "
            "-> yes\n");
}

TEST_F(UpdateEndToEnd, CancelDuringADownload) {
  Serve("first.dat", "first");
  Serve("big.dat", std::string(600000, 'b'));
  files::WriteAll(maker.Root + "files\\big.dat.slow", "8192 100");
  ServeInfo(std::string("#version=2.4.0.0\r\n#url=") + kMakerFiles +
            "first.dat\r\n#url2=" + kMakerFiles + "big.dat");
  StartProgram("yes,yes");
  WriteFile(machine->InstallFolder + "stale.bin.updtmp", "left by an earlier update");
  PressUpdate();
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        wizard = WindowOf(program.Id, update::kWizardWindowClass);
        return wizard && files::FileExists(machine->InstallFolder + "big.dat.updtmp");
      },
      60000))
      << Log();
  ::PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_TRUE(LogHas("box 0: Zarvent Half-Life 2 benchmark | Update aborted.")) << Log();
  EXPECT_NE(Log().find("The update is not completed.\\nWould you like to abort upgrading? -> yes"),
            std::string::npos);
  EXPECT_TRUE(WaitFor([&] { return UpdtmpFiles(machine->InstallFolder).empty(); }, 30000));
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
  ServeInfo(std::string("#version=2.4.0.0\r\n#url=") + kMakerFiles + "part.dat");
  StartProgram("yes");
  PressUpdate();
  EXPECT_TRUE(LogHas(text::Format("box %X: ", MB_OK | MB_ICONERROR) +
                     "Application update wizard | Connection with remote server lost.\\n\\n"
                     "Please restore connection and try to\\nupgrade this software again later."))
      << Log();
  // No part of the file stays to be installed by a later update.
  EXPECT_TRUE(WaitFor([&] { return UpdtmpFiles(machine->InstallFolder).empty(); }, 30000));
  EXPECT_EQ(files::ReadAll(machine->InstallFolder + "part.dat").value_or(""), "the good old file");
}

}  // namespace
}  // namespace quorvel::testing
