#include "update/helper_command.h"

#include <gtest/gtest.h>

namespace quorvel::update {
namespace {

TEST(HelperCommand, ReadsBackWhatTheUpdateFlowWrites) {
  struct Case {
    std::string path;
    char method;
  } cases[] = {
      {"C:\\Program Files\\Zarvent\\Quorvel\\quorvel.exe", '0'},
      {"C:\\Games\\Notepad++\\quorvel.exe", '1'},
      {"C:\\a +b\\c d\\quorvel.exe", '0'},
      {"C:\\quorvel.exe", '2'},
  };
  for (const Case& c : cases) {
    std::string line = HelperArguments(c.path, "/afterupdate", c.method);
    // The program path arrives split at its blanks, as an unquoted command line gives it.
    std::vector<std::string> arguments;
    std::string word;
    for (char ch : line) {
      if (ch == ' ') {
        arguments.push_back(word);
        word.clear();
      } else {
        word += ch;
      }
    }
    arguments.push_back(word);
    HelperCommand command = ParseHelperArguments(arguments);
    EXPECT_EQ(command.ProgramPath, c.path) << line;
    EXPECT_EQ(command.RestartParams, "/afterupdate") << line;
    EXPECT_EQ(command.Method, c.method) << line;
  }
}

TEST(HelperCommand, OptionsInFrontNameThePartTheProcessAndTheStagingFolder) {
  struct Case {
    std::vector<std::string> arguments;
    HelperPart part;
    unsigned long pid;
    std::string staging, program;
  } cases[] = {
      // As the platform splits what the program writes: the quotes are gone.
      {{"/install", "/pid=4242", "/staging=C:\\Users\\a b\\Update", "C:\\Q", "R\\q.exe",
        "+/afterupdate0"},
       HelperPart::Install,
       4242,
       "C:\\Users\\a b\\Update\\",
       "C:\\Q R\\q.exe"},
      {{"/restart", "/pid=17", "C:\\q.exe", "+/afterupdate0"},
       HelperPart::Restart,
       17,
       "",
       "C:\\q.exe"},
      // A process id that is no number, or too large, is no process id.
      {{"/restart", "/pid=12x", "C:\\q.exe", "+/a0"}, HelperPart::Restart, 0, "", "C:\\q.exe"},
      {{"/restart", "/pid=99999999999", "C:\\q.exe", "+/a0"},
       HelperPart::Restart,
       0,
       "",
       "C:\\q.exe"},
      // Without a part (the old command line): nothing to do, the path still read.
      {{"C:\\q.exe", "+/afterupdate0"}, HelperPart::None, 0, "", "C:\\q.exe"},
  };
  for (const Case& c : cases) {
    HelperCommand command = ParseHelperArguments(c.arguments);
    EXPECT_EQ(command.Part, c.part) << c.arguments[0];
    EXPECT_EQ(command.ProcessId, c.pid) << c.arguments[1];
    EXPECT_EQ(command.StagingFolder, c.staging);
    EXPECT_EQ(command.ProgramPath, c.program);
    EXPECT_EQ(command.RestartParams.empty(), false);
  }
  // The staging folder is written without its trailing backslash, which would escape the
  // closing quote on the command line.
  EXPECT_EQ(HelperOptions(HelperPart::Install, 12, "C:\\Users\\a b\\Update\\"),
            "/install /pid=12 /staging=\"C:\\Users\\a b\\Update\"");
  EXPECT_EQ(HelperOptions(HelperPart::Restart, 7, ""), "/restart /pid=7");
}

TEST(HelperCommand, FolderAndPieces) {
  HelperCommand c = ParseHelperArguments({"C:\\Program", "Files\\Z\\q.exe", "+/afterupdate0"});
  EXPECT_EQ(c.ProgramPath, "C:\\Program Files\\Z\\q.exe");
  EXPECT_EQ(c.ProgramFolder, "C:\\Program Files\\Z\\");
  // Without the blank before the "+", the first "+" cuts.
  c = ParseHelperArguments({"C:\\Z\\q.exe+/x1"});
  EXPECT_EQ(c.ProgramPath, "C:\\Z\\q.exe");
  EXPECT_EQ(c.RestartParams, "/x");
  EXPECT_EQ(c.Method, '1');
  // A restart text of one blank (an empty RestartParams is stored so).
  c = ParseHelperArguments({"C:\\Z\\q.exe", "+", "0"});
  EXPECT_EQ(c.RestartParams, " ");
  EXPECT_EQ(c.Method, '0');
}

TEST(HelperCommand, OddCommandLinesGiveEmptyPiecesNotACrash) {
  HelperCommand c = ParseHelperArguments({"C:\\Z\\q.exe"});
  EXPECT_EQ(c.ProgramPath, "C:\\Z\\q.exe");
  EXPECT_EQ(c.Method, '\0');
  c = ParseHelperArguments({"+"});
  EXPECT_EQ(c.ProgramPath, "");
  EXPECT_EQ(c.ProgramFolder, "");
  EXPECT_EQ(c.Method, '\0');
  c = ParseHelperArguments({});
  EXPECT_EQ(c.ProgramPath, "");
}

}  // namespace
}  // namespace quorvel::update
