#include "sysinfo/adapter_probes.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvel::sysinfo {
namespace {

TEST(AdapterProbes, LittleEndianFieldsAreBoundsChecked) {
  const std::uint8_t bytes[] = {0x78, 0x56, 0x34, 0x12, 0xFF, 0xEE};
  EXPECT_EQ(ReadLe32(bytes, sizeof(bytes), 0), 0x12345678u);
  EXPECT_EQ(ReadLe32(bytes, sizeof(bytes), 2), 0xEEFF1234u);
  EXPECT_EQ(ReadLe32(bytes, sizeof(bytes), 3), 0u);  // would end past the data
  EXPECT_EQ(ReadLe32(bytes, sizeof(bytes), 100), 0u);
  EXPECT_EQ(ReadLe32(bytes, sizeof(bytes), SIZE_MAX - 1), 0u);
  EXPECT_EQ(ReadLe32(nullptr, 8, 0), 0u);
  std::uint8_t out[5] = {};
  WriteLe32(out, sizeof(out), 2, 0xAABBCCDD);  // does not fit: nothing written
  WriteLe32(out, sizeof(out), 1, 0x01020304);
  EXPECT_EQ((std::vector<std::uint8_t>(out, out + 5)), (std::vector<std::uint8_t>{0, 4, 3, 2, 1}));
}

TEST(AdapterProbes, AtiRecords) {
  auto clock = AtiRequest(kAtiClockFunction);
  EXPECT_EQ(ReadLe32(clock.data(), clock.size(), 0), 16u);
  EXPECT_EQ(ReadLe32(clock.data(), clock.size(), 4), 0x00110013u);
  EXPECT_EQ(ReadLe32(clock.data(), clock.size(), 8), 0u);
  EXPECT_EQ(ReadLe32(clock.data(), clock.size(), 12), 0u);
  auto memory = AtiRequest(kAtiMemoryFunction);
  EXPECT_EQ(ReadLe32(memory.data(), memory.size(), 4), 0x00400103u);
  std::vector<std::uint8_t> reply = AtiReply(kAtiClockReplySize);
  ASSERT_EQ(reply.size(), 80u);
  EXPECT_EQ(ReadLe32(reply.data(), reply.size(), 0), 80u);
  for (size_t i = 4; i < reply.size(); ++i) EXPECT_EQ(reply[i], 0) << i;
  EXPECT_EQ(AtiReply(kAtiMemoryReplySize).size(), 64u);
}

TEST(AdapterProbes, AtiClockTexts) {
  struct Case {
    std::uint32_t raw;
    char separator;
    const char* text;
  } cases[] = {
      {40000, '.', "400.00 MHz"},
      {52025, ',', "520,25 MHz"},
      {0, '.', "0.00 MHz"},
      {7, '.', "0.07 MHz"},
      {4294967295u, '.', "42949672.95 MHz"},
  };
  for (const Case& c : cases) EXPECT_EQ(AtiClockText(c.raw, c.separator), c.text);
}

TEST(AdapterProbes, AtiVendorInHardwareId) {
  struct Case {
    std::string id;
    bool ati;
  } cases[] = {
      {"PCI\\VEN_1002&DEV_4A50&SUBSYS_00021002", true},
      {"PCI\\VEN_10DE&DEV_0041", false},
      {"PCI\\VEN_1002", true},
      {"PCI\\VEN_100", false},
      {"", false},
      {"xxxxxxxx1002", true},  // only the position counts
      {"PCI\\VEN_1002&", true},
  };
  for (const Case& c : cases) {
    char field[128] = {};
    c.id.copy(field, sizeof(field));
    EXPECT_EQ(IsAtiHardwareId(field, sizeof(field)), c.ati) << c.id;
  }
  // A field that is full to its end without a NUL is read only up to its end.
  char full[12];
  std::string("PCI\\VEN_1002").copy(full, sizeof(full));
  EXPECT_TRUE(IsAtiHardwareId(full, sizeof(full)));
  EXPECT_FALSE(IsAtiHardwareId(full, 11));
  EXPECT_EQ(FieldText(full, sizeof(full)), "PCI\\VEN_1002");
  EXPECT_EQ(FieldText(nullptr, 5), "");
}

TEST(AdapterProbes, CutBeforeParenthesis) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"AGP 8x (AGP 4x)", "AGP 8x "}, {"PCI Express", "PCI Express"}, {"(x)", ""}, {"", ""},
      {"DDR3 (256)(2)", "DDR3 "},
  };
  for (const Case& c : cases) EXPECT_EQ(CutBeforeParenthesis(c.in), c.out);
}

TEST(AdapterProbes, AdapterClockRequestRecords) {
  auto request = AdapterClockRequest(0x1122334455667788ull);
  const std::uint32_t want[8] = {0, 0, 494, 0, 0x55667788u, 0x11223344u, 16, 0};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(ReadLe32(request.data(), request.size(), 4 * i), want[i]) << i;
  // An address below 4 GB gives the layout with its spare field 0.
  auto low = AdapterClockRequest(0x00401000ull);
  EXPECT_EQ(ReadLe32(low.data(), low.size(), 16), 0x00401000u);
  EXPECT_EQ(ReadLe32(low.data(), low.size(), 20), 0u);
  auto block = AdapterClockBlock(5);
  EXPECT_EQ(ReadLe32(block.data(), block.size(), 0), 5u);
  for (int offset : {4, 8, 12}) EXPECT_EQ(ReadLe32(block.data(), block.size(), offset), 0u);
}

TEST(AdapterProbes, DriverClockTexts) {
  struct Case {
    std::uint32_t hz;
    const char* text;
  } cases[] = {{399500000, "400"}, {399499999, "399"}, {499999, "0"},
               {500000, "1"},      {0, "0"},           {4294967295u, "4295"}};
  for (const Case& c : cases) EXPECT_EQ(DriverClockText(c.hz), c.text) << c.hz;
}

// Answers per (index, second) pair; each pair may answer differently the second time.
struct ScriptedClocks {
  std::map<std::pair<std::uint32_t, bool>, std::vector<std::uint32_t>> answers;
  std::map<std::pair<std::uint32_t, bool>, size_t> asked;
  std::uint32_t operator()(std::uint32_t index, bool second) {
    auto key = std::make_pair(index, second);
    size_t n = asked[key]++;
    auto it = answers.find(key);
    if (it == answers.end() || it->second.empty()) return 0;
    return it->second[std::min(n, it->second.size() - 1)];
  }
};

TEST(AdapterProbes, ScratchListAsksAgainOnlyForNonZeroTexts) {
  ScriptedClocks clocks;
  clocks.answers[{0, false}] = {100000000};
  clocks.answers[{1, false}] = {250000};  // "0": skipped, not asked again
  clocks.answers[{2, false}] = {399500000};
  clocks.answers[{3, false}] = {1000000, 0};  // the repeat says 0: listed as "0"
  clocks.answers[{1, true}] = {700000000, 700400000};
  clocks.answers[{5, true}] = {600000000};
  std::vector<std::string> entries =
      CollectAdapterClocks([&](std::uint32_t i, bool s) { return clocks(i, s); });
  EXPECT_EQ(entries, (std::vector<std::string>{"100", "400", "0", "700", "600"}));
  EXPECT_EQ((clocks.asked[{1, false}]), 1u);
  EXPECT_EQ((clocks.asked[{2, false}]), 2u);
  EXPECT_EQ((clocks.asked[{4, true}]), 1u);
  EXPECT_EQ((clocks.asked[{1, true}]), 2u);
}

TEST(AdapterProbes, TakingTheClocks) {
  struct Case {
    std::vector<std::string> entries;
    const char* gpuBefore;
    const char* memoryBefore;
    bool foundBefore;
    const char* gpu;
    const char* memory;
    bool found;
  } cases[] = {
      {{"1", "2", "400", "4", "5", "550"}, "", "", true, "400 MHz", "550 MHz", true},
      // Any other count keeps the earlier texts.
      {{"1", "2", "3", "4", "5"}, "", "", true, "", "", true},
      {{}, "300 MHz", "500 MHz", true, "300 MHz", "500 MHz", true},
      {{"1", "2", "3", "4", "5", "6", "7"}, "1 MHz", "2 MHz", true, "1 MHz", "2 MHz", true},
      // "0 MHz" in either text turns the adapter block off.
      {{"1", "2", "0", "4", "5", "550"}, "", "", true, "0 MHz", "550 MHz", false},
      {{"1", "2", "400", "4", "5", "0"}, "", "", true, "400 MHz", "0 MHz", false},
      {{}, "0 MHz", "500 MHz", true, "0 MHz", "500 MHz", false},
      // A flag already false stays false.
      {{"1", "2", "400", "4", "5", "550"}, "", "", false, "400 MHz", "550 MHz", false},
  };
  for (const Case& c : cases) {
    SystemInfoSnapshot s;
    s.AdapterGpuClock = c.gpuBefore;
    s.AdapterMemoryClock = c.memoryBefore;
    s.AdapterFound = c.foundBefore;
    TakeAdapterClocks(s, c.entries);
    EXPECT_EQ(s.AdapterGpuClock, c.gpu);
    EXPECT_EQ(s.AdapterMemoryClock, c.memory);
    EXPECT_EQ(s.AdapterFound, c.found);
  }
}

}  // namespace
}  // namespace quorvel::sysinfo
