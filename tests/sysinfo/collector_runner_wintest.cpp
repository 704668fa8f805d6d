// The collector with the window's real runner and the diagnostics tool stand-in: the tool is
// started hidden, its end comes back through the message queue, and its report is read.
#include <gtest/gtest.h>

#include "platform/files_win.h"
#include "settings/registry_settings_store_win.h"
#include "support/process_helpers_win.h"
#include "support/scripted_seams_win.h"
#include "sysinfo/process_runner_win.h"
#include "sysinfo/system_info_collector_win.h"

namespace quorvel::sysinfo {
namespace {

class CollectorWithRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallSeams(&seams);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegKey created(k);
    folders.output = program.Path();
    folders.system = system.Path().substr(0, system.Path().size() - 1);
  }
  void TearDown() override {
    ::SetEnvironmentVariableA("QUORVEL_DXDIAG_NO_REPORT", nullptr);
    ::SetEnvironmentVariableA("QUORVEL_DXDIAG_SECTIONS", nullptr);
    testing::StopProcessesNamed("dxdiag.exe", 1000);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    InstallSeams(nullptr);
  }
  void InstallStandin() {
    ASSERT_TRUE(testing::CopyFileTo(testing::StandinsFolder() + "dxdiag.exe",
                                    folders.system + "\\dxdiag.exe"));
  }
  // Collects once through the runner and pumps messages until the series may be prepared.
  void CollectAndWait() {
    SystemInfoCollector collector(snapshot, store, dxrun, folders);
    collector.CollectSystemInfo([this] { ++prepared; });
    ASSERT_TRUE(testing::PumpUntil([this] { return prepared > 0; }, 30000))
        << "the tool's end never came back";
    testing::PumpFor(200);
  }

  testing::ScriptedSeams seams;
  // Blanks in both folders, as under "Program Files".
  testing::TempFolder program{"Quorvel runner program"};
  testing::TempFolder system{"Quorvel runner system"};
  SystemInfoCollector::Folders folders;
  ProcessRunner dxrun;
  RegistrySettingsStore store;
  SystemInfoSnapshot snapshot;
  int prepared = 0;
};

TEST_F(CollectorWithRunnerTest, ToolReportIsReadWhenTheToolHasEnded) {
  InstallStandin();
  CollectAndWait();
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, " Zarvent Simulated GPU 9800");
  EXPECT_EQ(snapshot.DisplayMemory, " 256.0 MB");
  EXPECT_EQ(snapshot.DriverVersion, " 6.14.0010.6764 (English)");
  EXPECT_EQ(snapshot.SoundDevice, "Simulated HD Audio Device");
  EXPECT_EQ(store.ReadString("Display Memory"), " 256.0 MB");
  EXPECT_EQ(store.ReadString("Sound"), "Simulated HD Audio Device");
  EXPECT_FALSE(files::FileExists(folders.output + "dxinfo.txt"));
  EXPECT_EQ(dxrun.State(), RunnerState::Idle);
  EXPECT_TRUE(seams.log.empty()) << seams.log.front();
}

TEST_F(CollectorWithRunnerTest, ToolWithoutReportOrWithoutDevicesFallsBack) {
  InstallStandin();
  ::SetEnvironmentVariableA("QUORVEL_DXDIAG_NO_REPORT", "1");
  CollectAndWait();
  EXPECT_EQ(snapshot.CardName, "indeterminable");
  EXPECT_EQ(snapshot.SoundDevice, "indeterminable");
  ::SetEnvironmentVariableA("QUORVEL_DXDIAG_NO_REPORT", nullptr);

  // Only a sound section, as Wine's own tool writes without a display: the sound device is
  // still found, the display values fall back and nothing of them is cached.
  ::SetEnvironmentVariableA("QUORVEL_DXDIAG_SECTIONS", "sound");
  prepared = 0;
  CollectAndWait();
  EXPECT_EQ(snapshot.CardName, "indeterminable");
  EXPECT_EQ(snapshot.DisplayMemory, "indeterminable");
  EXPECT_EQ(snapshot.SoundDevice, "Simulated HD Audio Device");
  EXPECT_EQ(store.ReadString("Display Memory"), "");
  EXPECT_EQ(store.ReadString("Sound"), "Simulated HD Audio Device");
  EXPECT_TRUE(seams.log.empty()) << seams.log.front();
}

TEST_F(CollectorWithRunnerTest, ToolThatCannotBeStartedLetsTheSeriesGoOn) {
  // Not a program: the platform refuses to start it.
  ASSERT_TRUE(files::WriteAll(folders.system + "\\dxdiag.exe", "this is not a program"));
  snapshot.CardName = " Earlier card";
  SystemInfoCollector collector(snapshot, store, dxrun, folders);
  collector.CollectSystemInfo([this] { ++prepared; });
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(snapshot.CardName, " Earlier card");
  EXPECT_EQ(snapshot.DisplayMemory, "indeterminable");
  EXPECT_EQ(dxrun.State(), RunnerState::Idle);
}

}  // namespace
}  // namespace quorvel::sysinfo
