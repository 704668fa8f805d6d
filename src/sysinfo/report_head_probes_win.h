#pragma once
// Everything the report head reads from the machine at a series start, besides the
// diagnostics values that the collector already gathered.
#include "sysinfo/host_probes_win.h"
#include "sysinfo/system_info.h"

namespace quorvel::sysinfo {

// Reads the host values (product name, memory, processor name, clock), then runs the ATI
// probe and the display adapter probe, in that order, into `snapshot`. Blocks for two clock
// measurements. Throws AppError "Invalid data type for '<name>'" only for a non-string value
// in the ATI or display adapter registry entries. User-interface thread.
void RunReportHeadProbes(const THostInfo& host, SystemInfoSnapshot& snapshot);

}  // namespace quorvel::sysinfo
