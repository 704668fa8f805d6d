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
