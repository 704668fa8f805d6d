#include "sysinfo/host_probes_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/registry_win.h"

namespace quorvel::sysinfo {
namespace {

constexpr const char* kVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";

// Puts the product name back as the prefix had it.
class ProductNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key = reg::Open(HKEY_LOCAL_MACHINE, kVersionKey, KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key);
    original = reg::ReadString(key.Get(), "ProductName");
  }
  void TearDown() override {
    if (original)
      reg::WriteString(key.Get(), "ProductName", *original);
    else
      ::RegDeleteValueA(key.Get(), "ProductName");
  }
  RegKey key;
  std::optional<std::string> original;
};

TEST_F(ProductNameTest, ReadsTheRegistryAndFallsBackToEmpty) {
  ASSERT_TRUE(original) << "Wine names its product";
  EXPECT_EQ(THostOsInfo().ProductName(), *original);
  EXPECT_NE(original->find("Windows"), std::string::npos);

  reg::WriteString(key.Get(), "ProductName", "Quorvel Test Windows");
  EXPECT_EQ(THostOsInfo().ProductName(), "Quorvel Test Windows");
  // A value of the wrong type is no error here: the probe only falls back.
  reg::WriteDword(key.Get(), "ProductName", 7);
  EXPECT_EQ(THostOsInfo().ProductName(), "");
  ::RegDeleteValueA(key.Get(), "ProductName");
  EXPECT_EQ(THostOsInfo().ProductName(), "");
}

TEST(HostProbes, MemoryIsTheWholeInstalledSize) {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  ASSERT_TRUE(::GlobalMemoryStatusEx(&status));
  std::uint64_t total = THostMemInfo().TotalPhysicalMemory();
  EXPECT_EQ(total, status.ullTotalPhys);
  EXPECT_GT(total, 64ull * 1024 * 1024);
  SystemInfoSnapshot s;
  THostInfo host;
  ReadHostProbes(host, s);
  ASSERT_TRUE(s.SystemMemory);
  // The text read back as a number gives the installed size to its last shown digit: a size
  // cut to 32 bits or taken from the free memory would be far off.
  std::string text = *s.SystemMemory;
  bool gigabytes = text.size() > 4 && text.compare(text.size() - 4, 4, " GB ") == 0;
  bool megabytes = text.size() > 4 && text.compare(text.size() - 4, 4, " MB ") == 0;
  ASSERT_TRUE(gigabytes || megabytes) << text;
  std::string number = text.substr(0, text.size() - 4);
  size_t separator = number.find(LocaleDecimalSeparator());
  ASSERT_NE(separator, std::string::npos) << text;
  number[separator] = '.';
  double shown = std::strtod(number.c_str(), nullptr);
  double unit = gigabytes ? 1073741824.0 : 1048576.0;
  double halfLastDigit = gigabytes ? 0.05 : 0.005;
  EXPECT_NEAR(shown, static_cast<double>(total) / unit, halfLastDigit + 1e-9) << text;
  EXPECT_EQ(s.OperatingSystem, THostOsInfo().ProductName());
}

TEST(HostProbes, ProcessorNameAndClockArePlausible) {
  THostCpuInfo cpu;
  ProcessorRecord record = cpu.Record();
  EXPECT_TRUE(record.HasInstruction);
  EXPECT_EQ(record.VendorIDString.size(), 12u);
  EXPECT_TRUE(HasTimeStampCounter(record));
  EXPECT_FALSE(record.Name.empty());
  EXPECT_LE(record.Name.size(), 48u);
  EXPECT_GE(record.RawFreq, 200u);
  EXPECT_LE(record.RawFreq, 10000u);
  EXPECT_EQ(SnapClock(record.NormFreq), record.NormFreq) << "ends in a usual clock";
  // Two separate measurements of the same processor land within a few percent.
  std::uint32_t again = cpu.NormFreq();
  EXPECT_NEAR(static_cast<double>(again), record.NormFreq, record.NormFreq * 0.1);
  EXPECT_EQ(cpu.Name(), record.Name);
  SystemInfoSnapshot s;
  ReadHostProbes(THostInfo(), s);
  EXPECT_EQ(s.CpuName, record.Name);
  EXPECT_GT(s.CpuSpeed, 0);
}

TEST(HostProbes, MeasurementPutsTheThreadPriorityBack) {
  HANDLE thread = ::GetCurrentThread();
  int before = ::GetThreadPriority(thread);
  for (int priority : {THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL}) {
    ASSERT_TRUE(::SetThreadPriority(thread, priority));
    WindowsClockSampler sampler;
    sampler.BeginSample();
    int during = ::GetThreadPriority(thread);
    sampler.EndSample();
    EXPECT_EQ(::GetThreadPriority(thread), priority);
    ClockMeasurement m = MeasureClock(sampler);
    EXPECT_GE(m.Samples, 3);
    EXPECT_LE(m.Samples, 20);
    EXPECT_EQ(::GetThreadPriority(thread), priority);
    // The samples are taken at time-critical priority.
    EXPECT_EQ(during, THREAD_PRIORITY_TIME_CRITICAL);
  }
  ::SetThreadPriority(thread, before);
}

}  // namespace
}  // namespace quorvel::sysinfo
