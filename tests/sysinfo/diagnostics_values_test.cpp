#include "sysinfo/diagnostics_values.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvel::sysinfo {
namespace {

// The settings key as a map; every write is also logged.
class MemoryStore : public SettingsStore {
 public:
  bool KeyExists() override { return true; }
  std::string ReadString(const std::string& name) override {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  void WriteString(const std::string& name, const std::string& text) override {
    values[name] = text;
    writes.push_back(name + "=" + text);
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

TEST(DiagnosticsValues, CacheTable) {
  struct Case {
    std::map<std::string, std::string> cache;
    bool taken;
    const char* memory;
    const char* driver;
    const char* sound;
  } cases[] = {
      {{{"Display Memory", " 128 MB"}, {"Driver Version", " 6.1"}, {"Sound", "SB Live"}},
       true,
       " 128 MB",
       " 6.1",
       "SB Live"},
      {{{"Display Memory", " 128 MB"}}, true, " 128 MB", "No information", "No information"},
      {{{"Display Memory", " 64 MB"}, {"Driver Version", ""}, {"Sound", "X"}},
       true,
       " 64 MB",
       "No information",
       "X"},
      // Without a cached video memory nothing is taken, whatever else is there.
      {{{"Display Memory", ""}, {"Driver Version", " 6.1"}, {"Sound", "S"}},
       false,
       "old memory",
       "old driver",
       "old sound"},
      {{}, false, "old memory", "old driver", "old sound"},
  };
  for (const Case& c : cases) {
    MemoryStore store;
    store.values = c.cache;
    SystemInfoSnapshot s;
    s.CardName = "old card";
    s.DisplayMemory = "old memory";
    s.DriverVersion = "old driver";
    s.SoundDevice = "old sound";
    EXPECT_EQ(TakeCachedValues(s, store), c.taken);
    EXPECT_EQ(s.DisplayMemory, c.memory);
    EXPECT_EQ(s.DriverVersion, c.driver);
    EXPECT_EQ(s.SoundDevice, c.sound);
    EXPECT_EQ(s.CardName, "old card");
    EXPECT_TRUE(store.writes.empty());
  }
}

TEST(DiagnosticsValues, ReportValuesAreCachedExceptCardNameEmptyTextsAndFallbacks) {
  MemoryStore store;
  store.values = {{"Display Memory", "cached"}, {"Driver Version", "cached"}, {"Sound", "cached"}};
  SystemInfoSnapshot s;
  DxdiagValues v;
  v.CardName = " Card";
  v.DisplayMemory = " 256 MB";
  v.DriverVersion = "";          // found but empty: the cached text stays
  v.SoundDevice = std::nullopt;  // not in the report: shown as a fallback, never cached
  TakeReportValues(s, v, store);
  EXPECT_EQ(s.CardName, " Card");
  EXPECT_EQ(s.DisplayMemory, " 256 MB");
  EXPECT_EQ(s.DriverVersion, "");
  EXPECT_EQ(s.SoundDevice, "indeterminable");
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Display Memory= 256 MB"}));
  EXPECT_EQ(store.values["Driver Version"], "cached");
  EXPECT_EQ(store.values["Sound"], "cached");
}

TEST(DiagnosticsValues, ReportWithoutSoundServesTheNextSeriesFromTheCache) {
  MemoryStore store;
  SystemInfoSnapshot s;
  TakeReportValues(s,
                   ParseDxdiagReportFile(" Card name: G\n Display Memory: 32 MB\n"
                                         " Driver Version: 4.0\n"),
                   store);
  EXPECT_EQ(s.SoundDevice, "indeterminable");
  EXPECT_EQ(store.writes,
            (std::vector<std::string>{"Display Memory= 32 MB", "Driver Version= 4.0"}));
  SystemInfoSnapshot next;
  ASSERT_TRUE(TakeCachedValues(next, store));
  EXPECT_EQ(next.DisplayMemory, " 32 MB");
  EXPECT_EQ(next.DriverVersion, " 4.0");
  EXPECT_EQ(next.SoundDevice, "No information");
  EXPECT_EQ(next.CardName, "");
}

TEST(DiagnosticsValues, FallbacksForAMissingToolAndAMissingReport) {
  SystemInfoSnapshot s;
  s.CardName = " Earlier card";
  TakeToolMissing(s);
  EXPECT_EQ(s.CardName, " Earlier card");
  EXPECT_EQ(s.DisplayMemory, "indeterminable");
  EXPECT_EQ(s.DriverVersion, "indeterminable");
  EXPECT_EQ(s.SoundDevice, "indeterminable");
  TakeReportMissing(s);
  EXPECT_EQ(s.CardName, "indeterminable");
  EXPECT_EQ(s.DisplayMemory, "indeterminable");
}

}  // namespace
}  // namespace quorvel::sysinfo
