#pragma once
// The settings' view of the real machine: the program folder, file and folder tests, notices
// through the dialog seam and the physical memory. Called on the user-interface thread.
#include "platform/win.h"
#include "settings/bench_settings.h"

namespace quorvel {

// Notices are owned by `owner` (may be null). Never throws.
SettingsEnvironment WindowsSettingsEnvironment(HWND owner);

}  // namespace quorvel
