// The real installation helper under Wine against real folders, with a stand-in program
// (tests/tools/start_recorder) that records how it was started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/text.h"
#include "support/process_helpers_win.h"
#include "update/helper_command.h"

namespace quorvel {
namespace {

using testing::ChildProcess;
using testing::PumpFor;
using testing::PumpUntil;
using testing::ReadLines;
using testing::RemoveTree;
using testing::TestProgramFolder;

constexpr DWORD kUpdateAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY;

std::string TempPath() {
  char buffer[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, buffer);
  return text::WithBackslash(buffer);
}

std::string QueuePath() { return TempPath() + "ZrvUpdQueue.txt"; }

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

std::string Read(const std::string& path) { return files::ReadAll(path).value_or("<none>"); }

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

struct Start {
  std::string path, commandLine, mark;
};

class HelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(root_);
    files::ForceDirectories(root_);
    ::DeleteFileA(QueuePath().c_str());
    helper_ = TempPath() + "ZrvUpdHelper.exe";
    ASSERT_TRUE(testing::CopyFileTo(TestProgramFolder() + "helper\\ZrvUpdHelper.exe", helper_));
  }
  void TearDown() override {
    ::DeleteFileA(QueuePath().c_str());
    ::DeleteFileA(helper_.c_str());
    RemoveTree(root_);
  }

  // An installed program: the stand-in as "quorvel.exe" in `folder` (below the root).
  std::string Install(const std::string& folder) {
    std::string dir = root_ + folder;
    files::ForceDirectories(dir);
    Write(dir + "quorvel.exe", StandinWithMark("old"));
    return dir + "quorvel.exe";
  }

  // Starts the helper as the program does: its path, a space, the program path unquoted,
  // " +", the restart parameters and the method digit.
  bool RunHelper(const std::string& program, char method, ChildProcess& helper) {
    std::string line =
        "\"" + helper_ + "\" " + update::HelperArguments(program, "/afterupdate", method);
    return helper.Start(line, TempPath());
  }
  bool RunHelperToEnd(const std::string& program, char method) {
    ChildProcess helper;
    if (!RunHelper(program, method, helper)) return false;
    return helper.WaitForEnd(60000);
  }

  // The starts recorded in the folder's "started.log", waiting until there are `count`.
  std::vector<Start> Starts(const std::string& folder, std::size_t count) {
    std::string log = folder + "started.log";
    PumpUntil([&] { return ReadLines(log).size() >= count; }, 30000);
    std::vector<Start> starts;
    for (const std::string& line : ReadLines(log)) {
      std::vector<std::string> parts = text::Split(line, '|');
      // Wine puts quotes around a program path with blanks that it found unquoted; the
      // command line is compared without them.
      if (parts.size() == 3)
        starts.push_back({parts[0], text::ReplaceAll(parts[1], "\"", ""), parts[2]});
    }
    return starts;
  }

  std::string root_ = "C:\\qtests\\helper test\\";
  std::string helper_;
};

TEST_F(HelperTest, ThreeDownloadsReplaceTheirFilesAndTheProgramRestarts) {
  std::string program = Install("Program Files\\Zarvent Quorvel\\");
  std::string folder = program.substr(0, program.rfind('\\') + 1);
  Write(folder + "readme.txt", "old readme", FILE_ATTRIBUTE_READONLY);
  Write(folder + "Help.pdf", "old help", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  // As the update flow leaves them: hidden, temporary, archive.
  Write(program + ".updtmp", StandinWithMark("new"), kUpdateAttributes);
  Write(folder + "readme.txt.updtmp", "new readme", kUpdateAttributes);
  Write(folder + "Help.pdf.updtmp", "new help", kUpdateAttributes);

  ASSERT_TRUE(RunHelperToEnd(program, '0'));
  for (const char* name : {"quorvel.exe", "readme.txt", "Help.pdf"}) {
    EXPECT_EQ(Attributes(folder + name), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << name;
    EXPECT_FALSE(files::FileExists(folder + name + ".updtmp")) << name;
  }
  EXPECT_EQ(Read(folder + "readme.txt"), "new readme");
  EXPECT_EQ(Read(folder + "Help.pdf"), "new help");
  EXPECT_EQ(Read(program), StandinWithMark("new"));
  // The new program started, its path with blanks found again, with the restart parameters.
  std::vector<Start> starts = Starts(folder, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_TRUE(text::EqualsNoCase(starts[0].path, program)) << starts[0].path;
  EXPECT_EQ(starts[0].commandLine, program + " /afterupdate");
  EXPECT_EQ(starts[0].mark, "new");
}

TEST_F(HelperTest, QueueLinesOutsideTheProgramFolderAreReplacedAndTheQueueIsConsumed) {
  std::string program = Install("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  std::string outside = root_ + "Shared Files\\plugin.dll";
  std::string missing = root_ + "Shared Files\\not downloaded.dll";
  Write(outside, "old plugin", FILE_ATTRIBUTE_READONLY);
  Write(outside + ".updtmp", "new plugin", kUpdateAttributes);
  Write(missing, "stays");
  Write(QueuePath(), outside + "\r\n" + missing + "\r\n");

  ASSERT_TRUE(RunHelperToEnd(program, '0'));
  EXPECT_EQ(Read(outside), "new plugin");
  EXPECT_EQ(Attributes(outside), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_FALSE(files::FileExists(outside + ".updtmp"));
  EXPECT_EQ(Read(missing), "stays");
  EXPECT_FALSE(files::FileExists(QueuePath()));
  std::vector<Start> starts = Starts(folder, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].mark, "old");
  EXPECT_EQ(starts[0].commandLine, program + " /afterupdate");
}

TEST_F(HelperTest, ProgramFolderWithAPlusInItsNameIsFoundWhole) {
  // The " +" that the program writes before its restart parameters marks the cut, so a
  // folder like "Tools+Games" (or "Notepad++") keeps the update working.
  std::string program = Install("Tools+Games\\Zarvent +Quorvel\\");
  std::string folder = program.substr(0, program.rfind('\\') + 1);
  Write(folder + "readme.txt", "old");
  Write(folder + "readme.txt.updtmp", "new", kUpdateAttributes);
  ASSERT_TRUE(RunHelperToEnd(program, '0'));
  EXPECT_EQ(Read(folder + "readme.txt"), "new");
  std::vector<Start> starts = Starts(folder, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].commandLine, program + " /afterupdate");
}

TEST_F(HelperTest, WaitsUntilTheProgramFileCanBeWritten) {
  std::string program = Install("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  Write(program + ".updtmp", StandinWithMark("new"), kUpdateAttributes);
  ChildProcess helper;
  {
    // The running program holds its file against writing.
    UniqueHandle running(::CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running);
    ASSERT_TRUE(RunHelper(program, '0', helper));
    PumpFor(1500);
    EXPECT_TRUE(helper.Running());
    EXPECT_TRUE(files::FileExists(program + ".updtmp"));
    EXPECT_FALSE(files::FileExists(folder + "started.log"));
  }
  ASSERT_TRUE(helper.WaitForEnd(60000));
  EXPECT_FALSE(files::FileExists(program + ".updtmp"));
  std::vector<Start> starts = Starts(folder, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].mark, "new");
}

TEST_F(HelperTest, WaitsForTheRealProgramToEnd) {
  std::string program = Install("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  std::string release = root_ + "release.flag";
  Write(program + ".updtmp", StandinWithMark("new"), kUpdateAttributes);
  ChildProcess running;
  ASSERT_TRUE(running.Start("\"" + program + "\" --hold " + release));
  PumpFor(500);
  ChildProcess helper;
  ASSERT_TRUE(RunHelper(program, '0', helper));
  PumpFor(1500);
  EXPECT_TRUE(files::FileExists(program + ".updtmp"));
  Write(release, "go");
  ASSERT_TRUE(running.WaitForEnd(30000));
  ASSERT_TRUE(helper.WaitForEnd(60000));
  EXPECT_EQ(Read(program), StandinWithMark("new"));
  std::vector<Start> starts = Starts(folder, 2);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].mark, "old");  // the program that ran, then the updated one
  EXPECT_EQ(starts[1].mark, "new");
  EXPECT_EQ(starts[1].commandLine, program + " /afterupdate");
}

TEST_F(HelperTest, ALockedDownloadLeavesBothFilesAsTheyWere) {
  std::string program = Install("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  Write(folder + "readme.txt", "old readme", FILE_ATTRIBUTE_READONLY);
  Write(folder + "readme.txt.updtmp", "new readme", kUpdateAttributes);
  Write(folder + "Help.pdf", "old help");
  Write(folder + "Help.pdf.updtmp", "new help", kUpdateAttributes);
  std::string outside = root_ + "Shared\\plugin.dll";
  Write(outside, "old plugin");
  Write(outside + ".updtmp", "new plugin", kUpdateAttributes);
  Write(QueuePath(), outside + "\r\n");
  const DWORD oldAttributes = Attributes(folder + "readme.txt");
  const DWORD downloadAttributes = Attributes(folder + "readme.txt.updtmp");
  {
    // A virus scanner holds both downloads, sharing nothing.
    UniqueHandle scanner(::CreateFileA((folder + "readme.txt.updtmp").c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    UniqueHandle scanner2(::CreateFileA((outside + ".updtmp").c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(scanner && scanner2);
    ASSERT_TRUE(RunHelperToEnd(program, '0'));
  }
  EXPECT_EQ(Read(folder + "readme.txt"), "old readme");
  EXPECT_EQ(Attributes(folder + "readme.txt"), oldAttributes);
  EXPECT_NE(oldAttributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(Read(folder + "readme.txt.updtmp"), "new readme");
  EXPECT_EQ(Attributes(folder + "readme.txt.updtmp"), downloadAttributes);
  EXPECT_EQ(Read(outside), "old plugin");
  EXPECT_EQ(Read(outside + ".updtmp"), "new plugin");
  // The others are installed and the program comes back.
  EXPECT_EQ(Read(folder + "Help.pdf"), "new help");
  ASSERT_EQ(Starts(folder, 1).size(), 1u);
}

TEST_F(HelperTest, ExternalSetupRunsHiddenIsDeletedAndThenTheProgramStarts) {
  std::string program = Install("Zarvent\\");
  std::string folder = root_ + "Zarvent\\";
  Write(folder + "readme.txt.updtmp", "new readme", kUpdateAttributes);
  Write(folder + "zsetup.exe.updtmp", StandinWithMark("setup"), kUpdateAttributes);
  ASSERT_TRUE(RunHelperToEnd(program, '1'));
  std::vector<Start> starts = Starts(folder, 2);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].mark, "setup");
  EXPECT_EQ(starts[0].commandLine, folder + "zsetup.exe /afterupdate");
  EXPECT_EQ(starts[1].mark, "old");
  EXPECT_EQ(starts[1].commandLine, program + " /afterupdate");
  EXPECT_FALSE(files::FileExists(folder + "zsetup.exe"));
  EXPECT_FALSE(files::FileExists(folder + "zsetup.exe.updtmp"));
  EXPECT_EQ(Read(folder + "readme.txt"), "new readme");
  EXPECT_EQ(Read(program), StandinWithMark("old"));
}

TEST_F(HelperTest, ExternalSetupMethodWithoutASetupLeavesTheProgramAlone) {
  struct Case {
    const char* name;
    const char* download;
  } cases[] = {
      {"no exe among the downloads", "readme.txt"},
      {"the program itself is updated", "quorvel.exe"},
  };
  for (const Case& c : cases) {
    std::string program = Install("Zarvent\\");
    std::string folder = root_ + "Zarvent\\";
    ::DeleteFileA((folder + "started.log").c_str());
    Write(folder + c.download + ".updtmp", StandinWithMark("new"), kUpdateAttributes);
    ASSERT_TRUE(RunHelperToEnd(program, '1')) << c.name;
    std::vector<Start> starts = Starts(folder, 1);
    PumpFor(500);
    starts = Starts(folder, 1);
    ASSERT_EQ(starts.size(), 1u) << c.name;
    EXPECT_EQ(starts[0].commandLine, program + " /afterupdate") << c.name;
    EXPECT_TRUE(files::FileExists(program)) << c.name;
    EXPECT_EQ(Attributes(program), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << c.name;
  }
}

TEST_F(HelperTest, MissingProgramIsNotWaitedFor) {
  std::string folder = root_ + "Gone\\";
  Write(folder + "readme.txt.updtmp", "new readme", kUpdateAttributes);
  ASSERT_TRUE(RunHelperToEnd(folder + "quorvel.exe", '0'));
  EXPECT_EQ(Read(folder + "readme.txt"), "new readme");
}

TEST_F(HelperTest, WithoutArgumentsItShowsWhatItIs) {
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
// manifest asking for administrator rights.
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
