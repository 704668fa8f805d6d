// The real installation helper under Wine against real folders: its install part with a
// staged update (signed information file and downloads) and its restart part, with a stand-in
// program (tests/tools/start_recorder) that records how it was started.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "support/update_signing_win.h"
#include "update/helper_command.h"
#include "update/update_info.h"

namespace quorvel {
namespace {

using testing::ChildProcess;
using testing::HashLine;
using testing::PumpFor;
using testing::PumpUntil;
using testing::ReadLines;
using testing::RemoveTree;
using testing::SignInfo;
using testing::TestProgramFolder;
using update::HelperPart;

constexpr char kMakerFiles[] = "https://update.zarvent-benchmarks.net/files/";

// The install part's exit codes.
constexpr DWORD kInstalled = 0, kRefused = 2, kProgramStillRunning = 3, kRolledBack = 4;

std::string TempPath() {
  char buffer[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, buffer);
  return text::WithBackslash(buffer);
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

std::string Read(const std::string& path) { return files::ReadAll(path).value_or("<none>"); }

// The mark of a stand-in program file (what follows its last "MARK:"), "<none>" without one.
std::string MarkOf(const std::string& path) {
  std::string bytes = Read(path);
  std::size_t at = bytes.rfind("MARK:");
  return at == std::string::npos ? "<none>" : bytes.substr(at + 5);
}

// The stand-in program's bytes with a mark that it reports when it runs.
std::string StandinWithMark(const std::string& mark) {
  std::string bytes = files::ReadAll(TestProgramFolder() + "start_recorder.exe").value_or("");
  return bytes + "MARK:" + mark;
}

void Write(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  files::ForceDirectories(path.substr(0, path.rfind('\\') + 1));
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(files::WriteAll(path, bytes)) << path;
  if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}

// How a process ended; ~0 while it runs or when it cannot be asked.
DWORD ExitCodeOf(const ChildProcess& process) {
  UniqueHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.Id()));
  DWORD code = ~0u;
  if (!handle || !::GetExitCodeProcess(handle.Get(), &code) || code == STILL_ACTIVE) return ~0u;
  return code;
}

// The files the install part leaves beside a destination when it did not finish cleanly.
std::vector<std::string> Leftovers(const std::vector<std::string>& destinations) {
  std::vector<std::string> found;
  for (const std::string& d : destinations)
    for (const char* suffix : {".updnew", ".updold"})
      if (files::FileExists(d + suffix)) found.push_back(d + suffix);
  return found;
}

struct Start {
  std::string path, commandLine, mark;
};

// One file of an update: the "#url" key suffix, the file name on the maker's server, the
// destination written after it (empty: none) and the bytes the maker signed.
struct Listed {
  std::string key, name, destination, bytes;
};

class HelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(root_);
    files::ForceDirectories(root_);
    helper_ = TempPath() + "ZrvUpdHelper.exe";
    ASSERT_TRUE(testing::CopyFileTo(TestProgramFolder() + "helper\\ZrvUpdHelper.exe", helper_));
    // What the helper tells the user goes to a file instead of a message box.
    ::SetEnvironmentVariableA("QUORVEL_HELPER_LOG", log_.c_str());
    ::SetEnvironmentVariableA("QUORVEL_HELPER_WAIT_MS", nullptr);
  }
  void TearDown() override {
    ::SetEnvironmentVariableA("QUORVEL_HELPER_LOG", nullptr);
    ::SetEnvironmentVariableA("QUORVEL_HELPER_WAIT_MS", nullptr);
    ::DeleteFileA(helper_.c_str());
    RemoveTree(root_);
    ::DeleteFileA(planted_.c_str());
    ::DeleteFileA("C:\\qtests\\started.log");
  }

  // An installed program: the stand-in as "quorvel.exe" in `folder` (below the root).
  std::string InstallProgram(const std::string& folder, const std::string& mark = "old") {
    std::string dir = root_ + folder;
    files::ForceDirectories(dir);
    Write(dir + "quorvel.exe", StandinWithMark(mark));
    return dir + "quorvel.exe";
  }

  // The information file's text as the maker writes it, before signing.
  static std::string InfoText(const std::vector<Listed>& listed) {
    std::string text = "#version=2.4.0.0\r\n#method=0\r\n";
    for (const Listed& l : listed)
      text += "#url" + l.key + "=" + kMakerFiles + l.name +
              (l.destination.empty() ? "" : "=" + l.destination) + "\r\n" +
              HashLine(l.key, l.bytes);
    return text;
  }

  // The staging folder as the update flow leaves it: the information file and the download
  // of each listed file under its position in the list.
  void Stage(const std::string& info, const std::vector<std::string>& downloads) {
    Write(staging_ + update::kStagedInfoName, info);
    for (std::size_t i = 0; i < downloads.size(); ++i)
      Write(staging_ + "file" + std::to_string(i) + update::kTempSuffix, downloads[i],
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  }
  void StageSigned(const std::vector<Listed>& listed) {
    std::vector<std::string> downloads;
    for (const Listed& l : listed) downloads.push_back(l.bytes);
    Stage(SignInfo(InfoText(listed)), downloads);
  }

  // Starts the install part as the program asks Windows to: options, then the program path
  // unquoted, " +", the restart parameters and the method digit.
  bool StartInstall(const std::string& program, DWORD programId, ChildProcess& helper,
                    char method = '0') {
    std::string line = "\"" + helper_ + "\" " +
                       update::HelperOptions(HelperPart::Install, programId, staging_) + " " +
                       update::HelperArguments(program, "/afterupdate", method);
    return helper.Start(line, TempPath());
  }
  // The install part run to its end; its exit code, ~0 when it did not end.
  DWORD RunInstall(const std::string& program, DWORD programId = 0, char method = '0') {
    ChildProcess helper;
    if (!StartInstall(program, programId, helper, method) || !helper.WaitForEnd(60000)) return ~0u;
    return ExitCodeOf(helper);
  }

  bool StartRestart(const std::string& program, DWORD installId, ChildProcess& helper) {
    std::string line = "\"" + helper_ + "\" " +
                       update::HelperOptions(HelperPart::Restart, installId, "") + " " +
                       update::HelperArguments(program, "/afterupdate", '0');
    return helper.Start(line, TempPath());
  }

  // The starts recorded in the folder's "started.log", waiting until there are `count`.
  std::vector<Start> Starts(const std::string& folder, std::size_t count) {
    std::string log = folder + "started.log";
    PumpUntil([&] { return ReadLines(log).size() >= count; }, 30000);
    std::vector<Start> starts;
    for (const std::string& line : ReadLines(log)) {
      std::vector<std::string> parts = text::Split(line, '|');
      if (parts.size() == 3) starts.push_back({parts[0], parts[1], parts[2]});
    }
    return starts;
  }

  // A process that runs until the test releases it: the stand-in at `path`, holding on
  // `release`.
  void StartHolder(const std::string& path, const std::string& release, ChildProcess& holder) {
    ASSERT_TRUE(holder.Start("\"" + path + "\" --hold " + release));
  }

  std::string root_ = "C:\\qtests\\helper test\\";
  std::string staging_ = root_ + "Local\\Zarvent\\Update\\";
  std::string log_ = root_ + "helper said.txt";
  std::string helper_;
  // A program where an unquoted path of the root would be looked for first.
  std::string planted_ = "C:\\qtests\\helper.exe";
};

TEST_F(HelperTest, ASignedUpdateReplacesEveryListedFileAndLeavesNothingBehind) {
  std::string program = InstallProgram("Program Files\\Zarvent Quorvel\\");
  std::string folder = program.substr(0, program.rfind('\\') + 1);
  std::string readme = folder + "docs\\readme.txt";
  std::string plugin = root_ + "Shared Files\\plugin.dll";
  Write(readme, "old readme", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  std::vector<Listed> listed = {
      {"", "quorvel.exe", "", StandinWithMark("new")},
      {"2", "readme.txt", "%current%docs\\readme.txt", "new readme"},
      {"3", "plugin.dll", plugin, "new plugin"},  // a folder that does not exist yet
      {"4", "extra.txt", "", "not downloaded"},
  };
  std::vector<std::string> downloads = {listed[0].bytes, listed[1].bytes, listed[2].bytes};
  Stage(SignInfo(InfoText(listed)), downloads);
  // The program has ended already when the install part looks for it.
  ChildProcess ended;
  ASSERT_TRUE(ended.Start("\"" + TestProgramFolder() + "start_recorder.exe\""));
  ASSERT_TRUE(ended.WaitForEnd(30000));

  ASSERT_EQ(RunInstall(program, ended.Id()), kInstalled) << Read(log_);
  EXPECT_EQ(MarkOf(program), "new");
  EXPECT_EQ(Read(readme), "new readme");
  EXPECT_EQ(Read(plugin), "new plugin");
  for (const std::string& path : {program, readme, plugin})
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << path;
  EXPECT_FALSE(files::FileExists(folder + "extra.txt"));
  EXPECT_EQ(Leftovers({program, readme, plugin}), std::vector<std::string>());
  EXPECT_EQ(testing::UpdtmpFiles(staging_), std::vector<std::string>());
  EXPECT_FALSE(files::FileExists(staging_ + update::kStagedInfoName));
  EXPECT_FALSE(files::FileExists(log_)) << Read(log_);
  // The install part runs as the administrator: it never starts the program.
  PumpFor(500);
  EXPECT_FALSE(files::FileExists(folder + "started.log"));
}

TEST_F(HelperTest, WhatTheMakerDidNotSignChangesNothing) {
  const std::string good = InfoText(
      {{"", "quorvel.exe", "", StandinWithMark("new")}, {"2", "readme.txt", "", "new readme"}});
  const std::string signedGood = SignInfo(good);
  struct Case {
    const char* name;
    std::string info;
    std::string readmeDownload;
    bool scannerHoldsDownload = false;
  } cases[] = {
      {"a download whose hash differs (same size)", signedGood, "new reaDme"},
      {"a download swapped for a longer file", signedGood, "new readme and more"},
      {"an information file without a signature", good, "new readme"},
      {"an information file changed after signing",
       text::ReplaceAll(signedGood, "#version=2.4.0.0", "#version=2.5.0.0"), "new readme"},
      {"a listed file without a hash",
       SignInfo(text::ReplaceAll(good, HashLine("2", "new readme"), "")), "new readme"},
      {"a listed file over http",
       SignInfo(text::ReplaceAll(good, "https://update.zarvent-benchmarks.net/files/readme",
                                 "http://update.zarvent-benchmarks.net/files/readme")),
       "new readme"},
      {"a download that a scanner holds", signedGood, "new readme", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(root_ + "Zarvent\\");
    RemoveTree(staging_);
    std::string program = InstallProgram("Zarvent\\");
    std::string folder = root_ + "Zarvent\\";
    Write(folder + "readme.txt", "old readme", FILE_ATTRIBUTE_READONLY);
    ::DeleteFileA(log_.c_str());
    Stage(c.info, {StandinWithMark("new"), c.readmeDownload});
    {
      UniqueHandle scanner;
      if (c.scannerHoldsDownload) {
        scanner.Reset(::CreateFileA((staging_ + "file1.updtmp").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(scanner);
      }
      EXPECT_EQ(RunInstall(program), kRefused);
    }
    EXPECT_EQ(MarkOf(program), "old");
    EXPECT_EQ(Read(folder + "readme.txt"), "old readme");
    EXPECT_NE(Attributes(folder + "readme.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Leftovers({program, folder + "readme.txt"}), std::vector<std::string>());
    EXPECT_NE(Read(log_).find("not installed"), std::string::npos) << Read(log_);
    if (!c.scannerHoldsDownload)
      EXPECT_EQ(testing::UpdtmpFiles(staging_), std::vector<std::string>());
    EXPECT_FALSE(files::FileExists(folder + "started.log"));
  }
}

TEST_F(HelperTest, AReplaceThatFailsMidwayPutsBackEveryFileAlreadyReplaced) {
  std::string program = InstallProgram("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  std::string readme = folder + "readme.txt";
  std::string plugin = root_ + "Shared\\plugin.dll";
  Write(readme, "old readme", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  Write(plugin, "old plugin");
  StageSigned({{"", "quorvel.exe", "", StandinWithMark("new")},
               {"2", "readme.txt", "", "new readme"},
               {"3", "plugin.dll", plugin, "new plugin"}});
  const DWORD readmeAttributes = Attributes(readme);
  {
    // Another program holds the last file, sharing nothing: it cannot be set aside.
    UniqueHandle holder(
        ::CreateFileA(plugin.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(RunInstall(program), kRolledBack) << Read(log_);
  }
  EXPECT_EQ(MarkOf(program), "old");
  EXPECT_EQ(Read(readme), "old readme");
  EXPECT_EQ(Attributes(readme), readmeAttributes);
  EXPECT_EQ(Read(plugin), "old plugin");
  EXPECT_EQ(Leftovers({program, readme, plugin}), std::vector<std::string>());
  EXPECT_NE(Read(log_).find("put back"), std::string::npos) << Read(log_);
  EXPECT_FALSE(files::FileExists(folder + "started.log"));
}

TEST_F(HelperTest, WaitsForTheProgramToEndBeforeItChangesAnything) {
  std::string program = InstallProgram("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  std::string release = root_ + "release.flag";
  StageSigned({{"", "quorvel.exe", "", StandinWithMark("new")}});
  ChildProcess running;
  StartHolder(program, release, running);
  ChildProcess helper;
  ASSERT_TRUE(StartInstall(program, running.Id(), helper));
  PumpFor(1500);
  EXPECT_EQ(MarkOf(program), "old");
  Write(release, "go");
  ASSERT_TRUE(running.WaitForEnd(30000));
  ASSERT_TRUE(helper.WaitForEnd(60000));
  EXPECT_EQ(ExitCodeOf(helper), kInstalled) << Read(log_);
  EXPECT_EQ(MarkOf(program), "new");
  // Only the program that ran: the install part started nothing.
  PumpFor(500);
  std::vector<Start> starts = Starts(folder, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].mark, "old");
}

TEST_F(HelperTest, AProgramThatNeverEndsIsGivenUpOnAndNothingChanges) {
  std::string program = InstallProgram("Zarvent\\");
  std::string release = root_ + "release.flag";
  std::vector<Listed> listed = {{"", "quorvel.exe", "", StandinWithMark("new")}};
  StageSigned(listed);
  ChildProcess running;
  StartHolder(program, release, running);
  ::SetEnvironmentVariableA("QUORVEL_HELPER_WAIT_MS", "300");
  EXPECT_EQ(RunInstall(program, running.Id()), kProgramStillRunning);
  EXPECT_TRUE(running.Running());
  EXPECT_EQ(MarkOf(program), "old");
  EXPECT_EQ(Leftovers({program}), std::vector<std::string>());
  EXPECT_NE(Read(log_).find("did not end"), std::string::npos) << Read(log_);
  Write(release, "go");
  EXPECT_TRUE(running.WaitForEnd(30000));
}

TEST_F(HelperTest, TheRestartPartStartsTheProgramQuotedOnlyAfterTheInstallPartHasEnded) {
  // The " +" that the program writes before its restart parameters marks the cut, so a
  // folder like "Tools+Games" (or "Notepad++") is found whole.
  std::string program = InstallProgram("Tools+Games\\Zarvent +Quorvel\\", "program");
  std::string folder = program.substr(0, program.rfind('\\') + 1);
  std::string release = root_ + "release.flag";
  // The install part stands in as a copy of the stand-in in the same folder, so both starts
  // land in one log in the order they happened.
  Write(folder + "installing.exe", StandinWithMark("install"));
  // Windows reads an unquoted path with blanks as "C:\qtests\helper" first: a program there
  // would run instead.
  Write(planted_, StandinWithMark("planted"));
  ChildProcess install;
  StartHolder(folder + "installing.exe", release, install);
  ChildProcess restart;
  ASSERT_TRUE(StartRestart(program, install.Id(), restart));
  PumpFor(1500);
  EXPECT_TRUE(restart.Running());
  EXPECT_FALSE(files::FileExists(folder + "started.log"));
  Write(release, "go");
  ASSERT_TRUE(restart.WaitForEnd(60000));
  EXPECT_EQ(ExitCodeOf(restart), 0u) << Read(log_);
  std::vector<Start> starts = Starts(folder, 2);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].mark, "install");
  EXPECT_EQ(starts[1].mark, "program");
  EXPECT_TRUE(text::EqualsNoCase(starts[1].path, program)) << starts[1].path;
  EXPECT_EQ(starts[1].commandLine, "\"" + program + "\" /afterupdate");
  EXPECT_FALSE(files::FileExists("C:\\qtests\\started.log"));
}

TEST_F(HelperTest, ExternalSetupRunsOnceInstalledAndIsDeleted) {
  struct Case {
    const char* name;
    const char* download;  // the file of the update besides the readme
    bool setupRuns;
  } cases[] = {
      {"a setup program among the files", "zsetup.exe", true},
      {"no program among the files", "notes.txt", false},
      {"the program itself is updated", "quorvel.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(root_ + "Zarvent\\");
    RemoveTree(staging_);
    std::string program = InstallProgram("Zarvent\\");
    std::string folder = root_ + "Zarvent\\";
    StageSigned(
        {{"", "readme.txt", "", "new readme"}, {"2", c.download, "", StandinWithMark("new")}});
    EXPECT_EQ(RunInstall(program, 0, '1'), kInstalled) << Read(log_);
    EXPECT_EQ(Read(folder + "readme.txt"), "new readme");
    PumpFor(300);
    std::vector<Start> starts = Starts(folder, c.setupRuns ? 1 : 0);
    if (c.setupRuns) {
      ASSERT_EQ(starts.size(), 1u);
      EXPECT_EQ(starts[0].mark, "new");
      EXPECT_EQ(starts[0].commandLine, "\"" + folder + c.download + "\" /afterupdate");
      EXPECT_FALSE(files::FileExists(folder + c.download));
    } else {
      EXPECT_EQ(starts.size(), 0u);
      EXPECT_EQ(MarkOf(folder + c.download), "new");
    }
  }
}

TEST_F(HelperTest, ACommandLineWithoutAPartInstallsNothing) {
  std::string program = InstallProgram("Zarvent\\");
  StageSigned({{"", "quorvel.exe", "", StandinWithMark("new")}});
  ChildProcess helper;
  ASSERT_TRUE(helper.Start("\"" + helper_ + "\" /pid=0 /staging=\"" +
                               staging_.substr(0, staging_.size() - 1) + "\" " +
                               update::HelperArguments(program, "/afterupdate", '0'),
                           TempPath()));
  ASSERT_TRUE(helper.WaitForEnd(30000));
  EXPECT_EQ(MarkOf(program), "old");
  EXPECT_FALSE(files::FileExists(root_ + "Zarvent\\started.log"));
}

TEST_F(HelperTest, WithoutArgumentsItShowsWhatItIs) {
  ::SetEnvironmentVariableA("QUORVEL_HELPER_LOG", nullptr);
  ChildProcess helper;
  ASSERT_TRUE(helper.Start("\"" + helper_ + "\""));
  HWND box = nullptr;
  ASSERT_TRUE(
      PumpUntil([&] { return (box = ::FindWindowA(nullptr, "Zarvent update helper")); }, 30000));
  char text[512] = {};
  HWND label = ::FindWindowExA(box, nullptr, "Static", nullptr);
  while (label && ::GetWindowTextA(label, text, sizeof(text)) == 0)
    label = ::FindWindowExA(box, label, "Static", nullptr);
  EXPECT_NE(std::string(text).find("update"), std::string::npos) << text;
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(helper.WaitForEnd(30000));
}

// The program carries the helper, byte for byte, and the helper its own version and a
// manifest that lets the user start it.
TEST(HelperResource, TheProgramCarriesTheHelper) {
  std::string built = files::ReadAll(TestProgramFolder() + "helper\\ZrvUpdHelper.exe").value_or("");
  ASSERT_FALSE(built.empty());
  HMODULE program = ::LoadLibraryExA((TestProgramFolder() + "quorvel.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  HRSRC found = ::FindResourceA(program, "ZRVUPD", "ZRVUPD");
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(program, found)));
  std::string carried(bytes, ::SizeofResource(program, found));
  ::FreeLibrary(program);
  EXPECT_EQ(carried, built);

  HMODULE helper = ::LoadLibraryExA((TestProgramFolder() + "helper\\ZrvUpdHelper.exe").c_str(),
                                    nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(helper, nullptr);
  HRSRC manifest = ::FindResourceA(helper, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(::LockResource(::LoadResource(helper, manifest))),
                   ::SizeofResource(helper, manifest));
  // The program asks for consent ("runas") for the install part; the restart part must be
  // startable as the user, which a manifest asking for administrator rights would forbid.
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(::FindResourceA(helper, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr);
  ::FreeLibrary(helper);
}

}  // namespace
}  // namespace quorvel
