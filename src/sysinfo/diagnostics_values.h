#pragma once
// How the diagnostics part of the machine description is filled: from the cache in the
// settings key, from the tool's report (which also fills the cache), or with the fallbacks.
#include "settings/settings_store.h"
#include "sysinfo/dxdiag_report.h"
#include "sysinfo/system_info.h"

namespace quorvel::sysinfo {

// The cache's values in the settings key.
inline constexpr const char* kCacheDisplayMemory = "Display Memory";
inline constexpr const char* kCacheDriverVersion = "Driver Version";
inline constexpr const char* kCacheSound = "Sound";

// Fallback texts.
inline constexpr const char* kIndeterminable = "indeterminable";
inline constexpr const char* kNoInformation = "No information";

// When "Display Memory" is cached (non-empty), takes DisplayMemory, DriverVersion and
// SoundDevice from the cache ("No information" for an empty driver version or sound value),
// leaves CardName alone and returns true; otherwise changes nothing and returns false.
// Registry errors of `store` propagate. User-interface thread (the store's).
bool TakeCachedValues(SystemInfoSnapshot& snapshot, SettingsStore& store);

// The report's values into the snapshot: a label the report lacks gives "indeterminable".
// Each value that was found and is non-empty is written to its cache value (CardName is never
// cached); a fallback is never cached, so the next series asks the tool again.
// Registry errors of `store` propagate after the snapshot is set. User-interface thread.
void TakeReportValues(SystemInfoSnapshot& snapshot, const DxdiagValues& values,
                      SettingsStore& store);

// No diagnostics tool (or it could not be started): DisplayMemory, DriverVersion and
// SoundDevice become "indeterminable", CardName keeps its value. Any thread owning `snapshot`.
void TakeToolMissing(SystemInfoSnapshot& snapshot);

// The tool left no report: all four values become "indeterminable". Any thread owning
// `snapshot`.
void TakeReportMissing(SystemInfoSnapshot& snapshot);

}  // namespace quorvel::sysinfo
