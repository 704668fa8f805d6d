#pragma once
// The user's settings: loaded once at start-up from the settings key into the main window's
// controls, and written back value by value the moment a control changes or the mouse
// pointer leaves it. All members run on the user-interface thread. Registry failures
// (AppError with the program's texts) are not caught here: they end the handler and reach
// the error reporter.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_controls.h"
#include "settings/settings_store.h"

namespace quorvel {

// What the settings need from the platform, chosen by the caller (tests pass their own).
struct SettingsEnvironment {
  std::string ProgramFolder;  // ends with "\"
  std::function<bool(const std::string&)> FileExists;
  std::function<bool(const std::string&)> DirectoryExists;
  std::function<void(const std::string&)> ShowMessage;  // a notice with an OK button
  std::function<std::uint64_t()> TotalPhysicalMemory;   // bytes
};

class BenchSettings {
 public:
  BenchSettings(SettingsStore& store, SettingsControls& controls, SettingsEnvironment env);

  // The load, in the start-up order (game discovery runs between the second and third call).
  // `displayModes` is the display mode list ("1024 x 768" entries).
  void LoadSlotsAndCustomSize(const std::vector<std::string>& displayModes);
  void LoadLevelsAndRuns();  // "AFLevel", "AALevel", "RunNumber"
  void LoadRemaining();      // "Demo" .. "FastZ"

  // Save-on-change handlers, one per control and moment. The pointer-leaves handlers (and
  // RunNumberChanged and SaveAtExit) do nothing when the key is missing; the others then
  // throw AppError "Failed to set data for '<name>'".
  void SlotsPointerLeft();
  void CusResPointerLeft();
  // Shows the size in CusWidth and CusHeight and stores it; cusresbox is left alone.
  void CustomSizeChosen(const std::string& width, const std::string& height);
  void AFBoxChanged();
  void AABoxChanged();
  void RunNumberChanged();
  // The same for a runs item taken earlier (a series' order): 0..4 stores "1".."5" and sets
  // RunsWanted; any other item changes nothing.
  void RunNumberChosen(int item);
  void DemoPointerLeft();
  void HL2LCPointerLeft();
  void NormalHL2PointerLeft();
  // Shows the chosen file in DemoEdit and stores it (an empty path is not stored).
  void DemoFileChosen(const std::string& path);
  // The folder dialog's path: a "\" is appended unless it is a drive root; shown in ResEdit.
  void ResultsFolderChosen(const std::string& path);
  void ResEditExited();
  void NoteChanged();
  void HDRChanged();
  void HDRPointerLeft();
  // Runs the heap size check first: may show the recommended size through
  // env.ShowMessage and select a smaller item.
  void HeapsizeChanged();
  void HeapsizePointerLeft();
  void RefreshChanged();
  void RefreshPointerLeft();
  void FastZPointerLeft();
  void UseProxyPointerLeft();
  void UseProxyClicked();  // enables the four proxy fields; writes nothing
  void ProxyServerChanged();
  void ProxyPortChanged();
  void ProxyUsernameChanged();
  void ProxyPassChanged();

  // The writes every exit path makes.
  void SaveAtExit();

  // Runs per resolution: 1..5, or 0 while "RunNumber" was never valid.
  int RunsWanted() const { return runsWanted_; }

 private:
  SettingsStore& store_;
  SettingsControls& controls_;
  SettingsEnvironment env_;
  int runsWanted_ = 0;
};

// The physical memory figure in megabytes used by the heap size check.
int PhysicalMemoryFigure(std::uint64_t totalPhysicalBytes);

// Base64 of the password's bytes, 76-character lines joined by CR LF.
std::string EncodePassword(std::string_view password);
// Decodes Base64, skipping every character outside the alphabet.
std::string DecodePassword(std::string_view encoded);

// The distinct screen sizes "W x H" in the order the platform first reports them;
// `mode(n, &w, &h)` returns false past the last mode.
std::vector<std::string> BuildDisplayModeList(
    const std::function<bool(unsigned, unsigned*, unsigned*)>& mode);

}  // namespace quorvel
