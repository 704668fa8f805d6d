#include "sysinfo/adapter_probes_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/errors.h"
#include "platform/registry_win.h"
#include "support/scripted_seams_win.h"
#include "sysinfo/adapter_probes.h"
#include "sysinfo/host_probes_win.h"
#include "sysinfo/report_head_probes_win.h"

namespace quorvel::sysinfo {
namespace {

// The parameter block an adapter clock request points to.
std::uint8_t* BlockOf(const void* request, int requestSize) {
  std::uint64_t address = ReadLe32(request, requestSize, 16) |
                          (static_cast<std::uint64_t>(ReadLe32(request, requestSize, 20)) << 32);
  return reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(address));
}

// A display driver as the tests script it; it checks the records it is sent the way a real
// one would before answering.
struct FakeDriver {
  bool contextCreated = true;
  bool contextDeleted = true;
  // ATI escapes on the first display.
  int atiClockResult = 0;
  int atiMemoryResult = 0;
  std::uint32_t memoryClock = 50000;  // 10 kHz units
  std::uint32_t engineClock = 40000;
  // The adapter clock escape on "DISPLAY": the values per index, the return value, the status.
  std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> clocks;
  int adapterResult = 1;
  std::uint32_t adapterStatus = 0;

  std::vector<std::string> calls;
  std::vector<std::string> faults;

  DriverEscapeResult operator()(const std::string& driver, int escape, const void* request,
                                int requestSize, void* reply, int replySize) {
    DriverEscapeResult r;
    r.contextCreated = contextCreated;
    if (!contextCreated) return r;
    r.contextDeleted = contextDeleted;
    std::uint32_t function = ReadLe32(request, requestSize, escape == kAtiEscape ? 4 : 8);
    calls.push_back(driver + " " + std::to_string(escape) + " " + std::to_string(function));
    if (escape == kAtiEscape && driver == "\\\\.\\DISPLAY1") {
      if (requestSize != 16 || ReadLe32(request, requestSize, 0) != 16)
        faults.push_back("ATI request size");
      if (ReadLe32(reply, replySize, 0) != static_cast<std::uint32_t>(replySize))
        faults.push_back("ATI reply size field");
      for (int i = 4; i < replySize; ++i)
        if (static_cast<std::uint8_t*>(reply)[i] != 0) faults.push_back("ATI reply not cleared");
      if (function == kAtiClockFunction) {
        if (replySize != 80) faults.push_back("ATI clock reply size");
        WriteLe32(reply, replySize, 12, memoryClock);
        WriteLe32(reply, replySize, 44, engineClock);
        r.result = atiClockResult;
      } else if (function == kAtiMemoryFunction) {
        if (replySize != 64) faults.push_back("ATI memory reply size");
        r.result = atiMemoryResult;
      }
      return r;
    }
    if (escape == kAdapterClockEscape && driver == "DISPLAY") {
      if (requestSize != 32 || replySize != 32 || function != 494)
        faults.push_back("adapter request layout");
      std::uint8_t* block = BlockOf(request, requestSize);
      if (ReadLe32(request, requestSize, 24) != 16 || !block) {
        faults.push_back("adapter block");
        return r;
      }
      std::uint32_t index = ReadLe32(block, 16, 0);
      if (ReadLe32(block, 16, 8) != 0 || ReadLe32(block, 16, 12) != 0)
        faults.push_back("adapter block not cleared");
      auto it = clocks.find(index);
      if (it != clocks.end()) {
        WriteLe32(block, 16, 8, it->second.first);
        WriteLe32(block, 16, 12, it->second.second);
      }
      WriteLe32(reply, replySize, 28, adapterStatus);
      r.result = adapterResult;
      return r;
    }
    faults.push_back("unexpected escape " + driver);
    return r;
  }
};

DISPLAY_DEVICEA Device(const char* name, const char* string, const char* id) {
  DISPLAY_DEVICEA d = {};
  d.cb = sizeof(d);
  std::strncpy(d.DeviceName, name, sizeof(d.DeviceName) - 1);
  std::strncpy(d.DeviceString, string, sizeof(d.DeviceString) - 1);
  std::strncpy(d.DeviceID, id, sizeof(d.DeviceID) - 1);
  return d;
}

constexpr const char* kAtiId = "PCI\\VEN_1002&DEV_4A50&SUBSYS_00021002&REV_00";
constexpr const char* kNvidiaId = "PCI\\VEN_10DE&DEV_0041&SUBSYS_00000000&REV_A1";

// Registry keys below HKLM that the probes read: each test starts without the ATI keys and
// with the display adapter entry saved aside, and leaves things as it found them.
class AdapterProbeTest : public ::testing::Test {
 protected:
  static constexpr const char* kAtiRoot = "SOFTWARE\\ATI Technologies";
  static constexpr const char* kSaved = "SOFTWARE\\QuorvelTests\\SavedAdapterEntry";

  void SetUp() override {
    seams.driverEscape = [this](const std::string& d, int e, const void* q, int qs, void* r,
                                int rs) { return driver(d, e, q, qs, r, rs); };
    seams.useDisplayDevices = true;
    InstallSeams(&seams);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAtiRoot);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSaved);
    // The outermost key of the entry's path that is missing now (Wine has no ControlSet001):
    // whatever the tests create there goes again at the end.
    createdRoot.clear();
    std::string path = AdapterEntry();
    for (size_t cut = path.find('\\'); createdRoot.empty(); cut = path.find('\\', cut + 1)) {
      std::string prefix = path.substr(0, cut);
      if (!reg::KeyExists(HKEY_LOCAL_MACHINE, prefix)) createdRoot = prefix;
      if (cut == std::string::npos) break;
    }
    hadEntry = reg::KeyExists(HKEY_LOCAL_MACHINE, AdapterEntry());
    if (hadEntry) {
      RegKey saved = Create(kSaved);
      RegKey entry = reg::Open(HKEY_LOCAL_MACHINE, AdapterEntry());
      ASSERT_EQ(::RegCopyTreeA(entry.Get(), nullptr, saved.Get()), ERROR_SUCCESS);
    }
  }
  void TearDown() override {
    InstallSeams(nullptr);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAtiRoot);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, AdapterEntry().c_str());
    if (!createdRoot.empty()) ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, createdRoot.c_str());
    if (hadEntry) {
      RegKey entry = Create(AdapterEntry());
      RegKey saved = reg::Open(HKEY_LOCAL_MACHINE, kSaved);
      ::RegCopyTreeA(saved.Get(), nullptr, entry.Get());
    }
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSaved);
  }

  // First values 100, 200, 300 MHz at indices 0 to 2, second values 400, 500, 600 MHz at
  // indices 3 to 5, zero elsewhere.
  void SixClocks() {
    for (std::uint32_t i = 0; i < 6; ++i)
      driver.clocks[i] = {i < 3 ? (i + 1) * 100000000u : 0u, i >= 3 ? (i + 1) * 100000000u : 0u};
  }
  static std::string AdapterEntry() { return std::string(kDisplayAdapterKey).substr(1); }
  static RegKey Create(const std::string& path) {
    HKEY k = nullptr;
    EXPECT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &k, nullptr),
              ERROR_SUCCESS)
        << path;
    return RegKey(k);
  }
  static void SetString(const std::string& path, const char* name, const char* text) {
    reg::WriteString(Create(path).Get(), name, text);
  }
  void AtiDisplays() {
    seams.displayDevices = {Device("\\\\.\\DISPLAY1", "RADEON X800 XT", kAtiId),
                            Device("\\\\.\\DISPLAY2", "Other", kNvidiaId)};
  }
  std::string Mhz(const char* digits, const char* decimals) {
    return std::string(digits) + LocaleDecimalSeparator() + decimals + " MHz";
  }

  testing::ScriptedSeams seams;
  FakeDriver driver;
  SystemInfoSnapshot snapshot;
  bool hadEntry = false;
  std::string createdRoot;
};

TEST_F(AdapterProbeTest, AtiDriverThatAnswersFillsTheAtiBlock) {
  AtiDisplays();
  SetString("SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC", "Bus Type", "AGP 8x (AGP 4x)");
  SetString("SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Type", "GDDR3 (256 bit)");
  driver.memoryClock = 56025;
  driver.engineClock = 52000;
  ProbeAtiAdapter(snapshot);
  EXPECT_TRUE(driver.faults.empty()) << driver.faults.front();
  EXPECT_TRUE(snapshot.AtiFound);
  EXPECT_EQ(snapshot.AtiCardName, "RADEON X800 XT");
  EXPECT_EQ(snapshot.AtiMemoryClock, Mhz("560", "25"));
  EXPECT_EQ(snapshot.AtiVpuClock, Mhz("520", "00"));
  EXPECT_EQ(snapshot.AtiBusType, "AGP 8x ");
  EXPECT_EQ(snapshot.AtiMemoryType, "GDDR3 ");
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"\\\\.\\DISPLAY1 29446 1114131",
                                                    "\\\\.\\DISPLAY1 29446 4194563"}));
}

TEST_F(AdapterProbeTest, AtiQueryFailuresLeaveTheOtherFieldsAlone) {
  struct Case {
    const char* what;
    bool contextCreated;
    int clockResult;
    int memoryResult;
    std::vector<DISPLAY_DEVICEA> devices;
    size_t escapes;
  } cases[] = {
      {"no device context", false, 0, 0, {Device("\\\\.\\DISPLAY1", "A", kAtiId)}, 0},
      {"positive clock answer", true, 1, 0, {Device("\\\\.\\DISPLAY1", "A", kAtiId)}, 1},
      {"negative clock answer", true, -1, 0, {Device("\\\\.\\DISPLAY1", "A", kAtiId)}, 1},
      {"memory not answered", true, 0, 64, {Device("\\\\.\\DISPLAY1", "A", kAtiId)}, 2},
      {"other vendor", true, 0, 0, {Device("\\\\.\\DISPLAY1", "GeForce", kNvidiaId)}, 2},
      {"no display devices", true, 0, 0, {}, 2},
      {"short hardware id", true, 0, 0, {Device("\\\\.\\DISPLAY1", "A", "PCI\\VEN_10")}, 2},
  };
  SetString("SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC", "Bus Type", "PCI Express");
  for (const Case& c : cases) {
    driver = FakeDriver();
    driver.contextCreated = c.contextCreated;
    driver.atiClockResult = c.clockResult;
    driver.atiMemoryResult = c.memoryResult;
    seams.displayDevices = c.devices;
    snapshot.AtiFound = true;
    snapshot.AtiCardName = "old card";
    snapshot.AtiVpuClock = "old vpu";
    snapshot.AtiMemoryClock = "old memory";
    snapshot.AtiBusType = "old bus";
    snapshot.AtiMemoryType = "old type";
    ProbeAtiAdapter(snapshot);
    EXPECT_FALSE(snapshot.AtiFound) << c.what;
    EXPECT_EQ(snapshot.AtiCardName, "old card") << c.what;
    EXPECT_EQ(snapshot.AtiVpuClock, "old vpu") << c.what;
    EXPECT_EQ(snapshot.AtiMemoryClock, "old memory") << c.what;
    EXPECT_EQ(snapshot.AtiBusType, "old bus") << c.what;
    EXPECT_EQ(snapshot.AtiMemoryType, "old type") << c.what;
    EXPECT_EQ(driver.calls.size(), c.escapes) << c.what;
    EXPECT_TRUE(driver.faults.empty()) << c.what;
  }
}

TEST_F(AdapterProbeTest, VendorTestUsesTheFirstDisplayOrElseTheLastDevice) {
  // The first display is found after another device: its own identifier counts.
  seams.displayDevices = {Device("\\\\.\\DISPLAY2", "X", kAtiId),
                          Device("\\\\.\\DISPLAY1", "GeForce", kNvidiaId)};
  ProbeAtiAdapter(snapshot);
  EXPECT_FALSE(snapshot.AtiFound);
  // Without a first display the last device's identifier decides, and the name stays empty.
  seams.displayDevices = {Device("\\\\.\\DISPLAY2", "X", kNvidiaId),
                          Device("\\\\.\\DISPLAY3", "Y", kAtiId)};
  ProbeAtiAdapter(snapshot);
  EXPECT_TRUE(snapshot.AtiFound);
  EXPECT_EQ(snapshot.AtiCardName, "");
  // The name is compared exactly.
  seams.displayDevices = {Device("\\\\.\\display1", "lower", kAtiId),
                          Device("\\\\.\\DISPLAY1x", "longer", kNvidiaId)};
  ProbeAtiAdapter(snapshot);
  EXPECT_FALSE(snapshot.AtiFound);
}

TEST_F(AdapterProbeTest, AtiRegistryEntryAsFarAsItExists) {
  AtiDisplays();
  const std::string asic = "SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC";
  const std::string memory = "SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory";
  auto probe = [&] {
    snapshot.AtiBusType = "old bus";
    snapshot.AtiMemoryType = "old type";
    ProbeAtiAdapter(snapshot);
    EXPECT_TRUE(snapshot.AtiFound);
  };
  // No ASIC key: both texts stay.
  probe();
  EXPECT_EQ(snapshot.AtiBusType, "old bus");
  EXPECT_EQ(snapshot.AtiMemoryType, "old type");
  // ASIC key without "Bus Type", no Memory key: the bus type empties, the memory type stays.
  Create(asic);
  probe();
  EXPECT_EQ(snapshot.AtiBusType, "");
  EXPECT_EQ(snapshot.AtiMemoryType, "old type");
  // Both keys; a type without "(" stays whole, a missing "Type" empties it.
  SetString(asic, "Bus Type", "PCI Express x16");
  Create(memory);
  probe();
  EXPECT_EQ(snapshot.AtiBusType, "PCI Express x16");
  EXPECT_EQ(snapshot.AtiMemoryType, "");
  // A value of another type without content reads as empty text.
  RegKey memoryKey = Create(memory);
  ASSERT_EQ(::RegSetValueExA(memoryKey.Get(), "Type", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  probe();
  EXPECT_EQ(snapshot.AtiMemoryType, "");
}

TEST_F(AdapterProbeTest, NonStringRegistryValueIsTheRegistryError) {
  AtiDisplays();
  RegKey asic = Create("SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC");
  reg::WriteDword(asic.Get(), "Bus Type", 8);
  try {
    ProbeAtiAdapter(snapshot);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Bus Type'");
  }
  RegKey entry = Create(AdapterEntry());
  reg::WriteDword(entry.Get(), "DriverDesc", 1);
  try {
    ProbeDisplayAdapter(snapshot);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'DriverDesc'");
  }
}

TEST_F(AdapterProbeTest, DisplayAdapterWithSixClocks) {
  SetString(AdapterEntry(), "DriverDesc", "Quorvel Test Adapter");
  SixClocks();
  // Entry 2 is the third first value, entry 5 the last second value.
  driver.clocks[2].first = 299500000;
  ProbeDisplayAdapter(snapshot);
  EXPECT_TRUE(driver.faults.empty()) << driver.faults.front();
  EXPECT_TRUE(snapshot.AdapterFound);
  EXPECT_EQ(snapshot.AdapterName, "Quorvel Test Adapter");
  EXPECT_EQ(snapshot.AdapterGpuClock, "300 MHz");
  EXPECT_EQ(snapshot.AdapterMemoryClock, "600 MHz");
  // Each non-zero value is asked twice, each zero one once: 9 escapes per kind of value.
  EXPECT_EQ(driver.calls.size(), 18u);
}

TEST_F(AdapterProbeTest, DisplayAdapterAnswersThatDoNotCount) {
  SetString(AdapterEntry(), "DriverDesc", "Quorvel Test Adapter");
  struct Case {
    const char* what;
    int result;
    std::uint32_t status;
    bool deleted;
    bool contextCreated;
    const char* gpu;
    const char* memory;
  } cases[] = {
      {"escape returns 0", 0, 0, true, true, "old gpu", "old memory"},
      {"status not 0", 1, 5, true, true, "old gpu", "old memory"},
      {"context not deleted", 1, 0, false, true, "old gpu", "old memory"},
      {"no context", 1, 0, true, false, "old gpu", "old memory"},
      {"negative return still counts", -1, 0, true, true, "300 MHz", "600 MHz"},
  };
  for (const Case& c : cases) {
    driver = FakeDriver();
    SixClocks();
    driver.adapterResult = c.result;
    driver.adapterStatus = c.status;
    driver.contextDeleted = c.deleted;
    driver.contextCreated = c.contextCreated;
    snapshot.AdapterGpuClock = "old gpu";
    snapshot.AdapterMemoryClock = "old memory";
    ProbeDisplayAdapter(snapshot);
    EXPECT_TRUE(snapshot.AdapterFound) << c.what;
    EXPECT_EQ(snapshot.AdapterGpuClock, c.gpu) << c.what;
    EXPECT_EQ(snapshot.AdapterMemoryClock, c.memory) << c.what;
  }
}

TEST_F(AdapterProbeTest, ZeroClockOrMissingEntryTurnsTheAdapterBlockOff) {
  SetString(AdapterEntry(), "DriverDesc", "Quorvel Test Adapter");
  for (std::uint32_t i = 0; i < 6; ++i)
    driver.clocks[i] = {i < 3 ? 100000000u : 0u, i >= 3 ? 700000000u : 0u};
  // The first question for index 2 says 1 MHz and every later one 0, so entry 2 is "0".
  int asked2 = 0;
  seams.driverEscape = [&](const std::string& d, int e, const void* q, int qs, void* r, int rs) {
    if (ReadLe32(BlockOf(q, qs), 16, 0) == 2)
      driver.clocks[2].first = asked2++ == 0 ? 1000000u : 0u;
    return driver(d, e, q, qs, r, rs);
  };
  snapshot.AdapterFound = true;
  ProbeDisplayAdapter(snapshot);
  EXPECT_EQ(snapshot.AdapterGpuClock, "0 MHz");
  EXPECT_EQ(snapshot.AdapterMemoryClock, "700 MHz");
  EXPECT_FALSE(snapshot.AdapterFound);

  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, AdapterEntry().c_str());
  snapshot.AdapterFound = true;
  snapshot.AdapterName = "kept";
  ProbeDisplayAdapter(snapshot);
  EXPECT_FALSE(snapshot.AdapterFound);
  EXPECT_EQ(snapshot.AdapterName, "kept");

  // An entry without a description counts as found, with an empty name, unless a clock text
  // left from before reads "0 MHz" (the driver now gives five values, so the texts stay).
  Create(AdapterEntry());
  ProbeDisplayAdapter(snapshot);
  EXPECT_FALSE(snapshot.AdapterFound);
  EXPECT_EQ(snapshot.AdapterName, "");
  snapshot.AdapterGpuClock.clear();
  ProbeDisplayAdapter(snapshot);
  EXPECT_TRUE(snapshot.AdapterFound);
  EXPECT_EQ(snapshot.AdapterMemoryClock, "700 MHz");
}

TEST_F(AdapterProbeTest, ReportHeadProbesFillHostAtiAndAdapterValues) {
  AtiDisplays();
  SetString(AdapterEntry(), "DriverDesc", "Quorvel Test Adapter");
  SixClocks();
  snapshot.CpuName.clear();
  RunReportHeadProbes(THostInfo(), snapshot);
  EXPECT_EQ(snapshot.OperatingSystem, THostOsInfo().ProductName());
  EXPECT_TRUE(snapshot.SystemMemory);
  EXPECT_FALSE(snapshot.CpuName.empty());
  EXPECT_GT(snapshot.CpuSpeed, 0);
  EXPECT_TRUE(snapshot.AtiFound);
  EXPECT_EQ(snapshot.AtiCardName, "RADEON X800 XT");
  EXPECT_TRUE(snapshot.AdapterFound);
  EXPECT_EQ(snapshot.AdapterGpuClock, "300 MHz");
  EXPECT_EQ(snapshot.AdapterMemoryClock, "600 MHz");
  EXPECT_TRUE(driver.faults.empty()) << driver.faults.front();
}

// The real driver and device list of this Wine prefix: the probes run through and report
// what Wine offers, without an error.
TEST(AdapterProbesUnderWine, RealDriverAndRegistry) {
  InstallSeams(nullptr);
  SystemInfoSnapshot s;
  ProbeAtiAdapter(s);
  ProbeDisplayAdapter(s);
  if (reg::KeyExists(HKEY_LOCAL_MACHINE, kDisplayAdapterKey)) {
    RegKey entry = reg::Open(HKEY_LOCAL_MACHINE, kDisplayAdapterKey);
    EXPECT_EQ(s.AdapterName, reg::ReadString(entry.Get(), "DriverDesc").value_or(""));
  } else {
    EXPECT_FALSE(s.AdapterFound);
  }
  // Wine's display driver does not implement these private escapes.
  EXPECT_EQ(AskAdapterClock(0, false), 0u);
}

}  // namespace
}  // namespace quorvel::sysinfo
