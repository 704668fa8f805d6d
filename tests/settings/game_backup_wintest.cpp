#include "settings/game_backup_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bench/game_config.h"
#include "platform/errors.h"
#include "platform/registry_win.h"
#include "settings/game_tree_win.h"
#include "support/scripted_seams_win.h"

namespace quorvel {
namespace {

using steam::Game;
using testing::Expect;
using testing::FileBytes;
using testing::GameWorld;
using testing::MemoryStore;
using testing::PutFile;
using testing::Values;

// The games' values when the program starts, and what a series leaves in the keys.
constexpr Values kHl2Start = {4, 16, 0xFFFFFFFFu, 2, 1200, 1600};
constexpr Values kLostCoastStart = {0, 8, 1, 0, 900, 1440};
constexpr Values kSeriesValues = {8, 2, 1, 1, 480, 640};

const std::string kUserScript = "// my binds\r\nbind \"F5\" \"jpeg\"\r\nname \"Gordon \xE9\"\r\n";
const std::string kSeriesScript = "// Tovrel - Maximum details\r\n\r\nsv_cheats \"1\"\r\n";
const std::string kUserValveRc = "// user's valve.rc\r\nexec autoexec.cfg\r\n";
// The script a series really writes: a file with exactly these bytes is the program's own.
const std::string kOurScript = bench::AutoexecText();

std::string Fixture(const char* name) {
  auto bytes = files::ReadAll(std::string(QUORVEL_FIXTURES) + "/settings/" + name);
  EXPECT_TRUE(bytes) << name;
  return bytes.value_or("");
}

// The first `sections` sections of a gold backup file.
std::string GoldPrefix(const std::string& gold, int sections) {
  size_t end = 0;
  for (int line = 0; line < sections * 2; ++line) end = gold.find("\r\n", end) + 2;
  return gold.substr(0, end);
}

// Opens a file so that nobody else may read, write or move it, as a virus scanner or a
// running editor might.
UniqueHandle LockExclusively(const std::string& path) {
  UniqueHandle h(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(h) << path;
  return h;
}

// Scripted answers for the duration of a test.
class SeamsScope {
 public:
  explicit SeamsScope(std::vector<bool> answers) {
    seams.answers.assign(answers.begin(), answers.end());
    InstallSeams(&seams);
  }
  ~SeamsScope() { InstallSeams(nullptr); }
  testing::ScriptedSeams seams;
};

const char* GameName(Game game) { return game == Game::LostCoast ? "Lost Coast" : "Half-Life 2"; }
Game Other(Game game) { return game == Game::LostCoast ? Game::HalfLife2 : Game::LostCoast; }

TEST(BackupRegistry, FilesFromScratchMatchTheGoldFiles) {
  GameWorld world;
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  BackupRegistry(world.paths);
  EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), Fixture("hl2set.ini"));
  EXPECT_EQ(FileBytes(world.Backup(Game::LostCoast)), Fixture("hl2lcset.ini"));
}

TEST(BackupRegistry, GameWithoutAKeyKeepsItsFileAsItWas) {
  const std::string earlier = "[ScreenWidth]\r\nValue=1280\r\n";
  struct Case {
    const char* name;
    bool lostCoastKey;
    bool emptySid;
    std::optional<std::string> lostCoastFileBefore;
  };
  const Case cases[] = {
      {"no Lost Coast", false, false, std::nullopt},
      {"no Lost Coast, file from an earlier start", false, false, earlier},
      {"no user SID", true, true, earlier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    if (c.lostCoastKey) world.SetValues(Game::LostCoast, kLostCoastStart);
    if (c.lostCoastFileBefore) PutFile(world.Backup(Game::LostCoast), *c.lostCoastFileBefore);
    GamePaths paths = world.paths;
    if (c.emptySid) paths.UserSid.clear();
    EXPECT_NO_THROW(BackupRegistry(paths));
    EXPECT_EQ(FileBytes(world.Backup(Game::LostCoast)), c.lostCoastFileBefore);
    if (c.emptySid)
      EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), std::nullopt);
    else
      EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), Fixture("hl2set.ini"));
  }
}

TEST(BackupRegistry, ReplacesItsEntriesAndKeepsTheRestOfTheFile) {
  GameWorld world;
  world.SetValues(Game::HalfLife2, kHl2Start);
  PutFile(world.Backup(Game::HalfLife2),
          "[Notes]\r\nKeep=yes\r\n[ScreenWidth]\r\nValue=1\r\n[mat_antialias]\r\nValue=9\r\n");
  BackupRegistry(world.paths);
  std::string file = FileBytes(world.Backup(Game::HalfLife2)).value_or("");
  EXPECT_NE(file.find("[Notes]\r\nKeep=yes\r\n"), std::string::npos) << file;
  for (size_t i = 0; i < backup::kSavedValues.size(); ++i) {
    char text[32] = {};
    ::GetPrivateProfileStringA(backup::kSavedValues[i].Name, "Value", "", text, sizeof(text),
                               world.Backup(Game::HalfLife2).c_str());
    EXPECT_EQ(std::string(text), backup::EntryText(kHl2Start[i])) << backup::kSavedValues[i].Name;
  }
}

TEST(BackupRegistry, UnreadableValueStopsWithTheProgramsMessage) {
  struct Case {
    size_t index;
    DWORD type;  // REG_NONE: the value is deleted
    const char* message;
  };
  const Case cases[] = {
      {0, REG_BINARY, "Invalid data type for 'mat_antialias'"},
      {3, REG_SZ, "Invalid data type for 'mat_hdr_level'"},
      {4, REG_NONE, "Failed to get data for 'ScreenHeight'"},
      {5, REG_QWORD, "Invalid data type for 'ScreenWidth'"},
  };
  const std::string gold = Fixture("hl2set.ini");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    RegKey key = reg::Open(HKEY_USERS, world.paths.GameSettingsKey(Game::HalfLife2), KEY_WRITE);
    const char* name = backup::kSavedValues[c.index].Name;
    if (c.type == REG_NONE) {
      ::RegDeleteValueA(key.Get(), name);
    } else {
      const BYTE bytes[8] = {'2', 0, 0, 0, 0, 0, 0, 0};
      DWORD size = c.type == REG_QWORD ? 8 : c.type == REG_SZ ? 2 : 4;
      ::RegSetValueExA(key.Get(), name, 0, c.type, bytes, size);
    }
    try {
      BackupRegistry(world.paths);
      ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    std::optional<std::string> expected;
    if (c.index > 0) expected = GoldPrefix(gold, static_cast<int>(c.index));
    EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), expected);
    EXPECT_EQ(FileBytes(world.Backup(Game::LostCoast)), std::nullopt);
  }
}

TEST(RestoreRegistry, WritesBothKeysBackAndDeletesTheFiles) {
  GameWorld world;
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  BackupRegistry(world.paths);
  world.SetValues(Game::HalfLife2, kSeriesValues);
  world.SetValues(Game::LostCoast, kSeriesValues);
  RegKey key = reg::Open(HKEY_USERS, world.paths.GameSettingsKey(Game::HalfLife2), KEY_ALL_ACCESS);
  reg::WriteDword(key.Get(), "mat_picmip", 7);

  RestoreRegistry(world.paths);
  EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kHl2Start));
  EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kLostCoastStart));
  EXPECT_FALSE(files::FileExists(world.Backup(Game::HalfLife2)));
  EXPECT_FALSE(files::FileExists(world.Backup(Game::LostCoast)));
  // Values a run writes beside the six are not ours to put back.
  EXPECT_EQ(reg::ReadDword(key.Get(), "mat_picmip"), 7u);
}

// A backup cut short or damaged never puts defaults over the values the key holds; a value the
// key lacks gets its default. The key below holds four of the six values.
TEST(RestoreRegistry, EntriesThatAreNotNumbersNeverReplaceTheKeysValues) {
  std::string garbage;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 65536; ++i) {
    seed = seed * 1103515245u + 12345u;
    garbage += static_cast<char>(seed >> 24);
  }
  const std::string gold = Fixture("hl2set.ini");
  const std::string withoutWidth = GoldPrefix(gold, 5);
  struct Case {
    const char* name;
    std::string file;
    Values expected;
  };
  const Case cases[] = {
      {"section ScreenWidth missing", withoutWidth, {4, 16, 0xFFFFFFFFu, 2, 1200, 1024}},
      {"empty file", "", {8, 2, 1, 0, 480, 1024}},
      {"letters",
       "[mat_antialias]\r\nValue=abc\r\n[ScreenHeight]\r\nValue=12abc\r\n"
       "[ScreenWidth]\r\nValue=800\r\n[mat_trilinear]\r\nValue=\r\n",
       {8, 2, 1, 0, 480, 800}},
      {"negative numbers",
       "[mat_hdr_level]\r\nValue=-1\r\n[ScreenWidth]\r\nValue=-2147483648\r\n"
       "[ScreenHeight]\r\nValue=-2147483649\r\n[mat_forceaniso]\r\nValue=-16\r\n",
       {8, 0xFFFFFFF0u, 1, 0xFFFFFFFFu, 480, 0x80000000u}},
      {"huge entries",
       "[ScreenWidth]\r\nValue=" + std::string(300000, '9') +
           "\r\n[ScreenHeight]\r\nValue=" + std::string(200000, '0') + "600\r\n",
       {8, 2, 1, 0, 600, 1024}},
      {"binary", garbage, {8, 2, 1, 0, 480, 1024}},
      {"binary with NULs before a section",
       std::string("\0\0\xFF\x01\r\n", 6) + "[ScreenWidth]\r\nValue=1280\r\n",
       {8, 2, 1, 0, 480, 1280}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameWorld world;
    world.SetValues(Game::HalfLife2, kSeriesValues);
    {
      RegKey key =
          reg::Open(HKEY_USERS, world.paths.GameSettingsKey(Game::HalfLife2), KEY_SET_VALUE);
      ::RegDeleteValueA(key.Get(), "mat_hdr_level");
      ::RegDeleteValueA(key.Get(), "ScreenWidth");
    }
    PutFile(world.Backup(Game::HalfLife2), c.file);
    EXPECT_NO_THROW(RestoreRegistry(world.paths));
    EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(c.expected));
    EXPECT_FALSE(files::FileExists(world.Backup(Game::HalfLife2)));
  }
}

TEST(RestoreRegistry, FileWithoutAKeyIsDeletedAndKeyWithoutAFileKept) {
  GameWorld world;
  PutFile(world.Backup(Game::HalfLife2), Fixture("hl2set.ini"));
  world.SetValues(Game::LostCoast, kSeriesValues);
  RestoreRegistry(world.paths);
  EXPECT_FALSE(files::FileExists(world.Backup(Game::HalfLife2)));
  EXPECT_FALSE(world.KeyExists(Game::HalfLife2));
  EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kSeriesValues));
}

TEST(AutoexecScript, SeriesGivesTheUsersScriptBack) {
  struct Case {
    Game game;
    bool userScript;
    bool leftover;  // an "autoexec_old.cfg" from before
  };
  const Case cases[] = {
      {Game::HalfLife2, true, false}, {Game::HalfLife2, false, false},
      {Game::LostCoast, true, false}, {Game::LostCoast, false, false},
      {Game::LostCoast, false, true},
  };
  const std::string otherScript = "// the other game's own\r\n";
  const std::string stale = "// set aside long ago\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(GameName(c.game)) + (c.userScript ? ", user script" : "") +
                 (c.leftover ? ", left-over" : ""));
    GameWorld world;
    const std::string script = world.Cfg(c.game, steam::kAutoexec);
    const std::string saved = world.Cfg(c.game, steam::kAutoexecOld);
    if (c.userScript) PutFile(script, kUserScript);
    if (c.leftover) PutFile(saved, stale);
    PutFile(world.Cfg(Other(c.game), steam::kAutoexec), otherScript);

    AutoexecRestorePending state;
    ASSERT_TRUE(SetAsideAutoexec(state, world.paths, c.game, nullptr));
    EXPECT_TRUE(state.Pending);
    EXPECT_EQ(state.SeriesGame, c.game);
    EXPECT_FALSE(files::FileExists(script));
    if (c.userScript) EXPECT_EQ(FileBytes(saved), kUserScript);
    PutFile(script, kSeriesScript);

    RestoreAutoexec(state, world.paths, nullptr);
    EXPECT_FALSE(state.Pending);
    std::optional<std::string> expected;
    if (c.userScript)
      expected = kUserScript;
    else if (c.leftover)
      expected = stale;
    EXPECT_EQ(FileBytes(script), expected);
    EXPECT_FALSE(files::FileExists(saved));
    EXPECT_EQ(FileBytes(world.Cfg(Other(c.game), steam::kAutoexec)), otherScript);
  }
}

TEST(AutoexecScript, NothingIsTouchedWithoutAPendingSeries) {
  GameWorld world;
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    PutFile(world.Cfg(game, steam::kAutoexec), "mine");
    PutFile(world.Cfg(game, steam::kAutoexecOld), "old");
  }
  AutoexecRestorePending state;
  state.SeriesGame = Game::LostCoast;
  RestoreAutoexec(state, world.paths, nullptr);
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexec)), "mine");
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexecOld)), "old");
  }
}

TEST(AutoexecScript, ScriptThatCannotBeSetAsideStaysAndIsNeverRemoved) {
  GameWorld world;
  const std::string script = world.Cfg(Game::HalfLife2, steam::kAutoexec);
  PutFile(script, kUserScript);
  AutoexecRestorePending state;
  {
    UniqueHandle lock = LockExclusively(script);
    EXPECT_FALSE(SetAsideAutoexec(state, world.paths, Game::HalfLife2, nullptr));
  }
  EXPECT_FALSE(state.Pending);
  // The window's close later must not take the user's script for the series' one.
  RestoreAutoexec(state, world.paths, nullptr);
  EXPECT_EQ(FileBytes(script), kUserScript);
  EXPECT_FALSE(files::FileExists(world.Cfg(Game::HalfLife2, steam::kAutoexecOld)));
}

TEST(AutoexecScript, FailedMoveBackLeavesTheScriptForTheNextStart) {
  GameWorld world;
  const std::string script = world.Cfg(Game::LostCoast, steam::kAutoexec);
  const std::string saved = world.Cfg(Game::LostCoast, steam::kAutoexecOld);
  PutFile(script, kUserScript);
  AutoexecRestorePending state;
  ASSERT_TRUE(SetAsideAutoexec(state, world.paths, Game::LostCoast, nullptr));
  PutFile(script, kSeriesScript);
  {
    UniqueHandle lock = LockExclusively(saved);
    RestoreAutoexec(state, world.paths, nullptr);
  }
  EXPECT_FALSE(state.Pending);
  EXPECT_EQ(FileBytes(saved), kUserScript);

  SeamsScope seams({});
  MemoryStore store;
  store.values[backup::kNoErrorWarningValue] = "0";
  Recover(world.paths, store, store, nullptr, kOurScript, false);
  EXPECT_EQ(FileBytes(script), kUserScript);
  EXPECT_FALSE(files::FileExists(saved));
  EXPECT_EQ(store.values[backup::kNoErrorWarningValue], "1");
}

// The state a series leaves when the program dies in the middle of it: the user's script
// set aside, the series' script in its place, the series game's values changed, and in some
// cases the game's "valve.rc" changed with its saved copy beside it.
struct SeriesCrash {
  Game game;
  bool userScript;
  bool valveOld;
  std::vector<bool> answers;
  bool asked;
  std::optional<std::string> scriptAfter;  // the series game's "autoexec.cfg"
  const char* markerAfter;
};

void LeaveCrashedSeries(GameWorld& world, MemoryStore& store, const SeriesCrash& c) {
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  if (c.userScript) PutFile(world.Cfg(c.game, steam::kAutoexec), kUserScript);
  PutFile(world.Cfg(c.game, steam::kValveRc), kUserValveRc);
  ASSERT_EQ(SecureBackupForSeries(world.paths, store, store, c.game), std::nullopt);

  AutoexecRestorePending state;
  ASSERT_TRUE(SetAsideAutoexec(state, world.paths, c.game, nullptr));
  PutFile(world.Cfg(c.game, steam::kAutoexec), kSeriesScript);
  world.SetValues(c.game, kSeriesValues);
  if (c.valveOld) {
    PutFile(world.Cfg(c.game, steam::kValveRcOld), kUserValveRc);
    PutFile(world.Cfg(c.game, steam::kValveRc), "// changed by the game\r\n");
  }
}

TEST(Recover, CrashDuringASeries) {
  const SeriesCrash cases[] = {
      {Game::HalfLife2, true, false, {false}, true, kUserScript, "1"},
      {Game::HalfLife2, true, true, {false}, true, kUserScript, "1"},
      {Game::HalfLife2, false, false, {true}, true, std::nullopt, "0"},
      {Game::HalfLife2, false, true, {false}, true, kSeriesScript, "1"},
      {Game::LostCoast, true, true, {true}, false, kUserScript, "1"},
      {Game::LostCoast, true, false, {true}, false, kUserScript, "1"},
      {Game::LostCoast, false, false, {true}, false, kSeriesScript, "1"},
      {Game::LostCoast, false, true, {true}, false, kSeriesScript, "1"},
  };
  for (const SeriesCrash& c : cases) {
    SCOPED_TRACE(std::string(GameName(c.game)) + (c.userScript ? ", user script" : "") +
                 (c.valveOld ? ", valve_old.rc" : "") +
                 (c.answers.empty() ? ""
                  : c.answers[0]    ? ", yes"
                                    : ", no"));
    GameWorld world;
    MemoryStore store;
    store.values[backup::kNoErrorWarningValue] = "0";
    LeaveCrashedSeries(world, store, c);

    SeamsScope seams(c.answers);
    Recover(world.paths, store, store, nullptr, kOurScript, false);

    EXPECT_EQ(FileBytes(world.Cfg(c.game, steam::kAutoexec)), c.scriptAfter);
    EXPECT_EQ(FileBytes(world.Cfg(Other(c.game), steam::kAutoexec)), std::nullopt);
    for (Game game : {Game::HalfLife2, Game::LostCoast}) {
      EXPECT_FALSE(files::FileExists(world.Cfg(game, steam::kAutoexecOld)));
      EXPECT_FALSE(files::FileExists(world.Cfg(game, steam::kValveRcOld)));
      EXPECT_FALSE(files::FileExists(world.Backup(game)));
    }
    EXPECT_EQ(FileBytes(world.Cfg(c.game, steam::kValveRc)), kUserValveRc);
    EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kHl2Start));
    EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kLostCoastStart));
    EXPECT_EQ(store.values[backup::kNoErrorWarningValue], c.markerAfter);
    std::vector<std::string> expectedLog;
    if (c.asked)
      expectedLog.push_back(std::string("confirm: ") + backup::kLeftoverScriptQuestion +
                            (c.answers[0] ? " -> yes" : " -> no"));
    EXPECT_EQ(seams.seams.log, expectedLog);
  }
}

TEST(Recover, UsersScriptSurvivesTheNextSeries) {
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    SCOPED_TRACE(GameName(game));
    GameWorld world;
    MemoryStore store;
    LeaveCrashedSeries(world, store, {game, true, false, {}, false, std::nullopt, ""});
    SeamsScope seams({false});
    Recover(world.paths, store, store, nullptr, kOurScript, false);
    BackupRegistry(world.paths);

    AutoexecRestorePending state;
    ASSERT_TRUE(SetAsideAutoexec(state, world.paths, game, nullptr));
    PutFile(world.Cfg(game, steam::kAutoexec), kSeriesScript);
    RestoreAutoexec(state, world.paths, nullptr);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexec)), kUserScript);
    EXPECT_FALSE(files::FileExists(world.Cfg(game, steam::kAutoexecOld)));
  }
}

// Only a series changes the keys, and it marks that first: without the mark nothing is
// written back, whatever "NoErrorWarning" says (the user may have played since).
TEST(Recover, WithoutLeftoversOnlyAPendingRestoreWritesTheKeys) {
  struct Case {
    const char* noErrorWarning;
    const char* restorePending;
    std::vector<std::string> machineWrites;
    std::vector<std::string> accountWrites;
  };
  const Case cases[] = {
      {"0", "", {}, {}},
      {"", "0", {}, {}},
      {"1", "", {"NoErrorWarning=0", "SeriesUser="}, {"NoErrorWarning=0"}},
      {"0", "1", {}, {"RestorePending=0"}},
      {"1", "1", {"NoErrorWarning=0", "SeriesUser="}, {"RestorePending=0", "NoErrorWarning=0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("NoErrorWarning '") + c.noErrorWarning + "', RestorePending '" +
                 c.restorePending + "'");
    const bool restores = std::string(c.restorePending) == "1";
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    BackupRegistry(world.paths);
    world.SetValues(Game::HalfLife2, kSeriesValues);
    SeamsScope seams({true});
    MemoryStore machine, account;
    machine.values[backup::kNoErrorWarningValue] = c.noErrorWarning;
    account.values[backup::kRestorePendingValue] = c.restorePending;
    Recover(world.paths, machine, account, nullptr, kOurScript, false);
    EXPECT_EQ(machine.writes, c.machineWrites);
    EXPECT_EQ(account.writes, c.accountWrites);
    EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(restores ? kHl2Start : kSeriesValues));
    EXPECT_EQ(files::FileExists(world.Backup(Game::HalfLife2)), !restores);
    EXPECT_TRUE(seams.seams.log.empty());
  }
}

TEST(Recover, LockedSeriesScriptNeverCostsTheUsersScript) {
  GameWorld world;
  const std::string script = world.Cfg(Game::HalfLife2, steam::kAutoexec);
  const std::string saved = world.Cfg(Game::HalfLife2, steam::kAutoexecOld);
  MemoryStore store;
  LeaveCrashedSeries(world, store, {Game::HalfLife2, true, false, {}, false, std::nullopt, ""});
  {
    // The user answers Yes, but neither the move back nor the delete can happen.
    SeamsScope seams({true});
    UniqueHandle lock = LockExclusively(script);
    Recover(world.paths, store, store, nullptr, kOurScript, false);
    EXPECT_EQ(seams.seams.log.size(), 1u);
  }
  EXPECT_EQ(FileBytes(saved), kUserScript);
  EXPECT_EQ(FileBytes(script), kSeriesScript);

  // The next start finds the set-aside script again and puts it back.
  SeamsScope seams({false});
  Recover(world.paths, store, store, nullptr, kOurScript, false);
  EXPECT_EQ(FileBytes(script), kUserScript);
  EXPECT_FALSE(files::FileExists(saved));
  EXPECT_EQ(store.values[backup::kNoErrorWarningValue], "1");
}

// The state a start finds: what Recover and the backup make of it, as start-up runs them.
// `store` serves as the machine's and the account's key alike.
void StartUp(GameWorld& world, MemoryStore& store, bool gameRunning = false) {
  Recover(world.paths, store, store, nullptr, kOurScript, gameRunning);
  BackupAtStart(world.paths, store);
}

// A series, then starts that follow a system close (or a kill, or a log-off): no backup may
// take the series' values for the user's before the user's are back.
TEST(RestorePending, NoBackupTakesTheSeriesValuesForTheUsers) {
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    SCOPED_TRACE(GameName(game));
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    MemoryStore store;
    store.values[backup::kNoErrorWarningValue] = "0";
    StartUp(world, store);
    ASSERT_EQ(SecureBackupForSeries(world.paths, store, store, game), std::nullopt);
    EXPECT_EQ(store.values[backup::kRestorePendingValue], "1");
    // The series and its game change the values; the series ends cleanly, leaving no file.
    world.SetValues(game, kSeriesValues);
    store.values[backup::kNoErrorWarningValue] = "0";

    for (int start = 1; start <= 3; ++start) {
      SCOPED_TRACE("start " + std::to_string(start));
      SeamsScope seams({});
      StartUp(world, store);
      EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kHl2Start));
      EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kLostCoastStart));
      EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), Fixture("hl2set.ini"));
      EXPECT_EQ(FileBytes(world.Backup(Game::LostCoast)), Fixture("hl2lcset.ini"));
      EXPECT_EQ(store.values[backup::kRestorePendingValue], "0");
      EXPECT_TRUE(seams.seams.log.empty());
    }
  }
}

// The game of a killed series may still play when the program starts again; it stores its
// screen size when it quits, so the restore waits, and the copy stays untouched meanwhile.
TEST(RestorePending, ARunningGameDefersTheRestore) {
  GameWorld world;
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  MemoryStore store;
  StartUp(world, store);
  ASSERT_EQ(SecureBackupForSeries(world.paths, store, store, Game::HalfLife2), std::nullopt);
  world.SetValues(Game::HalfLife2, kSeriesValues);
  {
    SeamsScope seams({});
    StartUp(world, store, true);
    EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kSeriesValues));
    EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), Fixture("hl2set.ini"));
    EXPECT_EQ(store.values[backup::kRestorePendingValue], "1");
    // A series of this run keeps the copy as it is.
    EXPECT_EQ(SecureBackupForSeries(world.paths, store, store, Game::HalfLife2), std::nullopt);
    EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), Fixture("hl2set.ini"));
  }
  SeamsScope seams({});
  StartUp(world, store);
  EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kHl2Start));
  EXPECT_EQ(store.values[backup::kRestorePendingValue], "0");
}

TEST(RestorePending, ExitButtonPutsTheValuesBackAndClearsIt) {
  GameWorld world;
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  MemoryStore store;
  StartUp(world, store);
  ASSERT_EQ(SecureBackupForSeries(world.paths, store, store, Game::LostCoast), std::nullopt);
  world.SetValues(Game::LostCoast, kSeriesValues);
  RestoreGameSettings(world.paths, store);
  EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kLostCoastStart));
  EXPECT_FALSE(files::FileExists(world.Backup(Game::HalfLife2)));
  EXPECT_FALSE(files::FileExists(world.Backup(Game::LostCoast)));
  EXPECT_EQ(store.values[backup::kRestorePendingValue], "0");
}

// Whatever could cost the user their values or a script stops the series before the game is
// touched, with a message that says why and what to do.
TEST(SecureBackupForSeries, RefusesWhenTheUsersValuesOrScriptsAreNotSafe) {
  const std::string stale = "[ScreenWidth]\r\nValue=320\r\n";
  UniqueHandle lock;
  struct Case {
    const char* name;
    Game game;
    std::function<void(GameWorld&)> arrange;
    const char* messagePart;  // nullptr: the series may start
  };
  const Case cases[] = {
      {"Half-Life 2 backup held open by another program", Game::HalfLife2,
       [&](GameWorld& w) {
         PutFile(w.Backup(Game::HalfLife2), stale);
         lock = LockExclusively(w.Backup(Game::HalfLife2));
       },
       "could not be saved to "},
      {"Lost Coast backup held open, Half-Life 2 series", Game::HalfLife2,
       [&](GameWorld& w) {
         PutFile(w.Backup(Game::LostCoast), stale);
         lock = LockExclusively(w.Backup(Game::LostCoast));
       },
       "could not be saved to "},
      {"Half-Life 2 backup cannot be created", Game::HalfLife2,
       [&](GameWorld& w) { files::ForceDirectories(w.Backup(Game::HalfLife2)); },
       "could not be saved to "},
      {"a value missing from the key", Game::LostCoast,
       [](GameWorld& w) {
         RegKey key =
             reg::Open(HKEY_USERS, w.paths.GameSettingsKey(Game::LostCoast), KEY_SET_VALUE);
         ::RegDeleteValueA(key.Get(), "ScreenWidth");
       },
       "Failed to get data for 'ScreenWidth'"},
      {"a script set aside earlier beside the user's", Game::LostCoast,
       [](GameWorld& w) {
         PutFile(w.Cfg(Game::LostCoast, steam::kAutoexec), kUserScript);
         PutFile(w.Cfg(Game::LostCoast, steam::kAutoexecOld), "// older script\r\n");
       },
       "holds both autoexec.cfg and autoexec_old.cfg"},
      {"everything in order", Game::HalfLife2, [](GameWorld&) {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    c.arrange(world);
    MemoryStore store;
    std::optional<std::string> refusal = SecureBackupForSeries(world.paths, store, store, c.game);
    if (c.messagePart) {
      ASSERT_TRUE(refusal) << "the series would start";
      EXPECT_NE(refusal->find(c.messagePart), std::string::npos) << *refusal;
      EXPECT_NE(refusal->find("The benchmark did not start"), std::string::npos) << *refusal;
      EXPECT_NE(refusal->find("press RUN again"), std::string::npos) << *refusal;
      EXPECT_NE(store.values[backup::kRestorePendingValue], "1");
    } else {
      EXPECT_EQ(refusal, std::nullopt);
      EXPECT_EQ(store.values[backup::kRestorePendingValue], "1");
      EXPECT_EQ(FileBytes(world.Backup(Game::HalfLife2)), Fixture("hl2set.ini"));
      EXPECT_EQ(FileBytes(world.Backup(Game::LostCoast)), Fixture("hl2lcset.ini"));
    }
    lock = UniqueHandle();
  }
}

TEST(AutoexecScript, AScriptSetAsideEarlierIsNeverReplaced) {
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    SCOPED_TRACE(GameName(game));
    GameWorld world;
    const std::string older = "// set aside by a series that could not put it back\r\n";
    PutFile(world.Cfg(game, steam::kAutoexec), kUserScript);
    PutFile(world.Cfg(game, steam::kAutoexecOld), older);
    AutoexecRestorePending state;
    EXPECT_FALSE(SetAsideAutoexec(state, world.paths, game, nullptr));
    EXPECT_FALSE(state.Pending);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexec)), kUserScript);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexecOld)), older);
  }
}

// A series' own script left behind (the program died before it could delete it) is removed
// without a question, in either game; afterwards the starts leave the user's later changes
// to the game alone.
TEST(Recover, TheSeriesOwnScriptIsRemovedInEitherGame) {
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    SCOPED_TRACE(GameName(game));
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    MemoryStore store;
    store.values[backup::kNoErrorWarningValue] = "0";
    StartUp(world, store);
    ASSERT_EQ(SecureBackupForSeries(world.paths, store, store, game), std::nullopt);
    PutFile(world.Cfg(game, steam::kAutoexec), kOurScript);
    world.SetValues(game, kSeriesValues);

    SeamsScope seams({});
    StartUp(world, store);
    EXPECT_FALSE(files::FileExists(world.Cfg(game, steam::kAutoexec)));
    EXPECT_EQ(world.ReadValues(game),
              Expect(game == Game::LostCoast ? kLostCoastStart : kHl2Start));
    EXPECT_EQ(store.values[backup::kNoErrorWarningValue], "0");
    EXPECT_TRUE(seams.seams.log.empty());

    // The user plays and changes the game's settings; the next start keeps them.
    world.SetValues(game, kSeriesValues);
    StartUp(world, store);
    EXPECT_EQ(world.ReadValues(game), Expect(kSeriesValues));
  }
}

// Two Windows accounts on one PC share the game's folders but not its settings: a series of
// one account that never ended is repaired by that account's start alone, and nothing the
// other account does touches the first one's values, backup or marks.
TEST(TwoAccounts, OneAccountsCrashedSeriesIsLeftToThatAccount) {
  for (Game game : {Game::HalfLife2, Game::LostCoast}) {
    SCOPED_TRACE(GameName(game));
    GameWorld world;
    const GamePaths& first = world.paths;
    const GamePaths second = world.OtherAccount();
    constexpr Values kSecondsOwn = {2, 4, 1, 1, 1080, 1920};
    GameWorld::SetValues(second, Game::HalfLife2, kSecondsOwn);
    GameWorld::SetValues(second, Game::LostCoast, kSecondsOwn);
    MemoryStore machine, firstUser, secondUser;
    machine.values[backup::kNoErrorWarningValue] = "0";

    // The second account's start before the series: its own backup. A question would be
    // answered No (and noted in the log).
    SeamsScope seams({false});
    Recover(second, machine, secondUser, nullptr, kOurScript, false);
    BackupAtStart(second, secondUser);
    // The first account's series, with the user's script set aside, dies midway.
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    PutFile(world.Cfg(game, steam::kAutoexec), kUserScript);
    PutFile(world.Cfg(game, steam::kValveRc), kUserValveRc);
    ASSERT_EQ(SecureBackupForSeries(first, machine, firstUser, game), std::nullopt);
    EXPECT_EQ(machine.values[backup::kSeriesUserValue], first.UserSid);
    AutoexecRestorePending state;
    ASSERT_TRUE(SetAsideAutoexec(state, first, game, nullptr));
    PutFile(world.Cfg(game, steam::kAutoexec), kOurScript);
    PutFile(world.Cfg(game, steam::kValveRcOld), kUserValveRc);
    PutFile(world.Cfg(game, steam::kValveRc), "// changed by the game\r\n");
    world.SetValues(game, kSeriesValues);
    const std::string firstBackup = FileBytes(world.Backup(game)).value_or("");

    // The second account starts and leaves with the exit button, twice over.
    const auto machineBefore = machine.values;
    for (int start = 1; start <= 2; ++start) {
      Recover(second, machine, secondUser, nullptr, kOurScript, false);
      BackupAtStart(second, secondUser);
      RestoreGameSettings(second, secondUser);
    }
    EXPECT_TRUE(seams.seams.log.empty()) << "the second account was asked about the first's";
    EXPECT_EQ(machine.values, machineBefore);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexec)), kOurScript);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexecOld)), kUserScript);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kValveRcOld)), kUserValveRc);
    EXPECT_EQ(world.ReadValues(game), Expect(kSeriesValues));
    EXPECT_EQ(FileBytes(world.Backup(game)), firstBackup);
    EXPECT_EQ(firstUser.values[backup::kRestorePendingValue], "1");
    EXPECT_EQ(GameWorld::ReadValues(second, game), Expect(kSecondsOwn));
    EXPECT_NE(secondUser.values[backup::kRestorePendingValue], "1");
    EXPECT_NE(secondUser.values[backup::kNoErrorWarningValue], "1");

    // The first account's start puts everything of its own back.
    Recover(first, machine, firstUser, nullptr, kOurScript, false);
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kAutoexec)), kUserScript);
    EXPECT_FALSE(files::FileExists(world.Cfg(game, steam::kAutoexecOld)));
    EXPECT_EQ(FileBytes(world.Cfg(game, steam::kValveRc)), kUserValveRc);
    EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kHl2Start));
    EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kLostCoastStart));
    EXPECT_EQ(firstUser.values[backup::kRestorePendingValue], "0");
    EXPECT_EQ(GameWorld::ReadValues(second, game), Expect(kSecondsOwn));
  }
}

// An account's own pending restore is its own business: another account's series recorded
// on the machine does not hold it back, and it writes only that account's keys.
TEST(TwoAccounts, AnAccountsPendingRestoreIgnoresTheOthersSeries) {
  GameWorld world;
  const GamePaths second = world.OtherAccount();
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  GameWorld::SetValues(second, Game::HalfLife2, kHl2Start);
  GameWorld::SetValues(second, Game::LostCoast, kLostCoastStart);
  MemoryStore machine, firstUser, secondUser;
  SeamsScope seams({});
  ASSERT_EQ(SecureBackupForSeries(second, machine, secondUser, Game::HalfLife2), std::nullopt);
  GameWorld::SetValues(second, Game::HalfLife2, kSeriesValues);
  ASSERT_EQ(SecureBackupForSeries(world.paths, machine, firstUser, Game::HalfLife2), std::nullopt);
  world.SetValues(Game::HalfLife2, kSeriesValues);

  Recover(second, machine, secondUser, nullptr, kOurScript, false);
  EXPECT_EQ(GameWorld::ReadValues(second, Game::HalfLife2), Expect(kHl2Start));
  EXPECT_EQ(secondUser.values[backup::kRestorePendingValue], "0");
  EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kSeriesValues));
  EXPECT_TRUE(files::FileExists(world.Backup(Game::HalfLife2)));
  EXPECT_EQ(firstUser.values[backup::kRestorePendingValue], "1");
}

// A series that never ended is recovered even when its account's mark is missing (an earlier
// version did not write it): its own script or a set-aside "valve.rc" proves it, and the
// backup of that start goes back. A user's own script proves nothing.
TEST(Recover, FilesOfAnUnfinishedSeriesRestoreWithoutTheMark) {
  struct Case {
    const char* name;
    Game game;
    bool seriesScript;
    bool valveOld;
    bool userScript;
    bool backup;
    bool restores;
  };
  const Case cases[] = {
      {"series script, user's script set aside, valve_old.rc", Game::HalfLife2, true, true, true,
       true, true},
      {"series script alone", Game::LostCoast, true, false, false, true, true},
      {"valve_old.rc alone", Game::HalfLife2, false, true, false, true, true},
      {"the user's own autoexec.cfg alone", Game::HalfLife2, false, false, true, true, false},
      {"series script but no backup", Game::HalfLife2, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    if (c.backup) BackupRegistry(world.paths);
    world.SetValues(c.game, kSeriesValues);
    const std::string script = world.Cfg(c.game, steam::kAutoexec);
    if (c.seriesScript) {
      PutFile(script, kOurScript);
      if (c.userScript) PutFile(world.Cfg(c.game, steam::kAutoexecOld), kUserScript);
    } else if (c.userScript) {
      PutFile(script, kUserScript);
    }
    if (c.valveOld) PutFile(world.Cfg(c.game, steam::kValveRcOld), kUserValveRc);
    MemoryStore machine, user;
    SeamsScope seams({false});
    Recover(world.paths, machine, user, nullptr, kOurScript, false);
    const Values& own = c.game == Game::LostCoast ? kLostCoastStart : kHl2Start;
    EXPECT_EQ(world.ReadValues(c.game), Expect(c.restores ? own : kSeriesValues));
    EXPECT_EQ(files::FileExists(world.Backup(c.game)), c.backup && !c.restores);
    EXPECT_EQ(FileBytes(script), c.userScript ? std::optional(kUserScript) : std::nullopt);
    EXPECT_NE(user.values[backup::kRestorePendingValue], "1");
  }
}

// The same proof with the series' game still running: the restore is owed, and stays owed
// (marked) after the proof itself has been cleaned up.
TEST(Recover, AnUnfinishedSeriesWithItsGameRunningIsRestoredLater) {
  GameWorld world;
  world.SetValues(Game::HalfLife2, kHl2Start);
  world.SetValues(Game::LostCoast, kLostCoastStart);
  BackupRegistry(world.paths);
  world.SetValues(Game::HalfLife2, kSeriesValues);
  PutFile(world.Cfg(Game::HalfLife2, steam::kAutoexec), kOurScript);
  MemoryStore machine, user;
  SeamsScope seams({});
  Recover(world.paths, machine, user, nullptr, kOurScript, true);
  EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kSeriesValues));
  EXPECT_EQ(user.values[backup::kRestorePendingValue], "1");
  EXPECT_FALSE(files::FileExists(world.Cfg(Game::HalfLife2, steam::kAutoexec)));
  Recover(world.paths, machine, user, nullptr, kOurScript, false);
  EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(kHl2Start));
  EXPECT_EQ(user.values[backup::kRestorePendingValue], "0");
}

// An earlier version kept the backups in the program folder and its mark in the machine's
// key. Its unfinished series comes back from there at the first start of an account that has
// no backup of its own; without its mark or its files nothing is written.
TEST(Recover, AnEarlierVersionsUnfinishedSeriesComesBackFromTheProgramFolder) {
  struct Case {
    const char* name;
    bool machineMark;
    bool seriesScript;
    bool restores;
  };
  const Case cases[] = {
      {"the earlier version's mark", true, false, true},
      {"the earlier version's series script", false, true, true},
      {"neither", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameWorld world;
    world.SetValues(Game::HalfLife2, kHl2Start);
    world.SetValues(Game::LostCoast, kLostCoastStart);
    GamePaths earlier = world.paths;
    earlier.DataFolder = world.paths.ProgramFolder;
    ASSERT_TRUE(BackupRegistry(earlier).empty());
    world.SetValues(Game::HalfLife2, kSeriesValues);
    if (c.seriesScript) PutFile(world.Cfg(Game::HalfLife2, steam::kAutoexec), kOurScript);
    MemoryStore machine, account;
    if (c.machineMark) machine.values[backup::kRestorePendingValue] = "1";
    SeamsScope seams({});
    Recover(world.paths, machine, account, nullptr, kOurScript, false);
    EXPECT_EQ(world.ReadValues(Game::HalfLife2), Expect(c.restores ? kHl2Start : kSeriesValues));
    EXPECT_EQ(world.ReadValues(Game::LostCoast), Expect(kLostCoastStart));
    EXPECT_EQ(files::FileExists(GameWorld::Backup(earlier, Game::HalfLife2)), !c.restores);
    EXPECT_FALSE(files::FileExists(world.Backup(Game::HalfLife2)));
    EXPECT_NE(machine.values[backup::kRestorePendingValue], "1");
    EXPECT_TRUE(seams.seams.log.empty());
  }
}

}  // namespace
}  // namespace quorvel
