#include "update/update_info.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel::update {
namespace {

TEST(UpdateInfo, KeyValues) {
  struct Case {
    const char* text;
    const char* key;
    const char* value;
  } cases[] = {
      {"#version=2.4.0.0\r\n", "#version", "2.4.0.0"},
      // The last line without a line end keeps every character.
      {"#url=http://z/a.exe\r\n#version=2.4.0.0", "#version", "2.4.0.0"},
      {"#version=2.4.0.0", "#version", "2.4.0.0"},
      {"#url=http://z/files/quorvel.exe", "#url", "http://z/files/quorvel.exe"},
      // Any letter case of the key; the value's case is kept.
      {"#VERSION=2.4.0.0b\r\n", "#version", "2.4.0.0b"},
      {"#Url=HTTP://Z/A.EXE\r\n", "#url", "HTTP://Z/A.EXE"},
      // Cut at the first control character, wherever the key stands.
      {"junk #version=3.0\tmore\r\n", "#version", "3.0"},
      {"#version=3.0\n#date=01/01/2009", "#version", "3.0"},
      // The key must be followed directly by "=".
      {"#version 2.4\r\n", "#version", ""},
      {"#url0=http://z/b\r\n", "#url", ""},
      {"", "#version", ""},
      {"#version=", "#version", ""},
      {"#version=\r\n", "#version", ""},
      // The first occurrence counts.
      {"#version=1\r\n#version=2\r\n", "#version", "1"},
      // Bytes above 127 belong to the value.
      {"#url=http://z/\xe9t\xe9.exe\r\n", "#url", "http://z/\xe9t\xe9.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(InfoValue(c.text, c.key), c.value) << c.text;
}

TEST(UpdateInfo, Message) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"#message={New demos.}\r\n", "New demos."},
      {"#MESSAGE={Two\r\nlines}\r\n#version=2.4", "Two\r\nlines"},
      {"#message={a}b}\r\n", "a"},
      {"#message={}", ""},
      {"#message=plain\r\n", ""},
      // No closing brace: the rest of the file, less its final line end.
      {"#message={open\r\nend\r\n", "open\r\nend"},
      {"#message={open", "open"},
      {"#version=2\r\n", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(InfoMessage(c.text), c.message) << c.text;
}

TEST(UpdateInfo, FileListNumbering) {
  struct Case {
    const char* text;
    std::vector<std::string> files;
  } cases[] = {
      {"#url1=a\r\n#url2=b\r\n#url3=c\r\n", {"a", "b", "c"}},
      {"#url=a\r\n#url2=b\r\n", {"a", "b"}},
      // #url0 counts as the first entry, so the search goes on at #url2.
      {"#url0=a\r\n#url1=b\r\n#url2=c\r\n", {"a", "c"}},
      {"#url=a\r\n#url0=b\r\n#url3=c\r\n#url4=d\r\n", {"a", "b", "c", "d"}},
      {"#url=a\r\n#url1=skipped\r\n", {"a"}},
      // An empty value ends the list.
      {"#url1=a\r\n#url2=\r\n#url3=c\r\n", {"a"}},
      {"#url=\r\n#url1=a\r\n", {"a"}},
      {"#URL1=a\r\n#Url2=b", {"a", "b"}},
      {"#version=2\r\n", {}},
      {"", {}},
      {"#url=http://z/a?x=1=..\\b.dll\r\n", {"http://z/a?x=1=..\\b.dll"}},
  };
  for (const Case& c : cases) EXPECT_EQ(InfoFileList(c.text), c.files) << c.text;
}

TEST(UpdateInfo, ThousandsOfNumberedKeys) {
  std::string text;
  for (int i = 1; i <= 20000; ++i)
    text += "#url" + std::to_string(i) + "=f" + std::to_string(i) + "\r\n";
  auto files = InfoFileList(text);
  ASSERT_EQ(files.size(), 20000u);
  EXPECT_EQ(files.back(), "f20000");
}

TEST(UpdateInfo, VersionsByNumber) {
  struct Case {
    const char* info;
    const char* own;
    int sign;
  } cases[] = {
      {"2.3.0.0", "2.3.0.0", 0},
      {"2.3.0.1", "2.3.0.0", 1},
      {"2.3", "2.3.0.0", 0},
      {"2.10", "2.9", 1},
      {"3.0.0.0", "2.3.0.0", 1},
      {"3.0.0.0", "2.99.99.99", 1},
      {"2.2.9.9", "2.3.0.0", -1},
      {"2.3.0.0.9", "2.3.0.0", 0},  // a fifth part is ignored
      // A part that is no number: the whole texts, byte by byte.
      {"2.3b", "2.3.0.0", 1},
      {"2.3 ", "2.3.0.0", -1},
      {"", "2.3.0.0", -1},      // no "#version" key
      {"2..3", "2.3.0.0", -1},  // "." sorts before "3"
      {"-1.0", "2.3.0.0", -1},
      {"99999999999.0", "2.3.0.0", 1},
      {"\xff", "2.3.0.0", 1},
  };
  for (const Case& c : cases) {
    int result = CompareVersionsByNumber(c.info, c.own);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.info << " vs " << c.own;
  }
}

TEST(UpdateInfo, VersionsByDate) {
  const UpdaterDate today{2008, 12, 3};
  struct Case {
    const char* info;
    const char* own;
    bool newer;
  } cases[] = {
      {"03/13/2008", "03/12/2008", true},
      {"03/12/2008", "03/12/2008", false},
      {"12/31/2007", "03/12/2008", false},
      {"01/01/2009", "03/12/2008", true},
      {"02/29/2008", "02/28/2008", true},
      // Not a date: the current date stands in.
      {"02/30/2008", "03/12/2008", true},
      {"", "03/12/2008", true},
      {"12/04/2008", "garbage", true},
      {"12/03/2008", "", false},
      {"13/01/2009", "03/12/2008", true},
  };
  for (const Case& c : cases) EXPECT_EQ(NewerByDate(c.info, c.own, today), c.newer) << c.info;
  EXPECT_FALSE(ParseUpdaterDate("02/29/2009"));
  EXPECT_TRUE(ParseUpdaterDate("02/29/2000"));
  EXPECT_FALSE(ParseUpdaterDate("1/2/"));
}

TEST(UpdateInfo, UpgradeMethod) {
  EXPECT_EQ(UpgradeMethodOf(""), 0);
  EXPECT_EQ(UpgradeMethodOf("0"), 0);
  EXPECT_EQ(UpgradeMethodOf("1"), 1);
  EXPECT_EQ(UpgradeMethodOf("2 redirect"), 2);
  EXPECT_EQ(UpgradeMethodOf("3"), 0);
  EXPECT_EQ(UpgradeMethodOf(" 1"), 0);
}

PlaceholderFolders Folders() {
  return MakePlaceholderFolders("C:\\Program Files\\Quorvel\\", "C:\\users\\u\\Desktop",
                                "C:\\users\\u\\Documents", "C:\\users\\u\\Pictures",
                                "C:\\users\\u\\AppData\\Roaming", "C:\\windows",
                                "C:\\windows\\system32", "C:\\users\\u\\Temp\\", true);
}

TEST(UpdateInfo, Destinations) {
  struct Case {
    const char* entry;
    const char* path;
  } cases[] = {
      {"http://z/f/quorvel.exe", "C:\\Program Files\\Quorvel\\quorvel.exe"},
      {"http://z/f/a.dll=%system%a.dll", "C:\\windows\\system32\\a.dll"},
      {"http://z/f/a.dll=%SYSTEM%a.dll", "C:\\windows\\system32\\a.dll"},
      {"http://z/f/x=%current%Demos\\new\\x.dem", "C:\\Program Files\\Quorvel\\Demos\\new\\x.dem"},
      {"http://z/f/x=Demos\\x.dem", "C:\\Program Files\\Quorvel\\Demos\\x.dem"},
      {"http://z/f/x=x.dem", "C:\\Program Files\\Quorvel\\x.dem"},
      {"http://z/f/x=ab", "C:\\Program Files\\Quorvel\\ab"},
      {"http://z/f/x=D:\\Data\\x.dem", "D:\\Data\\x.dem"},
      {"http://z/f/x=..\\x.dem", "C:\\Program Files\\Quorvel\\..\\x.dem"},
      {"http://z/f/x=%desktop%x.url", "C:\\users\\u\\Desktop\\x.url"},
      {"http://z/f/x=%mydocuments%x", "C:\\users\\u\\Documents\\x"},
      {"http://z/f/x=%mypictures%x", "C:\\users\\u\\Pictures\\x"},
      {"http://z/f/x=%appdata%Z\\x", "C:\\users\\u\\AppData\\Roaming\\Z\\x"},
      {"http://z/f/x=%programfiles%Z\\x", "C:\\Program Files\\Z\\x"},
      {"http://z/f/x=%windows%x", "C:\\windows\\x"},
      {"http://z/f/x=%temp%x", "C:\\users\\u\\Temp\\x"},
      {"http://z/f/x=%help%x", "C:\\windows\\HELP\\x"},
      {"http://z/f/x=%media%x", "C:\\windows\\MEDIA\\x"},
      {"http://z/f/x=%cursors%x", "C:\\windows\\CURSORS\\x"},
      {"http://z/f/x=%temp%%temp%x", "C:\\users\\u\\Temp\\C:\\users\\u\\Temp\\x"},
      {"http://z/f/x=%unknown%x", "C:\\Program Files\\Quorvel\\%unknown%x"},
      // "=" in a URL: the rest is the destination.
      {"http://z/get?file=quorvel.exe", "C:\\Program Files\\Quorvel\\quorvel.exe"},
      // "=" with nothing after it: no destination.
      {"http://z/f/a.exe=", "C:\\Program Files\\Quorvel\\a.exe"},
  };
  PlaceholderFolders folders = Folders();
  for (const Case& c : cases)
    EXPECT_EQ(ResolveDestination(SplitEntry(c.entry), folders), c.path) << c.entry;

  FileEntry e = SplitEntry("http://z/get?file=quorvel.exe");
  EXPECT_EQ(e.Url, "http://z/get?file");
  EXPECT_TRUE(e.HasDestination);
  EXPECT_FALSE(SplitEntry("http://z/a").HasDestination);
}

TEST(UpdateInfo, FolderNamesAreNotReadAsPlaceholders) {
  PlaceholderFolders folders = MakePlaceholderFolders("C:\\%temp%\\", "", "", "", "", "C:\\windows",
                                                      "C:\\windows\\system32", "", false);
  EXPECT_EQ(ReplacePlaceholders("%current%x", folders), "C:\\%temp%\\x");
  // No temporary folder: the program folder stands in; no user folder: nothing.
  EXPECT_EQ(folders.Temp, "C:\\%temp%\\");
  EXPECT_EQ(ResolveDestination(SplitEntry("u=%desktop%x.lnk"), folders), "C:\\%temp%\\x.lnk");
}

TEST(UpdateInfo, FolderLevels) {
  using V = std::vector<std::string>;
  EXPECT_EQ(FolderLevels("C:\\a\\b\\f.txt"), (V{"C:\\a", "C:\\a\\b"}));
  EXPECT_EQ(FolderLevels("C:\\f.txt"), V{});
  EXPECT_EQ(FolderLevels("C:\\a\\\\b\\f"), (V{"C:\\a", "C:\\a\\\\b"}));
  EXPECT_EQ(FolderLevels(""), V{});
}

TEST(UpdateInfo, TotalPercents) {
  struct Case {
    int index, count, percents, total;
  } cases[] = {
      {0, 3, 0, 0},   {0, 3, 100, 33},  {1, 3, 0, 33},
      {1, 3, 50, 49}, {2, 3, 100, 100}, {1, 8, 0, 12},  // 12.5 rounds to even
      {3, 8, 0, 38},                                    // 37.5 rounds to even
      {0, 1, 77, 77}, {0, 0, 50, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TotalPercentsDone(c.index, c.count, c.percents), c.total)
        << c.index << "/" << c.count << " " << c.percents;
}

TEST(UpdateInfo, QueueAndHelperCommandLine) {
  EXPECT_EQ(QueueText({"C:\\a\\b.dll", "D:\\x"}), "C:\\a\\b.dll\r\nD:\\x\r\n");
  EXPECT_EQ(QueueText({}), "");
  EXPECT_EQ(HelperCommandLine("C:\\Users\\User Name\\Temp\\ZrvUpdHelper.exe",
                              "C:\\Program Files\\Quorvel\\quorvel.exe", "/afterupdate", 0),
            "\"C:\\Users\\User Name\\Temp\\ZrvUpdHelper.exe\" "
            "C:\\Program Files\\Quorvel\\quorvel.exe +/afterupdate0");
  EXPECT_EQ(HelperCommandLine("C:\\T\\h.exe", "C:\\q.exe", "/afterupdate", 1),
            "\"C:\\T\\h.exe\" C:\\q.exe +/afterupdate1");
}

}  // namespace
}  // namespace quorvel::update

namespace quorvel::update {
namespace {

TEST(UpdateInfo, HostNames) {
  EXPECT_EQ(UrlHostName("https://update.zarvent-benchmarks.net/benchmarks/hl2/zrv_quorvel.inf"),
            "update.zarvent-benchmarks.net");
  EXPECT_EQ(UrlHostName("http://user:pw@host:8080/x"), "host");
  EXPECT_EQ(UrlHostName("host/x?y"), "host");
  EXPECT_EQ(UrlHostName(""), "");
}

TEST(UpdateInfo, BrowserCommands) {
  struct Case {
    const char* command;
    const char* program;
    const char* arguments;
  } cases[] = {
      {"\"C:\\Program Files\\Browser\\b.exe\" -url \"%1\"", "C:\\Program Files\\Browser\\b.exe",
       "-url \"%1\""},
      {"C:\\Progra~1\\IE\\iexplore.exe -nohome", "C:\\Progra~1\\IE\\iexplore.exe", "-nohome"},
      {"C:\\b.exe /dde", "C:\\b.exe", "/dde"},
      {"C:\\b.exe %1", "C:\\b.exe", "%1"},
      {"rundll32.exe url.dll,FileProtocolHandler %1", "rundll32.exe url.dll",
       "FileProtocolHandler %1"},
      {"winebrowser", "winebrowser", ""},
      {"\"unterminated", "unterminated", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    BrowserCommand b = SplitBrowserCommand(c.command);
    EXPECT_EQ(b.Program, c.program) << c.command;
    EXPECT_EQ(b.Arguments, c.arguments) << c.command;
  }
}

}  // namespace
}  // namespace quorvel::update
