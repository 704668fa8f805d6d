#include "app/game_discovery_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "app/app_test_support_win.h"
#include "platform/handles_win.h"
#include "platform/registry_win.h"
#include "platform/win.h"
// After win.h, which it needs.
#include <sddl.h>
#include "settings/game_paths.h"

namespace quorvel {
namespace {

using testing::BesideTests;
using testing::Tree;

// Steam's key is recreated by each test and removed afterwards.
class SteamKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
  RegKey CreateKey() {
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    return RegKey(key);
  }
  static constexpr const char* kKey = "Software\\Valve\\Steam";
};

TEST_F(SteamKeyTest, MissingKeyOrValueGivesNoSteamFolder) {
  EXPECT_FALSE(SteamKeyExists());
  EXPECT_EQ(ReadSteamFolder(), "");
  RegKey key = CreateKey();
  EXPECT_TRUE(SteamKeyExists());
  EXPECT_EQ(ReadSteamFolder(), "");
}

TEST_F(SteamKeyTest, SteamExeOfEveryTypeAndLength) {
  const std::string longFolder = "c:/" + std::string(40000, 'p') + "/";
  struct Case {
    const char* what;
    DWORD type;
    std::string data;
    std::string folder;
  } cases[] = {
      {"usual", REG_SZ, std::string("c:/program files/steam/steam.exe\0", 33),
       "c:\\program files\\steam\\"},
      {"other name", REG_SZ, std::string("D:/Steam/Steam2.exe\0", 20), "D:\\Steam\\S"},
      {"expandable", REG_EXPAND_SZ, std::string("e:/steam/steam.exe\0", 19), "e:\\steam\\"},
      {"unterminated", REG_SZ, "f:/s/steam.exe", "f:\\s\\"},
      {"empty", REG_SZ, std::string("\0", 1), ""},
      {"short", REG_SZ, std::string("ab\0", 3), ""},
      {"long", REG_SZ, longFolder + "steam.exe" + '\0', "c:\\" + std::string(40000, 'p') + "\\"},
      // Values that are not text name no program: no Steam folder, and no error either.
      {"number", REG_DWORD, std::string("\x01\x02\x03\x04", 4), ""},
      {"binary", REG_BINARY, "c:/program files/steam/steam.exe", ""},
      {"list", REG_MULTI_SZ, std::string("c:/steam/steam.exe\0\0", 20), ""},
      {"nothing", REG_NONE, "", ""},
  };
  RegKey key = CreateKey();
  for (const Case& c : cases) {
    ASSERT_EQ(::RegSetValueExA(key.Get(), "SteamExe", 0, c.type,
                               reinterpret_cast<const BYTE*>(c.data.data()),
                               static_cast<DWORD>(c.data.size())),
              ERROR_SUCCESS)
        << c.what;
    EXPECT_EQ(ReadSteamFolder(), c.folder) << c.what;
  }
}

// The account folder found for a tree; "" when none. A search that does not end within
// two minutes is a hang: it is reported and the test program ends, since the search cannot
// be stopped.
std::string FoundIn(const std::string& steamFolder) {
  std::packaged_task<std::string()> task([&] { return FindAccountFolder(steamFolder); });
  std::future<std::string> result = task.get_future();
  std::thread worker(std::move(task));
  if (result.wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
    ADD_FAILURE() << "the search of " << steamFolder << " does not end";
    std::_Exit(1);
  }
  worker.join();
  return result.get();
}

std::string Found(const Tree& tree, const std::string& steam = "Steam\\") {
  return FoundIn(tree.Root() + steam);
}

// The one of `names` that `listed` holds last.
std::string LastListed(const std::vector<std::string>& listed,
                       const std::vector<std::string>& names) {
  std::string last;
  for (const std::string& name : listed)
    if (std::find(names.begin(), names.end(), name) != names.end()) last = name;
  return last;
}

TEST(FindAccountFolder, TwoAccountsTheOneVisitedLastWins) {
  Tree tree("two_accounts");
  tree.File("Steam\\SteamApps\\alice\\half-life 2\\hl2.exe");
  tree.File("Steam\\SteamApps\\bob\\half-life 2\\hl2.exe");
  tree.File("Steam\\SteamApps\\bob\\half-life 2\\hl2\\cfg\\config.cfg");
  tree.File("Steam\\steam.exe");
  std::vector<std::string> accounts = tree.Listed("Steam\\SteamApps");
  ASSERT_EQ(accounts.size(), 2u);
  EXPECT_EQ(Found(tree), tree.Root() + "Steam\\SteamApps\\" + accounts.back() + "\\");
}

TEST(FindAccountFolder, LostCoastAloneStillGivesTheAccount) {
  Tree tree("lostcoast_only");
  tree.File("Steam\\SteamApps\\player\\half-life 2 lostcoast\\hl2.exe");
  tree.Folder("Steam\\SteamApps\\player\\half-life 2 lostcoast\\lostcoast\\cfg");
  const std::string account = tree.Root() + "Steam\\SteamApps\\player\\";
  ASSERT_EQ(Found(tree), account);
  GamePaths paths = DeriveGamePaths("", tree.Root() + "Steam\\", Found(tree), "");
  EXPECT_EQ(paths.Hl2CfgFolder, account + "half-life 2\\hl2\\cfg\\");
  EXPECT_EQ(paths.LostCoastCfgFolder, account + "half-life 2 lostcoast\\lostcoast\\cfg\\");
}

TEST(FindAccountFolder, NamesMatchWithoutRegardToCaseAndOnlyWhole) {
  struct Case {
    const char* file;
    bool found;
  } cases[] = {
      {"hl2.exe", true},      {"HL2.EXE", true},     {"Hl2.eXe", true},
      {"hl2.exe.bak", false}, {"xhl2.exe", false},   {"hl2.ex", false},
      {"hl2exe", false},      {"hl2.exe\\x", false},  // a folder named hl2.exe is not the game
  };
  for (const Case& c : cases) {
    Tree tree("names");
    tree.File(std::string("Steam\\SteamApps\\player\\half-life 2\\") + c.file);
    EXPECT_EQ(Found(tree), c.found ? tree.Root() + "Steam\\SteamApps\\player\\" : "") << c.file;
  }
}

TEST(FindAccountFolder, HiddenSystemAndReadOnlyEntriesAreSearched) {
  Tree tree("attributes");
  tree.File("Steam\\SteamApps\\player\\half-life 2\\hl2.exe");
  const std::string account = tree.Root() + "Steam\\SteamApps\\player\\";
  const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
  ASSERT_TRUE(::SetFileAttributesA((account + "half-life 2\\hl2.exe").c_str(), hidden));
  ASSERT_TRUE(::SetFileAttributesA((account + "half-life 2").c_str(), hidden));
  ASSERT_TRUE(::SetFileAttributesA(account.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(Found(tree), account);
  ::SetFileAttributesA((account + "half-life 2\\hl2.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FindAccountFolder, FilesBeforeSubfoldersAndDepthFirst) {
  // A folder's own hl2.exe comes before those of its subfolders.
  {
    Tree tree("files_first");
    tree.File("Steam\\a\\half-life 2\\hl2.exe");
    tree.File("Steam\\a\\half-life 2\\sub\\inner\\hl2.exe");
    EXPECT_EQ(Found(tree), tree.Root() + "Steam\\a\\half-life 2\\sub\\");
  }
  // A subfolder is searched to its end before its next sibling: the deep match under the
  // folder listed first comes before the shallow one under the folder listed second.
  {
    Tree tree("depth_first");
    tree.Folder("Steam\\one");
    tree.Folder("Steam\\two");
    std::vector<std::string> listed = tree.Listed("Steam");
    ASSERT_EQ(listed.size(), 2u);
    tree.File("Steam\\" + listed[0] + "\\x\\y\\z\\hl2.exe");
    tree.File("Steam\\" + listed[1] + "\\hl2.exe");
    EXPECT_EQ(Found(tree), tree.Root() + "Steam\\");
  }
}

TEST(FindAccountFolder, NothingToFind) {
  Tree tree("nothing");
  tree.File("Steam\\steam.exe");
  tree.File("Steam\\SteamApps\\player\\half-life 2\\hl2\\gameinfo.txt");
  tree.File("Elsewhere\\player\\half-life 2\\hl2.exe");
  tree.File("Steam.txt");
  struct Case {
    const char* what;
    std::string steamFolder;
  } cases[] = {
      {"no game in the Steam folder", tree.Root() + "Steam\\"},
      {"no Steam folder", ""},
      {"Steam folder missing", tree.Root() + "Gone\\"},
      {"Steam folder is a file", tree.Root() + "Steam.txt\\"},
      {"Steam folder far too long", tree.Root() + std::string(70000, 'x') + "\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(FindAccountFolder(c.steamFolder), "") << c.what;
}

TEST(FindAccountFolder, SteamFolderWithoutBackslashIsAFolderOfItsOwn) {
  // "D:/Steam/Steam2.exe" leaves "D:\Steam\S": the folder S, not the names starting with S.
  Tree tree("short_name");
  tree.File("Steam\\SteamApps\\player\\half-life 2\\hl2.exe");
  EXPECT_EQ(FindAccountFolder(tree.Root() + "Steam\\S"), "");
  tree.File("Steam\\S\\player\\half-life 2\\hl2.exe");
  EXPECT_EQ(FindAccountFolder(tree.Root() + "Steam\\S"), tree.Root() + "Steam\\S\\player\\");
}

TEST(FindAccountFolder, LinkLoopsEndAndLinksOutAreFollowedOnce) {
  Tree tree("loops");
  tree.File("Steam\\SteamApps\\player\\half-life 2\\hl2.exe");
  // Under Wine these show up as folders; a walk that follows them blindly never ends.
  tree.Link("Steam\\SteamApps\\player\\up", "..");
  tree.Link("Steam\\SteamApps\\player\\half-life 2\\top", tree.Unix("Steam"));
  tree.Link("Steam\\SteamApps\\again", "../SteamApps");
  tree.Link("Steam\\SteamApps\\self", ".");
  EXPECT_EQ(Found(tree), tree.Root() + "Steam\\SteamApps\\player\\");
  // A library moved elsewhere and linked in twice is searched once, through the link
  // listed first; its link back into the Steam folder is not followed.
  tree.File("Library\\moved\\half-life 2\\hl2.exe");
  tree.Link("Library\\moved\\back", tree.Unix("Steam"));
  tree.Link("Steam\\zlibrary", tree.Unix("Library"));
  tree.Link("Steam\\zsecond", tree.Unix("Library"));
  const std::vector<std::string> listed = tree.Listed("Steam");
  std::string followed;
  for (const std::string& name : listed)
    if (followed.empty() && (name == "zlibrary" || name == "zsecond")) followed = name;
  const std::string last = LastListed(listed, {"SteamApps", followed});
  EXPECT_EQ(Found(tree), last == "SteamApps" ? tree.Root() + "Steam\\SteamApps\\player\\"
                                             : tree.Root() + "Steam\\" + followed + "\\moved\\");
}

TEST(FindAccountFolder, ManyLinksBackDoNotMultiplyTheWalk) {
  // Every folder of a chain links back to the Steam folder twice: followed blindly this is
  // 2^depth walks of the tree.
  Tree tree("fan_out");
  std::string chain = "Steam";
  for (int i = 0; i < 12; ++i) {
    chain += "\\d" + std::to_string(i);
    tree.Folder(chain);
    tree.Link(chain + "\\l1", tree.Unix("Steam"));
    tree.Link(chain + "\\l2", tree.Unix("Steam"));
  }
  tree.File(chain + "\\half-life 2\\hl2.exe");
  EXPECT_EQ(Found(tree), tree.Root() + chain + "\\");
}

TEST(FindAccountFolder, FoldersBeyondTheLongestPathAreNotReached) {
  Tree tree("deep");
  // The tree is reached through a drive of its own, so the paths have the same length in
  // every checkout: the shallow account well within MAX_PATH, the deep one beyond it.
  testing::DriveLink drive('P', tree.Unix(""));
  ASSERT_EQ(drive.Root(), "P:\\");
  // 300+ characters of folders, made on the Unix side: Win32's "A" calls cannot.
  std::string deep = "Steam";
  std::string shallowAccount;
  for (int i = 0; i < 30; ++i) {
    deep += "\\level" + std::to_string(1000 + i);
    if (i == 5) shallowAccount = deep;
  }
  testing::RunUnix({"/bin/mkdir", "-p", tree.Unix(deep + "\\half-life 2")});
  testing::RunUnix({"/bin/touch", tree.Unix(deep + "\\half-life 2\\hl2.exe")});
  testing::RunUnix({"/bin/mkdir", "-p", tree.Unix(shallowAccount + "\\half-life 2")});
  testing::RunUnix({"/bin/touch", tree.Unix(shallowAccount + "\\half-life 2\\hl2.exe")});
  ASSERT_GT((drive.Root() + deep).size(), static_cast<size_t>(MAX_PATH));
  ASSERT_LT((drive.Root() + shallowAccount + "\\half-life 2\\hl2.exe").size(),
            static_cast<size_t>(MAX_PATH));
  EXPECT_EQ(FoundIn(drive.Root() + "Steam\\"), drive.Root() + shallowAccount + "\\");
}

TEST(FindAccountFolder, FoldersThatCannotBeListedAreSkipped) {
  Tree tree("unreadable");
  // A folder whose name has no single-byte form is listed with "?" in its name and cannot
  // be opened by that name; the search goes on behind it.
  const std::wstring root(tree.Root().begin(), tree.Root().end());
  ASSERT_TRUE(::CreateDirectoryW((root + L"Steam").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW((root + L"Steam\\\x65e5\x672c").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW((root + L"Steam\\\x65e5\x672c\\half-life 2").c_str(), nullptr));
  UniqueHandle game(::CreateFileW((root + L"Steam\\\x65e5\x672c\\half-life 2\\hl2.exe").c_str(),
                                  GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(game);
  game.Reset();
  EXPECT_EQ(Found(tree), "");
  tree.File("Steam\\zz\\player\\half-life 2\\hl2.exe");
  tree.File("Steam\\aa\\player\\half-life 2\\hl2.exe");
  const std::vector<std::string> listed = tree.Listed("Steam");
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(Found(tree), tree.Root() + "Steam\\" + LastListed(listed, {"zz", "aa"}) + "\\player\\");
}

// A Steam folder without "hl2.exe" and a library folder beside it, with Steam's files of
// every shape: only a well-formed list and manifest naming a game that is there find it, and
// nothing leads anywhere the files do not name.
TEST(LocateGame, LibraryFoldersOfAnyShape) {
  Tree tree("libraries");
  tree.Folder("Steam\\steamapps");
  const std::string steam = tree.Root() + "Steam\\";
  const std::string library = tree.Root() + "Library\\";
  tree.File("Library\\steamapps\\common\\Half-Life 2\\hl2.exe");
  // Where "..\..\.." from the common folder would lead.
  tree.File("hl2.exe");
  tree.File("Library\\outside\\hl2.exe");
  auto escaped = [](std::string path) {
    path.pop_back();
    std::string out;
    for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  };
  const std::string current = "\"libraryfolders\" { \"0\" { \"path\" \"" + escaped(steam) +
                              "\" } \"1\" { \"path\" \"" + escaped(library) +
                              "\" \"apps\" { \"220\" \"1\" } } }";
  const std::string older =
      "\"LibraryFolders\" { \"ContentStatsID\" \"1\" \"1\" \"" + escaped(library) + "\" }";
  const std::string manifest = "\"AppState\" { \"appid\" \"220\" \"installdir\" \"Half-Life 2\" }";
  const std::string found = library + "steamapps\\common\\";
  struct Case {
    const char* what;
    std::string list;
    std::string manifest;
    std::string account;
  } cases[] = {
      {"current form", current, manifest, found},
      {"older form", older, manifest, found},
      {"no list", "", manifest, ""},
      {"empty list", "\n", manifest, ""},
      {"binary list", std::string("\0\x01\xfe\xff{{\"}", 8), manifest, ""},
      {"unbalanced braces", current + " }", manifest, ""},
      {"unclosed section", current.substr(0, current.size() - 2), manifest, ""},
      {"huge list", current + std::string(1 << 21, '\n'), manifest, ""},
      {"library that does not exist",
       "\"libraryfolders\" { \"1\" \"" + escaped(tree.Root() + "Nowhere\\") + "\" }", manifest, ""},
      {"relative library", "\"libraryfolders\" { \"1\" \"..\\\\..\" }", manifest, ""},
      {"no manifest", current, "", ""},
      {"manifest without installdir", current, "\"AppState\" { \"appid\" \"220\" }", ""},
      {"installdir up and out", current, "\"AppState\" { \"installdir\" \"..\\\\..\\\\..\" }", ""},
      {"installdir beside common", current,
       "\"AppState\" { \"installdir\" \"..\\\\..\\\\outside\" }", ""},
      {"installdir of a missing game", current, "\"AppState\" { \"installdir\" \"Portal\" }", ""},
      {"binary manifest", current,
       std::string("\x7f"
                   "ELF\0\0{",
                   7),
       ""},
      {"huge manifest", current, manifest + std::string(1 << 21, ' '), ""},
  };
  const std::string listPath = steam + "steamapps\\libraryfolders.vdf";
  const std::string manifestPath = library + "steamapps\\appmanifest_220.acf";
  for (const Case& c : cases) {
    ::DeleteFileA(listPath.c_str());
    ::DeleteFileA(manifestPath.c_str());
    if (!c.list.empty()) ASSERT_TRUE(files::WriteAll(listPath, c.list));
    if (!c.manifest.empty()) ASSERT_TRUE(files::WriteAll(manifestPath, c.manifest));
    GameLocation location = LocateGame(steam);
    EXPECT_EQ(location.AccountFolder, c.account) << c.what;
    EXPECT_FALSE(location.LostCoastInsideHalfLife2) << c.what;
  }
}

TEST(LocateGame, LostCoastInsideHalfLife2OnlyWithoutAFolderOfItsOwn) {
  Tree tree("lost_coast");
  const std::string steam = tree.Root() + "Steam\\";
  tree.File("Steam\\steamapps\\common\\Half-Life 2\\hl2.exe");
  EXPECT_FALSE(LocateGame(steam).LostCoastInsideHalfLife2);
  tree.Folder("Steam\\steamapps\\common\\Half-Life 2\\lostcoast");
  GameLocation today = LocateGame(steam);
  EXPECT_EQ(today.AccountFolder, steam + "steamapps\\common\\");
  EXPECT_TRUE(today.LostCoastInsideHalfLife2);
  GamePaths paths = DeriveGamePaths("", steam, today.AccountFolder, "");
  UseLostCoastInsideHalfLife2(paths);
  EXPECT_EQ(paths.LostCoastCfgFolder, steam + "steamapps\\common\\half-life 2\\lostcoast\\cfg\\");
  EXPECT_EQ(paths.Hl2CfgFolder, steam + "steamapps\\common\\half-life 2\\hl2\\cfg\\");
  // A Lost Coast folder of the 2004-08 layout is used when it is there.
  tree.Folder("Steam\\steamapps\\common\\half-life 2 lostcoast\\lostcoast");
  EXPECT_FALSE(LocateGame(steam).LostCoastInsideHalfLife2);
}

// Steam's files as Steam writes them: the library list in the Steam folder and one app
// manifest per installed game in its library.
class SteamRecords {
 public:
  explicit SteamRecords(const Tree& tree) : tree_(tree) {}
  std::string Folder(const std::string& relative) const { return tree_.Root() + relative + "\\"; }
  // "libraryfolders.vdf" of today naming the Steam folder and `libraries` (relative).
  void List(const std::vector<std::string>& libraries) const {
    std::string text = "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                       Escaped(Folder("Steam")) + "\"\n\t}\n";
    int number = 1;
    for (const std::string& library : libraries)
      text += "\t\"" + std::to_string(number++) + "\"\n\t{\n\t\t\"path\"\t\t\"" +
              Escaped(Folder(library)) + "\"\n\t}\n";
    tree_.Folder("Steam\\steamapps");
    ASSERT_TRUE(files::WriteAll(Folder("Steam") + "steamapps\\libraryfolders.vdf", text + "}\n"));
  }
  // A game of application `app` installed in `library` as "steamapps\common\<dir>\<program>".
  void Game(const std::string& library, const std::string& app, const std::string& dir,
            const std::string& program = "hl2.exe") const {
    tree_.File(library + "\\steamapps\\common\\" + dir + "\\" + program);
    Manifest(library, app, dir);
  }
  void Manifest(const std::string& library, const std::string& app, const std::string& dir) const {
    tree_.Folder(library + "\\steamapps");
    ASSERT_TRUE(files::WriteAll(Folder(library) + "steamapps\\appmanifest_" + app + ".acf",
                                "\"AppState\"\n{\n\t\"appid\"\t\t\"" + app +
                                    "\"\n\t\"installdir\"\t\t\"" + dir + "\"\n}\n"));
  }

 private:
  static std::string Escaped(std::string folder) {
    folder.pop_back();
    std::string out;
    for (char c : folder) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  }
  const Tree& tree_;
};

// Other Source games bring their own "hl2.exe" into the Steam folder, visited last by the
// search; Half-Life 2 lies in another library: Steam's records find it there.
TEST(LocateGame, SteamsRecordsDecideWhateverOtherHl2ExeFilesLieAround) {
  Tree tree("other_source_games");
  SteamRecords steam(tree);
  tree.File("Steam\\steam.exe");
  steam.Game("Steam", "400", "Portal");
  steam.Game("Steam", "320", "Half-Life 2 Deathmatch");
  steam.Game("Steam", "240", "Counter-Strike Source");
  steam.Game("Library", "243730", "Source SDK Base 2013 Singleplayer");
  steam.Game("Library", "220", "Half-Life 2");
  tree.Folder("Library\\steamapps\\common\\Half-Life 2\\hl2\\cfg");
  tree.Folder("Library\\steamapps\\common\\Half-Life 2\\lostcoast\\cfg");
  steam.List({"Library"});
  // The search alone takes one of the other games.
  ASSERT_EQ(Found(tree), steam.Folder("Steam") + "steamapps\\common\\");

  const std::string common = steam.Folder("Library") + "steamapps\\common\\";
  GameLocation game = LocateGame(steam.Folder("Steam"));
  EXPECT_EQ(game.AccountFolder, common);
  EXPECT_EQ(game.Hl2GameFolder, common + "Half-Life 2\\hl2\\");
  EXPECT_EQ(game.LostCoastGameFolder, common + "Half-Life 2\\lostcoast\\");
  GamePaths paths = DeriveGamePaths("", steam.Folder("Steam"), game.AccountFolder, "");
  UseRecordedGameFolders(paths, game.Hl2GameFolder, game.LostCoastGameFolder);
  EXPECT_EQ(paths.Hl2CfgFolder, common + "Half-Life 2\\hl2\\cfg\\");
  EXPECT_EQ(paths.LostCoastCfgFolder, common + "Half-Life 2\\lostcoast\\cfg\\");
  EXPECT_TRUE(files::DirectoryExists(paths.Hl2CfgFolder));
  EXPECT_TRUE(files::DirectoryExists(paths.LostCoastCfgFolder));
}

// Several libraries, each holding some of the games: the manifests say which is which.
TEST(LocateGame, SeveralLibrariesEachHoldingSomeOfTheGames) {
  struct Case {
    const char* what;
    // Lays the games out with `steam`.
    void (*layOut)(const SteamRecords& steam);
    const char* account;    // relative, "" when not found
    const char* hl2;        // relative game folder, "" when derived
    const char* lostCoast;  // relative game folder, "" when derived
  } cases[] = {
      {"Half-Life 2 in the Steam folder, other games in the libraries",
       [](const SteamRecords& s) {
         s.Game("Steam", "220", "Half-Life 2");
         s.Game("One", "400", "Portal");
         s.Game("Two", "240", "Counter-Strike Source");
         s.List({"One", "Two"});
       },
       "Steam\\steamapps\\common", "Steam\\steamapps\\common\\Half-Life 2\\hl2", ""},
      {"Lost Coast of its own in another library than Half-Life 2",
       [](const SteamRecords& s) {
         s.Game("One", "220", "Half-Life 2");
         s.Game("Two", "340", "Half-Life 2 Lost Coast");
         s.Game("Two", "400", "Portal");
         s.Game("Two", "340", "Half-Life 2 Lost Coast", "lostcoast\\gameinfo.txt");
         s.List({"One", "Two"});
       },
       "One\\steamapps\\common", "One\\steamapps\\common\\Half-Life 2\\hl2",
       "Two\\steamapps\\common\\Half-Life 2 Lost Coast\\lostcoast"},
      {"a stale manifest of a removed library copy, the game in the next library",
       [](const SteamRecords& s) {
         s.Manifest("One", "220", "Half-Life 2");
         s.Game("One", "400", "Portal");
         s.Game("Two", "220", "Half-Life 2");
         s.List({"One", "Two"});
       },
       "Two\\steamapps\\common", "Two\\steamapps\\common\\Half-Life 2\\hl2", ""},
      {"today's 64-bit game alone",
       [](const SteamRecords& s) {
         s.Game("One", "220", "Half-Life 2", "hl2_win64.exe");
         s.List({"One"});
       },
       "One\\steamapps\\common", "One\\steamapps\\common\\Half-Life 2\\hl2", ""},
      {"another install folder name",
       [](const SteamRecords& s) {
         s.Game("One", "220", "HL2");
         s.List({"One"});
       },
       "One\\steamapps\\common", "One\\steamapps\\common\\HL2\\hl2", ""},
      {"no library names Half-Life 2: not installed, the other games do not count",
       [](const SteamRecords& s) {
         s.Game("Steam", "400", "Portal");
         s.Game("One", "320", "Half-Life 2 Deathmatch");
         s.List({"One"});
       },
       "", "", ""},
      {"a manifest naming a folder without the game: the search decides",
       [](const SteamRecords& s) {
         s.Manifest("One", "220", "Half-Life 2");
         s.Game("Steam", "400", "Portal");
         s.List({"One"});
       },
       "Steam\\steamapps\\common", "", ""},
      {"a list that is not one: the search decides",
       [](const SteamRecords& s) {
         s.Game("Steam", "400", "Portal");
         s.Game("One", "220", "Half-Life 2");
         ASSERT_TRUE(files::WriteAll(s.Folder("Steam") + "steamapps\\libraryfolders.vdf",
                                     "\"libraryfolders\" { \"1\" "));
       },
       "Steam\\steamapps\\common", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tree tree("several_libraries");
    SteamRecords steam(tree);
    tree.File("Steam\\steam.exe");
    c.layOut(steam);
    GameLocation game = LocateGame(steam.Folder("Steam"));
    EXPECT_EQ(game.AccountFolder, *c.account ? steam.Folder(c.account) : "");
    EXPECT_EQ(game.Hl2GameFolder, *c.hl2 ? steam.Folder(c.hl2) : "");
    EXPECT_EQ(game.LostCoastGameFolder, *c.lostCoast ? steam.Folder(c.lostCoast) : "");
  }
}

TEST(CurrentUserSid, IsTheTokenUserWithOrWithoutAThreadToken) {
  HANDLE raw = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw));
  UniqueHandle token(raw);
  char buffer[256];
  DWORD size = sizeof(buffer);
  ASSERT_TRUE(::GetTokenInformation(token.Get(), TokenUser, buffer, size, &size));
  char* expected = nullptr;
  ASSERT_TRUE(::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &expected));
  const std::string processSid = expected;
  ::LocalFree(expected);

  const std::string sid = CurrentUserSid();
  EXPECT_EQ(sid, processSid);
  EXPECT_EQ(sid.rfind("S-1-5-21-", 0), 0u) << sid;
  // The game's settings live below HKEY_USERS under this name.
  EXPECT_TRUE(reg::KeyExists(HKEY_USERS, sid + "\\Software"));

  ASSERT_TRUE(::ImpersonateSelf(SecurityImpersonation));
  HANDLE threadToken = nullptr;
  const bool hasThreadToken =
      ::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &threadToken);
  UniqueHandle owned(threadToken);
  const std::string impersonated = CurrentUserSid();
  ::RevertToSelf();
  EXPECT_TRUE(hasThreadToken);
  EXPECT_EQ(impersonated, processSid);
}

TEST(ReadFileVersion, TheVersionStringOfTheTranslationTablesLanguage) {
  Tree tree("versions");
  tree.File("notes.txt");
  ASSERT_TRUE(files::WriteAll(tree.Root() + "fake.exe", "MZ this is not a program"));
  struct Case {
    std::string path;
    const char* version;
  } cases[] = {
      {BesideTests("quorvel.exe"), "2.3.0.0"},
      // German table entry, English decoy block: the table decides.
      {BesideTests("guard_tool.exe"), "9.8.7.6"},
      {files::ProgramPath(), ""},  // no version resource
      {tree.Root() + "notes.txt", ""},
      {tree.Root() + "fake.exe", ""},
      {tree.Root() + "missing.exe", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadFileVersion(c.path), c.version) << c.path;
}

}  // namespace
}  // namespace quorvel
