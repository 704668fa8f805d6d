#include "sysinfo/system_info_collector_win.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "settings/registry_settings_store_win.h"
#include "support/scripted_seams_win.h"

namespace quorvel::sysinfo {
namespace {

std::string TempFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + name + "\\";
  files::ForceDirectories(folder);
  return folder;
}

std::string FixturePath(const std::string& name) {
  std::string path = std::string(QUORVEL_FIXTURES) + "/sysinfo/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

class CollectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams.divisor_ = 1000;
    InstallSeams(&seams);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegKey created(k);
    // Blanks in both folders, as in an account's folder below "Documents and Settings".
    folders.output = TempFolder("Quorvel collector program");
    std::string system = TempFolder("Quorvel collector system32");
    folders.system = system.substr(0, system.size() - 1);
    ASSERT_TRUE(files::WriteAll(folders.system + "\\dxdiag.exe", "MZ"));
    files::DeleteQuietly(folders.output + "dxinfo.txt");
  }
  void TearDown() override {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    files::DeleteQuietly(folders.output + "dxinfo.txt");
    files::DeleteQuietly(folders.system + "\\dxdiag.exe");
    InstallSeams(nullptr);
  }

  SystemInfoCollector Collector(SystemInfoCollector::ToolStarter starter = nullptr) {
    if (!starter)
      starter = [this](const std::string& commandLine, const std::string& directory) {
        starts.push_back(commandLine + "|" + directory);
      };
    return SystemInfoCollector(snapshot, store, starter, folders);
  }

  std::function<void()> Prepare() {
    return [this] { ++prepared; };
  }
  void Cache(const char* name, const char* text) { store.WriteString(name, text); }
  void ToolWrites(const std::string& fixture) {
    ASSERT_TRUE(
        ::CopyFileA(FixturePath(fixture).c_str(), (folders.output + "dxinfo.txt").c_str(), FALSE))
        << FixturePath(fixture);
  }

  testing::ScriptedSeams seams;
  ProcessRunner dxrun;  // only handed to the end handler, as the window's runner would be
  RegistrySettingsStore store;
  SystemInfoSnapshot snapshot;
  SystemInfoCollector::Folders folders;
  std::vector<std::string> starts;
  int prepared = 0;
};

TEST_F(CollectorTest, FilledCacheServesTheSeriesWithoutTheTool) {
  struct Case {
    const char* driver;
    const char* sound;
    const char* wantDriver;
    const char* wantSound;
  } cases[] = {
      {" 6.14", "SB Live", " 6.14", "SB Live"},
      {"", "SB Live", "No information", "SB Live"},
      {" 6.14", "", " 6.14", "No information"},
  };
  for (const Case& c : cases) {
    Cache("Display Memory", " 128.0 MB");
    Cache("Driver Version", c.driver);
    Cache("Sound", c.sound);
    prepared = 0;
    snapshot = {};
    SystemInfoCollector collector = Collector();
    collector.CollectSystemInfo(Prepare());
    EXPECT_EQ(prepared, 1);
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(snapshot.DisplayMemory, " 128.0 MB");
    EXPECT_EQ(snapshot.DriverVersion, c.wantDriver);
    EXPECT_EQ(snapshot.SoundDevice, c.wantSound);
    // The card name is never cached: at the first series after the start it stays empty.
    EXPECT_EQ(snapshot.CardName, "");
  }
}

TEST_F(CollectorTest, MissingToolFallsBackAndKeepsTheCardName) {
  files::DeleteQuietly(folders.system + "\\dxdiag.exe");
  snapshot.CardName = " Earlier card";
  SystemInfoCollector collector = Collector();
  collector.CollectSystemInfo(Prepare());
  EXPECT_EQ(prepared, 1);
  EXPECT_TRUE(starts.empty());
  EXPECT_EQ(snapshot.CardName, " Earlier card");
  EXPECT_EQ(snapshot.DisplayMemory, "indeterminable");
  EXPECT_EQ(snapshot.DriverVersion, "indeterminable");
  EXPECT_EQ(snapshot.SoundDevice, "indeterminable");
  EXPECT_EQ(store.ReadString("Display Memory"), "");
}

TEST_F(CollectorTest, ToolReportFillsValuesAndCacheAndIsDeleted) {
  SystemInfoCollector collector = Collector();
  collector.CollectSystemInfo(Prepare());
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0], folders.system + "\\dxdiag.exe /whql:on /t \"" + folders.output +
                           "dxinfo.txt\"|" + folders.system);
  EXPECT_EQ(prepared, 0) << "the series waits for the tool's end";

  ToolWrites("full_report.txt");
  collector.dxrunTerminate(dxrun, 0);
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, " RADEON X800 XT Platinum Edition");
  EXPECT_EQ(snapshot.DisplayMemory, " 256.0 MB");
  EXPECT_EQ(snapshot.DriverVersion, " 6.14.0010.6614 (English)");
  EXPECT_EQ(snapshot.SoundDevice, "Realtek HD Audio output");
  EXPECT_EQ(store.ReadString("Display Memory"), " 256.0 MB");
  EXPECT_EQ(store.ReadString("Driver Version"), " 6.14.0010.6614 (English)");
  EXPECT_EQ(store.ReadString("Sound"), "Realtek HD Audio output");
  EXPECT_FALSE(files::FileExists(folders.output + "dxinfo.txt"));

  // The next series comes from the cache and keeps the card name already read.
  collector.CollectSystemInfo(Prepare());
  EXPECT_EQ(starts.size(), 1u);
  EXPECT_EQ(prepared, 2);
  EXPECT_EQ(snapshot.CardName, " RADEON X800 XT Platinum Edition");
}

TEST_F(CollectorTest, ToolWithoutReportGivesIndeterminableAndCachesNothing) {
  snapshot.CardName = " Earlier card";
  Cache("Driver Version", " kept");
  SystemInfoCollector collector = Collector();
  collector.CollectSystemInfo(Prepare());
  collector.dxrunTerminate(dxrun, 1);
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, "indeterminable");
  EXPECT_EQ(snapshot.DisplayMemory, "indeterminable");
  EXPECT_EQ(snapshot.DriverVersion, "indeterminable");
  EXPECT_EQ(snapshot.SoundDevice, "indeterminable");
  EXPECT_EQ(store.ReadString("Display Memory"), "");
  EXPECT_EQ(store.ReadString("Driver Version"), " kept");
}

TEST_F(CollectorTest, ReportWithoutDevicesLeavesTheCacheEmptySoTheToolRunsAgain) {
  SystemInfoCollector collector = Collector();
  collector.CollectSystemInfo(Prepare());
  ToolWrites("no_devices.txt");
  collector.dxrunTerminate(dxrun, 0);
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, "indeterminable");
  EXPECT_EQ(snapshot.SoundDevice, "indeterminable");
  EXPECT_EQ(store.ReadString("Display Memory"), "");
  EXPECT_FALSE(files::FileExists(folders.output + "dxinfo.txt"));
  collector.CollectSystemInfo(Prepare());
  EXPECT_EQ(starts.size(), 2u);
}

TEST_F(CollectorTest, ReportWithoutSoundGivesNoInformationFromTheCacheNextTime) {
  SystemInfoCollector collector = Collector();
  collector.CollectSystemInfo(Prepare());
  ToolWrites("no_sound_section.txt");
  collector.dxrunTerminate(dxrun, 0);
  EXPECT_EQ(snapshot.SoundDevice, "indeterminable");
  SystemInfoSnapshot next;
  SystemInfoCollector again(next, store, nullptr, folders);
  again.CollectSystemInfo(Prepare());
  EXPECT_EQ(prepared, 2);
  EXPECT_EQ(next.DisplayMemory, " 256.0 MB");
  EXPECT_EQ(next.DriverVersion, " 6.14.0010.8185 (English)");
  EXPECT_EQ(next.SoundDevice, "No information");
}

TEST_F(CollectorTest, EachCollectionPreparesTheSeriesExactlyOnce) {
  SystemInfoCollector collector = Collector();
  // An end without a started tool prepares nothing.
  collector.dxrunTerminate(dxrun, 0);
  EXPECT_EQ(prepared, 0);
  collector.CollectSystemInfo(Prepare());
  ToolWrites("no_devices.txt");
  collector.dxrunTerminate(dxrun, 0);
  ToolWrites("full_report.txt");
  collector.dxrunTerminate(dxrun, 0);
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, "indeterminable") << "the second end must not read a report";
  EXPECT_TRUE(files::FileExists(folders.output + "dxinfo.txt"));
}

TEST_F(CollectorTest, RefusedStartIsTreatedLikeAMissingTool) {
  SystemInfoCollector collector = Collector([](const std::string&, const std::string&) {
    throw EOSError(ERROR_ACCESS_DENIED, "System Error.  Code: 5.\r\nAccess is denied.");
  });
  snapshot.CardName = " Earlier card";
  collector.CollectSystemInfo(Prepare());
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, " Earlier card");
  EXPECT_EQ(snapshot.DisplayMemory, "indeterminable");
  EXPECT_EQ(snapshot.SoundDevice, "indeterminable");
  collector.dxrunTerminate(dxrun, 0);
  EXPECT_EQ(prepared, 1);
}

TEST_F(CollectorTest, OtherErrorsReachTheCallerWithoutPreparingTheSeries) {
  SystemInfoCollector busy = Collector([](const std::string&, const std::string&) {
    throw AppError("Cannot perform this operation when process is running");
  });
  EXPECT_THROW(busy.CollectSystemInfo(Prepare()), AppError);
  EXPECT_EQ(prepared, 0);

  // A cache value of the wrong type is the registry layer's error.
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_WRITE);
  reg::WriteDword(key.Get(), "Display Memory", 64);
  SystemInfoCollector collector = Collector();
  try {
    collector.CollectSystemInfo(Prepare());
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Display Memory'");
  }
  EXPECT_EQ(prepared, 0);
  EXPECT_TRUE(starts.empty());
}

TEST_F(CollectorTest, MissingSettingsKeyFailsTheCacheWriteButRemovesTheReport) {
  SystemInfoCollector collector = Collector();
  collector.CollectSystemInfo(Prepare());
  ToolWrites("full_report.txt");
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
  try {
    collector.dxrunTerminate(dxrun, 0);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Display Memory'");
  }
  EXPECT_EQ(snapshot.DisplayMemory, " 256.0 MB");
  EXPECT_FALSE(files::FileExists(folders.output + "dxinfo.txt"));
  EXPECT_EQ(prepared, 0);
}

}  // namespace
}  // namespace quorvel::sysinfo
