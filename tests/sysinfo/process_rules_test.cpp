#include "sysinfo/process_rules.h"

#include <gtest/gtest.h>

namespace quorvel::process {
namespace {

TEST(ProcessRules, SteamIsASubstringOfTheJoinedNamesIgnoringCase) {
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{}, false},
      {{"explorer.exe", "steam.exe"}, true},
      {{"STEAM.EXE"}, true},
      {{"oldsteam.exe"}, true},
      {{"steam.exe.bak"}, true},
      {{"steamer.exe"}, false},
      {{"steam.ex"}, false},
      // Names are joined line by line, so no match may span two names.
      {{"xsteam", ".exe"}, false},
      {{"steam", ".exe"}, false},
  };
  for (const auto& [names, expected] : cases) {
    std::string joined = JoinProcessNames(names);
    EXPECT_EQ(SteamInProcessList(names), expected) << joined;
  }
}

TEST(ProcessRules, TheGameIsExactlyHl2ExeOrHl2Win64ExeInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"hl2.exe", true},
      {"HL2.EXE", true},
      {"Hl2.Exe", true},
      {"xhl2.exe", false},
      {"hl2.exe ", false},
      {"hl2.exe.exe", false},
      {"hl2", false},
      {"", false},
      {"hl2_win64.exe", true},
      {"HL2_WIN64.EXE", true},
      {"hl2_win64", false},
      {"hl2_win32.exe", false},
      {"xhl2_win64.exe", false},
      {"hl2_win64.exe.bak", false},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(IsGameProcessName(name), expected) << name;
}

TEST(ProcessRules, BaseNameDropsTheFolder) {
  EXPECT_EQ(BaseName("C:\\Games\\Steam\\hl2.exe"), "hl2.exe");
  EXPECT_EQ(BaseName("/usr/bin/steam.exe"), "steam.exe");
  EXPECT_EQ(BaseName("hl2.exe"), "hl2.exe");
  EXPECT_EQ(BaseName("C:\\folder\\"), "");
}

TEST(ProcessRules, EnvironmentBlockIsDoubleNulTerminatedAndSkipsUnusableEntries) {
  using namespace std::string_literals;
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, ""},
      {{"A=1"}, "A=1\0\0"s},
      {{"A=1", "B=two words"}, "A=1\0B=two words\0\0"s},
      // An empty entry would end the block early; an entry with a NUL would split in two.
      {{"A=1", "", "B=2"}, "A=1\0B=2\0\0"s},
      {{"A=1\0C=3"s, "B=2"}, "B=2\0\0"s},
      {{""}, "\0\0"s},
  };
  for (const auto& [entries, expected] : cases) EXPECT_EQ(EnvironmentBlock(entries), expected);
}

}  // namespace
}  // namespace quorvel::process
