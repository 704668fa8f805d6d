#include "sysinfo/report_head_probes_win.h"

#include "sysinfo/adapter_probes_win.h"

namespace quorvel::sysinfo {

void RunReportHeadProbes(const THostInfo& host, SystemInfoSnapshot& snapshot) {
  ReadHostProbes(host, snapshot);
  ProbeAtiAdapter(snapshot);
  ProbeDisplayAdapter(snapshot);
}

}  // namespace quorvel::sysinfo
