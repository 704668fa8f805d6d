#include "settings/bench_settings.h"

#include <array>
#include <unordered_set>
#include <utility>

#include "settings/resolution_catalogue.h"

namespace quorvel {

namespace {

// Stored texts of the drop-down lists, by item index.
constexpr std::array<const char*, 7> kAFLevelTexts = {"0", "1", "2", "3", "4", "5", "6"};
constexpr std::array<const char*, 5> kAALevelTexts = {"0", "1", "2", "3", "4"};
constexpr std::array<const char*, 5> kRunNumberTexts = {"1", "2", "3", "4", "5"};
constexpr std::array<const char*, 4> kDemoTexts = {"1", "2", "3", "4"};
constexpr std::array<const char*, 3> kHDRTexts = {"0", "1", "2"};
constexpr std::array<const char*, 5> kHeapsizeTexts = {"64000", "128000", "256000", "512000",
                                                       "1024000"};
constexpr std::array<int, 5> kHeapsizeMegabytes = {64, 128, 256, 512, 1024};
constexpr std::array<const char*, 4> kRefreshTexts = {"60", "70", "75", "85"};

constexpr const char* kDefaultResultsSubfolder = "Benchmark\\";
constexpr const char* kRecommendedHeapText = "The recommended (maximum) size: ";

constexpr std::array<Control, 4> kProxyFields = {Control::ProxyServerEdit, Control::ProxyPortEdit,
                                                 Control::ProxyUsernameEdit,
                                                 Control::ProxyPassEdit};

// The item whose stored text is exactly `stored`; -1 for any other text.
template <std::size_t N>
int ItemOf(const std::array<const char*, N>& texts, const std::string& stored) {
  for (std::size_t i = 0; i < N; ++i)
    if (stored == texts[i]) return static_cast<int>(i);
  return -1;
}

// The stored text of the selected item; nullptr when nothing (or something unknown) is
// selected, so the handler writes nothing.
template <std::size_t N>
const char* TextOfItem(const std::array<const char*, N>& texts, int item) {
  if (item < 0 || static_cast<std::size_t>(item) >= N) return nullptr;
  return texts[static_cast<std::size_t>(item)];
}

const char* Flag(bool on) { return on ? "1" : "0"; }

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kBase64LineLength = 76;

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

BenchSettings::BenchSettings(SettingsStore& store, SettingsControls& controls,
                             SettingsEnvironment env)
    : store_(store), controls_(controls), env_(std::move(env)) {}

void BenchSettings::LoadSlotsAndCustomSize(const std::vector<std::string>& displayModes) {
  // The availability test is a search within the whole list text, one entry per line.
  std::string modeText;
  for (const std::string& mode : displayModes) modeText += mode + "\r\n";
  const auto offered = [&modeText](const std::string& text) {
    return modeText.find(text) != std::string::npos;
  };

  const auto& catalogue = ResolutionCatalogue();
  for (int slot = 0; slot < kFixedSlotCount; ++slot) {
    const ResolutionSlot& entry = catalogue[static_cast<std::size_t>(slot)];
    if (offered(entry.ModeText))
      controls_.SetSlot(slot, true, store_.ReadString(entry.RegistryValue) == "1");
    else
      controls_.SetSlot(slot, false, false);
  }

  const std::string cusW = store_.ReadString("CusW");
  const std::string cusH = store_.ReadString("CusH");
  if (cusW == "0" || cusH == "0") return;
  if (offered(cusW + " x " + cusH)) {
    controls_.SetText(Control::CusWidth, cusW);
    controls_.SetText(Control::CusHeight, cusH);
    const bool ticked = store_.ReadString(catalogue[kCustomSlot].RegistryValue) == "1" &&
                        !cusW.empty() && !cusH.empty();
    controls_.SetChecked(Control::cusresbox, ticked);
  } else {
    // The display no longer offers the stored size: forget it.
    store_.WriteString("CusW", "0");
    store_.WriteString("CusH", "0");
    controls_.SetText(Control::CusWidth, "");
    controls_.SetText(Control::CusHeight, "");
    controls_.SetChecked(Control::cusresbox, false);
  }
}

void BenchSettings::LoadLevelsAndRuns() {
  const int af = ItemOf(kAFLevelTexts, store_.ReadString("AFLevel"));
  if (af >= 0) controls_.Select(Control::AFBox, af);
  const int aa = ItemOf(kAALevelTexts, store_.ReadString("AALevel"));
  if (aa >= 0) controls_.Select(Control::AABox, aa);
  const int runs = ItemOf(kRunNumberTexts, store_.ReadString("RunNumber"));
  if (runs >= 0) {
    controls_.Select(Control::RunNumberBox, runs);
    runsWanted_ = runs + 1;
  }
}

void BenchSettings::LoadRemaining() {
  const std::string demo = store_.ReadString("Demo");
  const int demoItem = ItemOf(kDemoTexts, demo);
  // Ticked as the user would tick it, so the demo group enables its custom demo controls.
  if (demoItem >= 0) controls_.TickDemo(demoItem);
  if (demo == "4") {
    const bool lostCoast = store_.ReadString("LCDemo") == "1";
    controls_.SetChecked(Control::HL2LC, lostCoast);
    controls_.SetChecked(Control::NormalHL2, !lostCoast);
  }

  // A demo file that has gone is not shown, but its stored path is kept.
  const std::string demoName = store_.ReadString("Demoname");
  if (!demoName.empty() && env_.FileExists && env_.FileExists(demoName))
    controls_.SetText(Control::DemoEdit, demoName);

  std::string resultPath = store_.ReadString("ResultPath");
  if (resultPath.empty() || !env_.DirectoryExists || !env_.DirectoryExists(resultPath)) {
    resultPath = env_.ProgramFolder + kDefaultResultsSubfolder;
    controls_.SetText(Control::ResEdit, resultPath);
    store_.WriteString("ResultPath", resultPath);
  } else {
    controls_.SetText(Control::ResEdit, resultPath);
  }

  controls_.SetText(Control::NoteEdit, store_.ReadString("Note"));

  const int hdr = ItemOf(kHDRTexts, store_.ReadString("HDR"));
  if (hdr >= 0) controls_.Select(Control::HDRBox, hdr);
  const int heap = ItemOf(kHeapsizeTexts, store_.ReadString("Heapsize"));
  if (heap >= 0) controls_.Select(Control::HeapsizeBox, heap);
  const int refresh = ItemOf(kRefreshTexts, store_.ReadString("Refresh"));
  if (refresh >= 0) controls_.Select(Control::RefreshBox, refresh);

  const bool useProxy = store_.ReadString("UseProxy") == "1";
  controls_.SetChecked(Control::UseProxyBox, useProxy);
  controls_.SetText(Control::ProxyServerEdit, store_.ReadString("ProxyServer"));
  controls_.SetText(Control::ProxyPortEdit, store_.ReadString("ProxyPort"));
  controls_.SetText(Control::ProxyUsernameEdit, store_.ReadString("ProxyUsername"));
  const std::string password = store_.ReadString("ProxyPassword");
  if (!password.empty()) controls_.SetText(Control::ProxyPassEdit, DecodePassword(password));
  for (Control field : kProxyFields) controls_.SetEnabled(field, useProxy);

  // Fast-Z rejection is on unless it was explicitly turned off.
  controls_.SetChecked(Control::FastZBox, store_.ReadString("FastZ") != "0");
}

void BenchSettings::SlotsPointerLeft() {
  if (!store_.KeyExists()) return;
  const auto& catalogue = ResolutionCatalogue();
  for (int slot = 0; slot < kFixedSlotCount; ++slot)
    store_.WriteString(catalogue[static_cast<std::size_t>(slot)].RegistryValue,
                       Flag(controls_.SlotTicked(slot)));
}

void BenchSettings::CusResPointerLeft() {
  if (!store_.KeyExists()) return;
  const bool ticked = controls_.Checked(Control::cusresbox) &&
                      !controls_.Text(Control::CusWidth).empty() &&
                      !controls_.Text(Control::CusHeight).empty();
  store_.WriteString(ResolutionCatalogue()[kCustomSlot].RegistryValue, Flag(ticked));
}

void BenchSettings::CustomSizeChosen(const std::string& width, const std::string& height) {
  controls_.SetText(Control::CusWidth, width);
  controls_.SetText(Control::CusHeight, height);
  store_.WriteString("CusW", width);
  store_.WriteString("CusH", height);
}

void BenchSettings::AFBoxChanged() {
  if (const char* text = TextOfItem(kAFLevelTexts, controls_.Selected(Control::AFBox)))
    store_.WriteString("AFLevel", text);
}

void BenchSettings::AABoxChanged() {
  if (const char* text = TextOfItem(kAALevelTexts, controls_.Selected(Control::AABox)))
    store_.WriteString("AALevel", text);
}

void BenchSettings::RunNumberChanged() {
  RunNumberChosen(controls_.Selected(Control::RunNumberBox));
}

void BenchSettings::RunNumberChosen(int item) {
  if (!store_.KeyExists()) return;
  if (const char* text = TextOfItem(kRunNumberTexts, item)) {
    store_.WriteString("RunNumber", text);
    runsWanted_ = item + 1;
  }
}

void BenchSettings::DemoPointerLeft() {
  if (!store_.KeyExists()) return;
  if (const char* text = TextOfItem(kDemoTexts, controls_.TickedDemo()))
    store_.WriteString("Demo", text);
}

void BenchSettings::HL2LCPointerLeft() {
  if (!store_.KeyExists()) return;
  if (controls_.Checked(Control::HL2LC)) store_.WriteString("LCDemo", "1");
}

void BenchSettings::NormalHL2PointerLeft() {
  if (!store_.KeyExists()) return;
  if (controls_.Checked(Control::NormalHL2)) store_.WriteString("LCDemo", "0");
}

void BenchSettings::DemoFileChosen(const std::string& path) {
  controls_.SetText(Control::DemoEdit, path);
  if (!path.empty()) store_.WriteString("Demoname", path);
}

void BenchSettings::ResultsFolderChosen(const std::string& path) {
  if (path.empty()) return;
  // The folder dialog gives a drive root with its backslash ("D:\") and any other folder
  // without one.
  const std::string folder = path.size() >= 4 ? path + "\\" : path;
  controls_.SetText(Control::ResEdit, folder);
  store_.WriteString("ResultPath", folder);
}

void BenchSettings::ResEditExited() {
  const std::string folder = controls_.Text(Control::ResEdit);
  if (!folder.empty()) store_.WriteString("ResultPath", folder);
}

void BenchSettings::NoteChanged() { store_.WriteString("Note", controls_.Text(Control::NoteEdit)); }

void BenchSettings::HDRChanged() {
  if (const char* text = TextOfItem(kHDRTexts, controls_.Selected(Control::HDRBox)))
    store_.WriteString("HDR", text);
}

void BenchSettings::HDRPointerLeft() {
  if (!store_.KeyExists()) return;
  HDRChanged();
}

void BenchSettings::HeapsizeChanged() {
  const int chosenItem = controls_.Selected(Control::HeapsizeBox);
  const int chosen = chosenItem >= 0 && chosenItem < static_cast<int>(kHeapsizeMegabytes.size())
                         ? kHeapsizeMegabytes[static_cast<std::size_t>(chosenItem)]
                         : 0;
  // Computed anew each time: the figure is cheap and the check must see the real machine.
  const int figure =
      PhysicalMemoryFigure(env_.TotalPhysicalMemory ? env_.TotalPhysicalMemory() : 0);
  if (chosen >= figure) {
    if (env_.ShowMessage)
      env_.ShowMessage(kRecommendedHeapText + std::to_string(figure / 2) + " MB");
    // Half the memory, for the sizes that have an item of their own.
    switch (figure) {
      case 128:
        controls_.Select(Control::HeapsizeBox, 0);
        break;
      case 256:
        controls_.Select(Control::HeapsizeBox, 1);
        break;
      case 512:
        controls_.Select(Control::HeapsizeBox, 2);
        break;
      case 1024:
        controls_.Select(Control::HeapsizeBox, 3);
        break;
      default:
        if (figure > 1499) controls_.Select(Control::HeapsizeBox, 4);
        break;
    }
  }
  if (const char* text = TextOfItem(kHeapsizeTexts, controls_.Selected(Control::HeapsizeBox)))
    store_.WriteString("Heapsize", text);
}

void BenchSettings::HeapsizePointerLeft() {
  if (!store_.KeyExists()) return;
  if (const char* text = TextOfItem(kHeapsizeTexts, controls_.Selected(Control::HeapsizeBox)))
    store_.WriteString("Heapsize", text);
}

void BenchSettings::RefreshChanged() {
  if (const char* text = TextOfItem(kRefreshTexts, controls_.Selected(Control::RefreshBox)))
    store_.WriteString("Refresh", text);
}

void BenchSettings::RefreshPointerLeft() {
  if (!store_.KeyExists()) return;
  RefreshChanged();
}

void BenchSettings::FastZPointerLeft() {
  if (!store_.KeyExists()) return;
  store_.WriteString("FastZ", Flag(controls_.Checked(Control::FastZBox)));
}

void BenchSettings::UseProxyPointerLeft() {
  if (!store_.KeyExists()) return;
  store_.WriteString("UseProxy", Flag(controls_.Checked(Control::UseProxyBox)));
}

void BenchSettings::UseProxyClicked() {
  const bool on = controls_.Checked(Control::UseProxyBox);
  for (Control field : kProxyFields) controls_.SetEnabled(field, on);
}

// Emptying a proxy field keeps the stored value: the user may be retyping it.
void BenchSettings::ProxyServerChanged() {
  const std::string text = controls_.Text(Control::ProxyServerEdit);
  if (!text.empty()) store_.WriteString("ProxyServer", text);
}

void BenchSettings::ProxyPortChanged() {
  const std::string text = controls_.Text(Control::ProxyPortEdit);
  if (!text.empty()) store_.WriteString("ProxyPort", text);
}

void BenchSettings::ProxyUsernameChanged() {
  const std::string text = controls_.Text(Control::ProxyUsernameEdit);
  if (!text.empty()) store_.WriteString("ProxyUsername", text);
}

void BenchSettings::ProxyPassChanged() {
  const std::string text = controls_.Text(Control::ProxyPassEdit);
  if (!text.empty()) store_.WriteString("ProxyPassword", EncodePassword(text));
}

void BenchSettings::SaveAtExit() {
  if (!store_.KeyExists()) return;
  store_.WriteString("Note", controls_.Text(Control::NoteEdit));
  // The diagnostics cache lives only as long as the program runs; the news page is
  // offered again at the next start.
  store_.WriteString("Display Memory", "");
  store_.WriteString("Driver Version", "");
  store_.WriteString("Sound", "");
  store_.WriteString("News", "0");
}

int PhysicalMemoryFigure(std::uint64_t totalPhysicalBytes) {
  std::uint64_t megabytes = totalPhysicalBytes / 1048576u;
  if (megabytes > 1500) megabytes = 1500;
  if (megabytes > 950 && megabytes < 1100) megabytes = 1024;
  if (megabytes > 470 && megabytes < 550) megabytes = 512;
  if (megabytes > 200 && megabytes < 290) megabytes = 256;
  if (megabytes > 90 && megabytes < 150) megabytes = 128;
  return static_cast<int>(megabytes);
}

std::string EncodePassword(std::string_view password) {
  std::string out;
  out.reserve((password.size() + 2) / 3 * 4 + password.size() / 57 * 2);
  const bool breakLines = password.size() > 57;
  std::size_t lineLength = 0;
  const auto put = [&](char c) {
    if (breakLines && lineLength == kBase64LineLength) {
      out += "\r\n";
      lineLength = 0;
    }
    out += c;
    ++lineLength;
  };
  std::size_t i = 0;
  for (; i + 3 <= password.size(); i += 3) {
    const std::uint32_t group = static_cast<unsigned char>(password[i]) << 16 |
                                static_cast<unsigned char>(password[i + 1]) << 8 |
                                static_cast<unsigned char>(password[i + 2]);
    put(kBase64Alphabet[group >> 18 & 63]);
    put(kBase64Alphabet[group >> 12 & 63]);
    put(kBase64Alphabet[group >> 6 & 63]);
    put(kBase64Alphabet[group & 63]);
  }
  const std::size_t rest = password.size() - i;
  if (rest > 0) {
    std::uint32_t group = static_cast<unsigned char>(password[i]) << 16;
    if (rest == 2) group |= static_cast<unsigned char>(password[i + 1]) << 8;
    put(kBase64Alphabet[group >> 18 & 63]);
    put(kBase64Alphabet[group >> 12 & 63]);
    put(rest == 2 ? kBase64Alphabet[group >> 6 & 63] : '=');
    put('=');
  }
  return out;
}

std::string DecodePassword(std::string_view encoded) {
  std::string out;
  out.reserve(encoded.size() / 4 * 3 + 2);
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (char c : encoded) {
    const int value = Base64Value(static_cast<unsigned char>(c));
    if (value < 0) continue;
    bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      out += static_cast<char>(bits >> bitCount & 0xFF);
    }
  }
  return out;
}

std::vector<std::string> BuildDisplayModeList(
    const std::function<bool(unsigned, unsigned*, unsigned*)>& mode) {
  std::vector<std::string> list;
  std::unordered_set<std::string> seen;
  for (unsigned number = 0;; ++number) {
    unsigned width = 0;
    unsigned height = 0;
    if (!mode(number, &width, &height)) break;
    std::string text = std::to_string(width) + " x " + std::to_string(height);
    if (seen.insert(text).second) list.push_back(std::move(text));
  }
  return list;
}

}  // namespace quorvel
