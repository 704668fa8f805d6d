#include "app/discovery.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(SteamFolderFromSteamExe, CutsNineCharactersAndTurnsSlashesAround) {
  struct Case {
    const char* steamExe;
    const char* folder;
  } cases[] = {
      {"c:/program files/steam/steam.exe", "c:\\program files\\steam\\"},
      // The name is not checked: nine characters go whatever they are.
      {"D:/Steam/Steam2.exe", "D:\\Steam\\S"},
      {"E:\\Games\\Steam\\STEAM.EXE", "E:\\Games\\Steam\\"},
      {"x:/a//b/steam.exe", "x:\\a\\\\b\\"},
      {"/steam.exe", "\\"},
      {"steam.exe", ""},
      {"team.exe", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SteamFolderFromSteamExe(c.steamExe), c.folder) << c.steamExe;
}

TEST(SteamFolderFromSteamExe, KeepsLongTextsWhole) {
  std::string longPath(70000, 'a');
  EXPECT_EQ(SteamFolderFromSteamExe("c:/" + longPath + "/steam.exe"), "c:\\" + longPath + "\\");
}

TEST(AccountFolderFromMatch, DropsTheLastFolderOfTheMatch) {
  struct Case {
    const char* match;
    const char* account;
  } cases[] = {
      {"D:\\Program Files\\Steam\\SteamApps\\player\\half-life 2\\",
       "D:\\Program Files\\Steam\\SteamApps\\player\\"},
      {"D:\\Program Files\\Steam\\SteamApps\\player\\half-life 2 lostcoast\\",
       "D:\\Program Files\\Steam\\SteamApps\\player\\"},
      // hl2.exe directly in the Steam folder's drive root.
      {"C:\\", ""},
      {"C:\\hl2\\", "C:\\"},
      {"\\\\server\\share\\x\\", "\\\\server\\share\\"},
      {"relative\\", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AccountFolderFromMatch(c.match), c.account) << c.match;
}

TEST(FormatSid, AuthorityDecimalOrHexAndSubAuthoritiesInOrder) {
  struct Case {
    std::uint8_t authority[6];
    std::vector<std::uint32_t> subs;
    const char* text;
  } cases[] = {
      {{0, 0, 0, 0, 0, 5}, {21, 0, 0, 0, 1000}, "S-1-5-21-0-0-0-1000"},
      {{0, 0, 0, 0, 0, 5}, {18}, "S-1-5-18"},
      {{0, 0, 0, 0, 0, 1}, {0}, "S-1-1-0"},
      {{0, 0, 0, 0, 0, 5},
       {21, 4294967295u, 2147483648u, 1, 500},
       "S-1-5-21-4294967295-2147483648-1-500"},
      // The low four bytes are one big-endian number.
      {{0, 0, 0x12, 0x34, 0x56, 0x78}, {1}, "S-1-305419896-1"},
      {{0, 0, 0xff, 0xff, 0xff, 0xff}, {}, "S-1-4294967295"},
      // Either of the two top bytes set: six bytes in lower-case hex.
      {{0, 1, 0, 0, 0, 0}, {7}, "S-1-0x000100000000-7"},
      {{0xab, 0, 0, 0, 0x0c, 0xde}, {}, "S-1-0xab0000000cde"},
      {{0, 0, 0, 0, 0, 0}, {}, "S-1-0"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSid(c.authority, c.subs), c.text) << c.text;
}

}  // namespace
}  // namespace quorvel
