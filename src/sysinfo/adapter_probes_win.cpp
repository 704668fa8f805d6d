#include "sysinfo/adapter_probes_win.h"

#include "platform/errors.h"
#include "platform/registry_win.h"
#include "platform/seams_win.h"
#include "sysinfo/adapter_probes.h"
#include "sysinfo/host_probes_win.h"

namespace quorvel::sysinfo {

namespace {

// Sends one ATI escape to the first display; true when the driver answered with 0.
bool AtiEscape(std::uint32_t function, std::vector<std::uint8_t>& reply) {
  auto request = AtiRequest(function);
  DriverEscapeResult r = CurrentSeams().DriverEscape(kFirstDisplay, kAtiEscape, request.data(),
                                                     static_cast<int>(request.size()), reply.data(),
                                                     static_cast<int>(reply.size()));
  return r.contextCreated && r.result == 0;
}

// Whether the first display's adapter carries ATI's vendor number, and its name.
bool FirstDisplayIsAti(std::string* adapterString) {
  DISPLAY_DEVICEA device = {};
  device.cb = sizeof(device);
  bool filled = false;
  for (DWORD index = 0;; ++index) {
    DISPLAY_DEVICEA next = {};
    next.cb = sizeof(next);
    if (!CurrentSeams().DisplayDevice(index, &next)) break;
    device = next;
    filled = true;
    if (FieldText(device.DeviceName, sizeof(device.DeviceName)) == "\\\\.\\DISPLAY1") {
      *adapterString = FieldText(device.DeviceString, sizeof(device.DeviceString));
      break;
    }
  }
  // With no device at all there is no adapter to call an ATI one.
  return filled && IsAtiHardwareId(device.DeviceID, sizeof(device.DeviceID));
}

}  // namespace

bool TAtiAdapterInfo::Query() {
  std::vector<std::uint8_t> clockReply = AtiReply(kAtiClockReplySize);
  if (!AtiEscape(kAtiClockFunction, clockReply)) return false;
  EngineClockRaw = ReadLe32(clockReply.data(), clockReply.size(), kAtiEngineClockOffset);
  MemoryClockRaw = ReadLe32(clockReply.data(), clockReply.size(), kAtiMemoryClockOffset);
  EngineClock = EngineClockRaw / 100.0;
  MemoryClock = MemoryClockRaw / 100.0;

  std::vector<std::uint8_t> memoryReply = AtiReply(kAtiMemoryReplySize);
  if (!AtiEscape(kAtiMemoryFunction, memoryReply)) return false;

  return FirstDisplayIsAti(&AdapterString);
}

std::optional<std::string> ReadProbeString(HKEY key, const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ && size == 0) return std::string();
  return reg::ReadString(key, name);
}

void ProbeAtiAdapter(SystemInfoSnapshot& snapshot) {
  TAtiAdapterInfo info;
  if (!info.Query()) {
    snapshot.AtiFound = false;
    return;
  }
  char separator = LocaleDecimalSeparator();
  snapshot.AtiFound = true;
  snapshot.AtiCardName = info.AdapterString;
  snapshot.AtiMemoryClock = AtiClockText(info.MemoryClockRaw, separator);
  snapshot.AtiVpuClock = AtiClockText(info.EngineClockRaw, separator);

  RegKey asic = reg::Open(HKEY_LOCAL_MACHINE, kAtiAsicKey);
  if (!asic) return;
  std::optional<std::string> bus = ReadProbeString(asic.Get(), kAtiBusTypeValue);
  snapshot.AtiBusType = bus ? CutBeforeParenthesis(*bus) : std::string();

  RegKey memory = reg::Open(HKEY_LOCAL_MACHINE, kAtiMemoryKey);
  if (!memory) return;
  std::optional<std::string> type = ReadProbeString(memory.Get(), kAtiMemoryTypeValue);
  snapshot.AtiMemoryType = type ? CutBeforeParenthesis(*type) : std::string();
}

std::uint32_t AskAdapterClock(std::uint32_t index, bool second) {
  auto block = AdapterClockBlock(index);
  auto request = AdapterClockRequest(reinterpret_cast<std::uintptr_t>(block.data()));
  std::uint8_t reply[kAdapterReplySize] = {};
  DriverEscapeResult r = CurrentSeams().DriverEscape(
      kDisplayDriver, kAdapterClockEscape, request.data(), static_cast<int>(request.size()), reply,
      static_cast<int>(sizeof(reply)));
  if (!r.contextCreated || r.result == 0) return 0;
  bool answered = r.contextDeleted && ReadLe32(reply, sizeof(reply), kAdapterStatusOffset) == 0;
  if (!answered) return 0;
  return ReadLe32(block.data(), block.size(),
                  second ? kAdapterSecondValueOffset : kAdapterFirstValueOffset);
}

void ProbeDisplayAdapter(SystemInfoSnapshot& snapshot) {
  RegKey entry = reg::Open(HKEY_LOCAL_MACHINE, kDisplayAdapterKey);
  if (!entry) {
    snapshot.AdapterFound = false;
    return;
  }
  snapshot.AdapterFound = true;
  snapshot.AdapterName = ReadProbeString(entry.Get(), kDriverDescValue).value_or(std::string());
  TakeAdapterClocks(snapshot, CollectAdapterClocks(AskAdapterClock));
}

}  // namespace quorvel::sysinfo
