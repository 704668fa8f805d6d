#pragma once
// The machine description that the report head prints. Lives from the program's start to
// its end; nothing resets it between series.
#include <optional>
#include <string>

namespace quorvel {

struct SystemInfoSnapshot {
  // Host (filled while the report head is written).
  std::string OperatingSystem;               // "" when unknown
  std::optional<std::string> SystemMemory;   // absent below 8 digits of bytes
  std::string CpuName = "Unknown";
  int CpuSpeed = 0;                          // MHz
  // From the diagnostics report (cached in the settings key, except CardName).
  std::string SoundDevice;
  std::string CardName;
  std::string DisplayMemory;
  std::string DriverVersion;
  // ATI driver block.
  bool AtiFound = false;
  std::string AtiCardName;
  std::string AtiBusType;
  std::string AtiMemoryType;
  std::string AtiVpuClock;
  std::string AtiMemoryClock;
  // Display adapter block.
  bool AdapterFound = false;
  std::string AdapterName;
  std::string AdapterGpuClock;
  std::string AdapterMemoryClock;
};

}  // namespace quorvel
