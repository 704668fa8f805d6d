#include "sysinfo/diagnostics_values.h"

namespace quorvel::sysinfo {

namespace {
std::string OrNoInformation(std::string text) {
  return text.empty() ? std::string(kNoInformation) : text;
}

bool Cacheable(const std::optional<std::string>& value) { return value && !value->empty(); }
}  // namespace

bool TakeCachedValues(SystemInfoSnapshot& snapshot, SettingsStore& store) {
  std::string memory = store.ReadString(kCacheDisplayMemory);
  if (memory.empty()) return false;
  std::string driver = store.ReadString(kCacheDriverVersion);
  std::string sound = store.ReadString(kCacheSound);
  snapshot.DisplayMemory = std::move(memory);
  snapshot.DriverVersion = OrNoInformation(std::move(driver));
  snapshot.SoundDevice = OrNoInformation(std::move(sound));
  return true;
}

void TakeReportValues(SystemInfoSnapshot& snapshot, const DxdiagValues& values,
                      SettingsStore& store) {
  snapshot.CardName = values.CardName.value_or(kIndeterminable);
  snapshot.DisplayMemory = values.DisplayMemory.value_or(kIndeterminable);
  snapshot.DriverVersion = values.DriverVersion.value_or(kIndeterminable);
  snapshot.SoundDevice = values.SoundDevice.value_or(kIndeterminable);
  if (Cacheable(values.DisplayMemory))
    store.WriteString(kCacheDisplayMemory, snapshot.DisplayMemory);
  if (Cacheable(values.DriverVersion))
    store.WriteString(kCacheDriverVersion, snapshot.DriverVersion);
  if (Cacheable(values.SoundDevice)) store.WriteString(kCacheSound, snapshot.SoundDevice);
}

void TakeToolMissing(SystemInfoSnapshot& snapshot) {
  snapshot.DisplayMemory = kIndeterminable;
  snapshot.DriverVersion = kIndeterminable;
  snapshot.SoundDevice = kIndeterminable;
}

void TakeReportMissing(SystemInfoSnapshot& snapshot) {
  snapshot.CardName = kIndeterminable;
  TakeToolMissing(snapshot);
}

}  // namespace quorvel::sysinfo
