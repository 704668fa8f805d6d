#include "sysinfo/host_probes.h"

#include "sysinfo/number_text.h"

namespace quorvel::sysinfo {

std::optional<std::string> SystemMemoryText(std::uint64_t bytes, char decimalSeparator) {
  size_t digits = std::to_string(bytes).size();
  // A 64-bit program can see more than the 10 digits of a 32-bit count; every larger size is
  // shown in GB as well.
  if (digits >= 10) return FormatQuotient(bytes, 1073741824ull, 1, decimalSeparator) + " GB ";
  if (digits >= 8) return FormatQuotient(bytes, 1048576ull, 2, decimalSeparator) + " MB ";
  return std::nullopt;
}

namespace {

enum class Vendor { Intel, Amd, Cyrix, Centaur, Transmeta, Other };

struct VendorEntry {
  const char* id;
  Vendor vendor;
  const char* manufacturer;
};

constexpr VendorEntry kVendors[] = {
    {"GenuineIntel", Vendor::Intel, "Intel"},         {"AuthenticAMD", Vendor::Amd, "AMD"},
    {"CyrixInstead", Vendor::Cyrix, "Cyrix"},         {"CentaurHauls", Vendor::Centaur, "Centaur"},
    {"GenuineTMx86", Vendor::Transmeta, "Transmeta"},
};

// Names of processors that predate the brand text, by base family and model (-1: any model).
struct TableEntry {
  Vendor vendor;
  std::uint32_t family;
  int model;
  const char* name;
};

constexpr TableEntry kNames[] = {
    {Vendor::Intel, 4, 2, "Intel 486SX Processor"},
    {Vendor::Intel, 4, 3, "Intel 486DX2 Processor"},
    {Vendor::Intel, 4, 8, "Intel 486DX4 Processor"},
    {Vendor::Intel, 4, -1, "Intel 486DX Processor"},
    {Vendor::Intel, 5, 4, "Pentium MMX"},
    {Vendor::Intel, 5, -1, "Pentium"},
    {Vendor::Intel, 6, 1, "Pentium Pro"},
    {Vendor::Intel, 6, 3, "Pentium II"},
    {Vendor::Intel, 6, 5, "Pentium II"},
    {Vendor::Intel, 6, 6, "Celeron"},
    {Vendor::Intel, 6, 7, "Pentium III"},
    {Vendor::Intel, 6, 8, "Pentium III"},
    {Vendor::Intel, 6, 10, "Xeon"},
    {Vendor::Intel, 6, 11, "Pentium III"},
    {Vendor::Intel, 15, -1, "Pentium 4"},
    {Vendor::Amd, 4, -1, "Am486 or Am5x86"},
    {Vendor::Amd, 5, 0, "K5"},
    {Vendor::Amd, 5, 1, "K5"},
    {Vendor::Amd, 5, 2, "K5"},
    {Vendor::Amd, 5, 3, "K5"},
    {Vendor::Amd, 5, 6, "K6"},
    {Vendor::Amd, 5, 7, "K6"},
    {Vendor::Amd, 5, 8, "K6-2"},
    {Vendor::Amd, 5, 9, "K6-III"},
    {Vendor::Amd, 6, 3, "Duron"},
    {Vendor::Amd, 6, -1, "Athlon"},
    {Vendor::Cyrix, 4, -1, "Cyrix 5x86"},
    {Vendor::Cyrix, 5, -1, "Cyrix 6x86"},
    {Vendor::Cyrix, 6, -1, "Cyrix 6x86MX"},
    {Vendor::Centaur, 5, 4, "WinChip C6"},
    {Vendor::Centaur, 5, 8, "WinChip 2"},
    {Vendor::Centaur, 5, 9, "WinChip 3"},
    {Vendor::Centaur, 6, -1, "VIA C3"},
    {Vendor::Transmeta, 5, -1, "Crusoe"},
    {Vendor::Transmeta, 15, -1, "Efficeon"},
};

std::string TableName(Vendor vendor, std::uint32_t family, std::uint32_t model) {
  for (const TableEntry& e : kNames)
    if (e.vendor == vendor && e.family == family &&
        (e.model < 0 || static_cast<std::uint32_t>(e.model) == model))
      return e.name;
  return "Unknown";
}

void AppendRegister(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

ProcessorRecord IdentifyProcessor(bool hasInstruction, const CpuidFunction& cpuid) {
  ProcessorRecord record;
  if (!hasInstruction || !cpuid) return record;
  record.HasInstruction = true;

  CpuidRegisters leaf0 = cpuid(0);
  record.HighestLeaf = leaf0.eax;
  AppendRegister(record.VendorIDString, leaf0.ebx);
  AppendRegister(record.VendorIDString, leaf0.edx);
  AppendRegister(record.VendorIDString, leaf0.ecx);

  Vendor vendor = Vendor::Other;
  for (const VendorEntry& e : kVendors)
    if (record.VendorIDString == e.id) {
      vendor = e.vendor;
      record.Manufacturer = e.manufacturer;
    }

  std::uint32_t baseFamily = 0;
  std::uint32_t baseModel = 0;
  if (record.HighestLeaf >= 1) {
    CpuidRegisters leaf1 = cpuid(1);
    baseFamily = (leaf1.eax >> 8) & 0xF;
    baseModel = (leaf1.eax >> 4) & 0xF;
    record.Stepping = leaf1.eax & 0xF;
    record.Family = baseFamily == 0xF ? baseFamily + ((leaf1.eax >> 20) & 0xFF) : baseFamily;
    record.Model = (baseFamily == 0x6 || baseFamily == 0xF)
                       ? baseModel + (((leaf1.eax >> 16) & 0xF) << 4)
                       : baseModel;
    record.Features = leaf1.edx;
  }
  if (vendor == Vendor::Other) return record;

  // Without extended leaves, CPUID answers 0x80000000 with some basic leaf's data instead.
  CpuidRegisters extended = cpuid(0x80000000u);
  if ((extended.eax & 0x80000000u) && extended.eax > 0x80000000u)
    record.HighestExtendedLeaf = extended.eax;

  std::string brand;
  for (std::uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
    if (record.HighestExtendedLeaf < leaf) break;
    CpuidRegisters r = cpuid(leaf);
    AppendRegister(brand, r.eax);
    AppendRegister(brand, r.ebx);
    AppendRegister(brand, r.ecx);
    AppendRegister(brand, r.edx);
  }
  size_t nul = brand.find('\0');
  if (nul != std::string::npos) brand.resize(nul);
  // A processor whose extended leaves stop short of the brand text gets its table name too.
  record.Name = brand.empty() ? TableName(vendor, baseFamily, baseModel) : brand;
  return record;
}

bool HasTimeStampCounter(const ProcessorRecord& record) {
  return record.HasInstruction && (record.Features & (1u << 4)) != 0;
}

}  // namespace quorvel::sysinfo
