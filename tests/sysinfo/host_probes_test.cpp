#include "sysinfo/host_probes.h"

#include <gtest/gtest.h>

#include <map>

#include "sysinfo/clock_measurement.h"
#include "sysinfo/number_text.h"

namespace quorvel::sysinfo {
namespace {

TEST(HostProbes, MemoryTextByDigitCount) {
  struct Case {
    std::uint64_t bytes;
    char separator;
    std::optional<std::string> text;
  } cases[] = {
      {4294967295ull, '.', "4.0 GB "},
      {1073741824ull, '.', "1.0 GB "},
      {536870912ull, '.', "512.00 MB "},
      {99999999ull, '.', "95.37 MB "},
      {9999999ull, '.', std::nullopt},
      {0, '.', std::nullopt},
      {10000000ull, '.', "9.54 MB "},
      {999999999ull, '.', "953.67 MB "},
      {1000000000ull, '.', "0.9 GB "},
      {536870912ull, ',', "512,00 MB "},
      // Exact halves round away from zero: 1.25 GB and 100.125 MB.
      {1342177280ull, '.', "1.3 GB "},
      {104988672ull, '.', "100.13 MB "},
      // Sizes a 64-bit program sees beyond 32 bits.
      {17179869184ull, '.', "16.0 GB "},
      {68719476736ull, ',', "64,0 GB "},
      {18446744073709551615ull, '.', "17179869184.0 GB "},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemMemoryText(c.bytes, c.separator), c.text) << c.bytes;
}

TEST(HostProbes, QuotientTextsRoundHalvesAwayFromZero) {
  struct Case {
    std::uint64_t n, d;
    int decimals;
    const char* text;
  } cases[] = {
      {1, 3, 2, "0.33"},
      {2, 3, 2, "0.67"},
      {5, 10, 0, "1"},
      {15, 10, 0, "2"},
      {25, 10, 0, "3"},
      {0, 7, 2, "0.00"},
      {1, 200, 2, "0.01"},
      {7, 0, 2, "0"},
      {123456, 100, 2, "1234.56"},
      {399500000, 1000000, 0, "400"},
      {499999, 1000000, 0, "0"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatQuotient(c.n, c.d, c.decimals, '.'), c.text) << c.n << "/" << c.d;
}

TEST(HostProbes, RoundHalfEven) {
  struct Case {
    double in, out;
  } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4, 2}, {2.6, 3}, {7, 7}};
  for (const Case& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(ClockMeasurement, SnappingToUsualEndings) {
  struct Case {
    std::uint32_t in, out;
  } cases[] = {
      {2399, 2400}, {1845, 1850}, {1841, 1833}, {1810, 1820}, {1866, 1866}, {3000, 3000},
      {2400, 2400}, {1820, 1820}, {1833, 1833}, {1850, 1850}, {1860, 1860}, {1880, 1880},
      {1890, 1890}, {27, 33},     {26, 20},     {95, 100},    {94, 90},     {0, 0},
      {63, 66},     {73, 80},     {58, 60},     {41, 33},     {42, 50},
  };
  for (const Case& c : cases) EXPECT_EQ(SnapClock(c.in), c.out) << c.in;
}

TEST(ClockMeasurement, NormalizingTotals) {
  struct Case {
    std::uint64_t cycles;
    double microseconds;
    std::uint32_t raw, norm;
  } cases[] = {
      {2399600, 1000, 2400, 2400},
      {1841000, 1000, 1841, 1833},
      // RawFreq rounds an exact half to even, not away from zero.
      {1810500, 1000, 1810, 1820},
      {1811500, 1000, 1812, 1820},
      {3192400, 1000, 3192, 3190},
      {0, 1000, 0, 0},
      {1000, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ClockMeasurement m = NormalizeClock(c.cycles, c.microseconds);
    EXPECT_EQ(m.RawFreq, c.raw) << c.cycles;
    EXPECT_EQ(m.NormFreq, c.norm) << c.cycles;
  }
}

// A 1 MHz performance counter that advances one tick per read, and a time-stamp counter that
// runs at the clock scripted for the current sample.
class ScriptedSampler : public ClockSampler {
 public:
  explicit ScriptedSampler(std::vector<std::int64_t> mhzPerSample)
      : mhz_(std::move(mhzPerSample)) {}
  std::int64_t Frequency() override { return frequency; }
  std::int64_t PerformanceCounter() override { return ++tick_; }
  std::uint64_t TimeStamp() override {
    if (!inside_) ++readsOutside;
    std::int64_t rate = mhz_[std::min<size_t>(begins, mhz_.size()) - 1];
    stamp_ += static_cast<std::uint64_t>(rate * (tick_ - lastTick_));
    lastTick_ = tick_;
    return stamp_;
  }
  void BeginSample() override {
    ++begins;
    inside_ = true;
  }
  void EndSample() override {
    ++ends;
    inside_ = false;
  }
  std::int64_t frequency = 1000000;
  size_t begins = 0;
  size_t ends = 0;
  int readsOutside = 0;

 private:
  std::vector<std::int64_t> mhz_;
  std::int64_t tick_ = 1000;
  std::int64_t lastTick_ = 1000;
  std::uint64_t stamp_ = 5000000;
  bool inside_ = false;
};

TEST(ClockMeasurement, SamplesUntilThreeResultsAgreeWithinOneMegahertz) {
  std::vector<std::int64_t> alternating;
  for (int i = 0; i < 25; ++i) alternating.push_back(i % 2 ? 2410 : 2400);
  struct Case {
    std::vector<std::int64_t> mhz;
    int samples;
    std::uint32_t norm;
  } cases[] = {
      {{2400, 2400, 2400}, 3, 2400},
      {{2400, 2401, 2400}, 3, 2400},
      {{2400, 2402, 2400, 2400, 2400}, 5, 2400},
      {{2500, 2400, 2400, 2400}, 4, 2420},
      {alternating, 20, 2400},
  };
  for (const Case& c : cases) {
    ScriptedSampler sampler(c.mhz);
    ClockMeasurement m = MeasureClock(sampler);
    EXPECT_EQ(m.Samples, c.samples);
    EXPECT_EQ(m.NormFreq, c.norm);
    EXPECT_EQ(sampler.begins, static_cast<size_t>(c.samples));
    EXPECT_EQ(sampler.ends, sampler.begins);
    EXPECT_EQ(sampler.readsOutside, 0) << "time stamps read outside a raised sample";
    // Each sample spans exactly 1 000 ticks of the 1 MHz counter, i.e. 1 000 microseconds.
    EXPECT_DOUBLE_EQ(m.TotalMicroseconds, 1000.0 * c.samples);
  }
}

TEST(ClockMeasurement, UsesThePerformanceCounterFrequency) {
  // A 10 MHz counter: 1 000 ticks are 100 microseconds.
  ScriptedSampler sampler({3000, 3000, 3000});
  sampler.frequency = 10000000;
  ClockMeasurement m = MeasureClock(sampler);
  EXPECT_EQ(m.Samples, 3);
  EXPECT_DOUBLE_EQ(m.TotalMicroseconds, 300.0);
  // The scripted rate is per tick, so 3 000 cycles per 0.1 microsecond tick is 30 000 MHz.
  EXPECT_EQ(m.RawFreq, 30000u);
}

TEST(ClockMeasurement, NoPerformanceCounterGivesZero) {
  ScriptedSampler sampler({2400});
  sampler.frequency = 0;
  ClockMeasurement m = MeasureClock(sampler);
  EXPECT_EQ(m.Samples, 0);
  EXPECT_EQ(m.RawFreq, 0u);
  EXPECT_EQ(m.NormFreq, 0u);
  EXPECT_EQ(sampler.begins, 0u);
}

// A time-stamp counter that runs backwards (as after a core switch) must not overflow.
class BackwardsSampler : public ClockSampler {
 public:
  std::int64_t Frequency() override { return 3; }
  std::int64_t PerformanceCounter() override { return tick_ += 7; }
  std::uint64_t TimeStamp() override { return stamp_ -= 977; }

 private:
  std::int64_t tick_ = 0;
  std::uint64_t stamp_ = 1000000;
};

TEST(ClockMeasurement, WildCountersStayWithinBounds) {
  BackwardsSampler sampler;
  ClockMeasurement m = MeasureClock(sampler);
  EXPECT_GE(m.Samples, 3);
  EXPECT_LE(m.Samples, 20);
}

// CPUID answers from a table; leaves it lacks answer zero.
CpuidFunction Table(std::map<std::uint32_t, CpuidRegisters> leaves, int* calls = nullptr) {
  return [leaves, calls](std::uint32_t leaf) {
    if (calls) ++*calls;
    auto it = leaves.find(leaf);
    return it == leaves.end() ? CpuidRegisters{} : it->second;
  };
}

std::uint32_t Le(const char* four) {
  return static_cast<std::uint8_t>(four[0]) | (static_cast<std::uint8_t>(four[1]) << 8) |
         (static_cast<std::uint8_t>(four[2]) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(four[3])) << 24);
}

CpuidRegisters Vendor(const char* twelve, std::uint32_t highest) {
  return {highest, Le(twelve), Le(twelve + 8), Le(twelve + 4)};
}

// Brand leaves from a 48-byte text (padded with NULs).
void PutBrand(std::map<std::uint32_t, CpuidRegisters>& leaves, std::string brand) {
  brand.resize(48, '\0');
  for (int i = 0; i < 3; ++i) {
    const char* p = brand.data() + 16 * i;
    leaves[0x80000002u + i] = {Le(p), Le(p + 4), Le(p + 8), Le(p + 12)};
  }
}

TEST(HostProbes, ProcessorIdentification) {
  const std::string brand = "Intel(R) Core(TM)2 CPU 6600 @ 2.40GHz";
  struct Case {
    const char* what;
    std::map<std::uint32_t, CpuidRegisters> leaves;
    std::string name;
    std::string manufacturer;
    std::uint32_t family, model;
  };
  std::vector<Case> cases;
  {
    Case c{"brand text", {}, brand, "Intel", 6, 15};
    c.leaves[0] = Vendor("GenuineIntel", 10);
    c.leaves[1] = {0x000006F6, 0, 0, 0x00000010};
    c.leaves[0x80000000u] = {0x80000008u, 0, 0, 0};
    PutBrand(c.leaves, brand);
    cases.push_back(c);
  }
  {
    // The highest extended leaf stops after the second brand leaf.
    Case c{"short brand", {}, "AMD Athlon(tm) 64 Processor 3500", "AMD", 15, 47};
    c.leaves[0] = Vendor("AuthenticAMD", 1);
    c.leaves[1] = {0x00020FF0, 0, 0, 0x10};
    c.leaves[0x80000000u] = {0x80000003u, 0, 0, 0};
    PutBrand(c.leaves, "AMD Athlon(tm) 64 Processor 3500+");
    cases.push_back(c);
  }
  {
    Case c{"48 characters without a NUL", {}, std::string(48, 'Z'), "Intel", 15, 2};
    c.leaves[0] = Vendor("GenuineIntel", 2);
    c.leaves[1] = {0x00000F20, 0, 0, 0x10};
    c.leaves[0x80000000u] = {0x80000004u, 0, 0, 0};
    PutBrand(c.leaves, std::string(48, 'Z'));
    cases.push_back(c);
  }
  {
    // No extended leaves: CPUID repeats a basic leaf, and the name comes from the table.
    Case c{"table name", {}, "Pentium III", "Intel", 6, 7};
    c.leaves[0] = Vendor("GenuineIntel", 2);
    c.leaves[1] = {0x00000673, 0, 0, 0x10};
    c.leaves[0x80000000u] = {0x00000002u, 0x0101, 0, 0};
    cases.push_back(c);
  }
  {
    Case c{"unknown vendor", {}, "Unknown", "Unknown", 6, 1};
    c.leaves[0] = Vendor("SomeNewChips", 1);
    c.leaves[1] = {0x00000610, 0, 0, 0x10};
    c.leaves[0x80000000u] = {0x80000004u, 0, 0, 0};
    PutBrand(c.leaves, "Some New Chip");
    cases.push_back(c);
  }
  for (const Case& c : cases) {
    ProcessorRecord r = IdentifyProcessor(true, Table(c.leaves));
    EXPECT_TRUE(r.HasInstruction) << c.what;
    EXPECT_EQ(r.Name, c.name) << c.what;
    EXPECT_EQ(r.Manufacturer, c.manufacturer) << c.what;
    EXPECT_EQ(r.Family, c.family) << c.what;
    EXPECT_EQ(r.Model, c.model) << c.what;
    EXPECT_TRUE(HasTimeStampCounter(r)) << c.what;
    EXPECT_EQ(r.RawFreq, 0u);
  }
}

TEST(HostProbes, NoCpuidInstruction) {
  int calls = 0;
  ProcessorRecord r = IdentifyProcessor(false, Table({}, &calls));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(r.HasInstruction);
  EXPECT_EQ(r.Name, "Unknown");
  EXPECT_FALSE(HasTimeStampCounter(r));
}

TEST(HostProbes, TimeStampCounterFlag) {
  std::map<std::uint32_t, CpuidRegisters> leaves;
  leaves[0] = Vendor("GenuineIntel", 1);
  leaves[1] = {0x00000525, 0, 0, 0xFFFFFFEF};  // every feature but the time-stamp counter
  EXPECT_FALSE(HasTimeStampCounter(IdentifyProcessor(true, Table(leaves))));
  EXPECT_EQ(IdentifyProcessor(true, Table(leaves)).Name, "Pentium");
}

}  // namespace
}  // namespace quorvel::sysinfo
