#pragma once
// The machine a report is written for in tests and the report benchmark: an ATI card that
// both the ATI driver and the adapter probes answer for, so every line of the head is filled.
#include "sysinfo/system_info.h"

namespace quorvel::bench_test {

inline SystemInfoSnapshot AtiMachine() {
  SystemInfoSnapshot info;
  info.OperatingSystem = "Microsoft Windows XP";
  info.SystemMemory = "2.0 GB ";
  info.CpuName = "AMD Athlon(tm) 64 Processor 3500+";
  info.CpuSpeed = 2200;
  info.SoundDevice = "Realtek HD Audio";
  info.CardName = " RADEON X800 XT (dxdiag)";
  info.DisplayMemory = " 256.0 MB";
  info.DriverVersion = " 6.14.10.6614";
  info.AtiFound = true;
  info.AtiCardName = "RADEON X800 XT";
  info.AtiBusType = "PCI Express x16";
  info.AtiMemoryType = "GDDR3";
  info.AtiVpuClock = "500.00 MHz";
  info.AtiMemoryClock = "500.00 MHz";
  info.AdapterFound = true;
  info.AdapterName = "RADEON X800 XT (Omega)";
  info.AdapterGpuClock = "520 MHz";
  info.AdapterMemoryClock = "560 MHz";
  return info;
}

}  // namespace quorvel::bench_test
