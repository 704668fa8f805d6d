#include "app/steam_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/fixture.h"

namespace quorvel::library {
namespace {

std::string Fixture(const std::string& name) { return testing::Fixture("steam/" + name); }

using Folders = std::vector<std::string>;

TEST(LibraryFolders, BothFormsOfTheList) {
  EXPECT_EQ(LibraryFolders(Fixture("libraryfolders_current.vdf")),
            (Folders{"C:\\Program Files (x86)\\Steam\\", "D:\\SteamLibrary\\"}));
  EXPECT_EQ(LibraryFolders(Fixture("libraryfolders_old.vdf")),
            (Folders{"D:\\SteamLibrary\\", "E:\\Games\\Steam Library\\"}));
}

TEST(LibraryFolders, OnlyLocalAbsolutePathsThatStayWhereTheyPoint) {
  struct Case {
    const char* path;
    const char* folder;  // "" when refused
  } cases[] = {
      {"D:\\\\Games\\\\Steam", "D:\\Games\\Steam\\"},
      {"d:/games//steam/", "d:\\games\\steam\\"},
      {"E:\\\\", "E:\\"},
      {"D:\\\\Games\\\\..\\\\Windows", ""},
      {"D:\\\\.\\\\Steam", ""},
      {"D:\\\\Steam\\\\..", ""},
      {"..\\\\Steam", ""},
      {"Steam", ""},
      {"\\\\\\\\server\\\\share", ""},
      {"\\\\Steam", ""},
      {"D:Steam", ""},
      {"1:\\\\Steam", ""},
      {"D:\\\\St*am", ""},
      {"D:\\\\Steam\\nLibrary", ""},
      {"D:\\\\Steam \\\\x", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const std::string text =
        std::string("\"libraryfolders\" { \"1\" { \"path\" \"") + c.path + "\" } }";
    Folders expected;
    if (*c.folder) expected.push_back(c.folder);
    EXPECT_EQ(LibraryFolders(text), expected) << c.path;
  }
}

TEST(LibraryFolders, OtherEntriesAndRepeatsAndBadTextsGiveNoLibrary) {
  EXPECT_EQ(LibraryFolders("\"libraryfolders\" { \"contentstatsid\" \"C:\\\\x\" "
                           "\"1\" \"D:\\\\Lib\" \"2\" { \"label\" \"x\" } \"3\" \"d:\\\\lib\\\\\" "
                           "\"x1\" \"F:\\\\Other\" }"),
            (Folders{"D:\\Lib\\"}));
  const std::string longPath = "D:\\\\" + std::string(300, 'a');
  for (const std::string& text : {std::string(""), std::string("\"libraryfolders\" \"D:\\\\Lib\""),
                                  std::string("\"other\" { \"1\" \"D:\\\\Lib\" }"),
                                  std::string("\"libraryfolders\" { \"1\" \"D:\\\\Lib\" "),
                                  std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                                  "\"libraryfolders\" { \"1\" \"" + longPath + "\" }"})
    EXPECT_EQ(LibraryFolders(text), Folders{}) << text;
}

TEST(ManifestInstallDir, OnePlainFolderNameOnly) {
  EXPECT_EQ(ManifestInstallDir(Fixture("appmanifest_220.acf")), "Half-Life 2");
  struct Case {
    const char* dir;
    bool taken;
  } cases[] = {
      {"Half-Life 2", true}, {"", false},       {".", false},   {"..", false},
      {"..\\\\..", false},   {"a\\\\b", false}, {"a/b", false}, {"C:", false},
      {"hl2.", false},       {"hl2 ", false},   {"a?b", false}, {"a\\tb", false},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("\"AppState\" { \"installdir\" \"") + c.dir + "\" }";
    EXPECT_EQ(ManifestInstallDir(text).has_value(), c.taken) << c.dir;
  }
  EXPECT_FALSE(ManifestInstallDir("\"AppState\" { \"name\" \"Half-Life 2\" }"));
  EXPECT_FALSE(ManifestInstallDir("\"AppState\" { \"installdir\" { } }"));
  EXPECT_FALSE(ManifestInstallDir("\"installdir\" \"Half-Life 2\""));
  EXPECT_FALSE(ManifestInstallDir("\"AppState\" { \"installdir\" \"Half-Life 2\""));
}

TEST(InstalledGameFolder, BelowTheLibrarysCommonFolderWithinTheLongestPath) {
  EXPECT_EQ(InstalledGameFolder("D:\\SteamLibrary\\", "Half-Life 2", "hl2.exe"),
            "D:\\SteamLibrary\\steamapps\\common\\Half-Life 2\\");
  EXPECT_EQ(ManifestPath("D:\\SteamLibrary\\", "220"),
            "D:\\SteamLibrary\\steamapps\\appmanifest_220.acf");
  const std::string library = "D:\\" + std::string(200, 'a') + "\\";
  const std::string fits(kMaxPath - library.size() - 17 - 1 - 7, 'b');  // common\, "\", hl2.exe
  EXPECT_NE(InstalledGameFolder(library, fits.substr(0, fits.size() - 10), "hl2.exe"), "");
  EXPECT_EQ(InstalledGameFolder(library, fits + "bbbb", "hl2.exe"), "");
}

}  // namespace
}  // namespace quorvel::library
