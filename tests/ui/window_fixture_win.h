#pragma once
// The real main window and picker created in the test process, on a machine prepared inside
// the test's own prefix (settings key, Steam key, an account), with scripted dialogs and
// display modes. Controls are driven by the messages a user's actions produce.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/startup_win.h"
#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "settings/registry_settings_store_win.h"
#include "settings/settings_store.h"
#include "support/program_env_win.h"
#include "support/scripted_seams_win.h"
#include "ui/main_window_win.h"
#include "ui/picker_window_win.h"

namespace quorvel::testing {

// Records what the file dialog was asked for.
class RecordingSeams : public ScriptedSeams {
 public:
  std::optional<std::string> ChooseFile(HWND owner, const std::string& title,
                                        const std::string& filter) override {
    lastFilter = filter;
    return ScriptedSeams::ChooseFile(owner, title, filter);
  }
  std::string lastFilter;
};

// The registry store, counting the writes per value and failing the ones a test names.
class CountingStore : public SettingsStore {
 public:
  bool KeyExists() override { return inner.KeyExists(); }
  std::string ReadString(const std::string& name) override { return inner.ReadString(name); }
  void WriteString(const std::string& name, const std::string& text) override {
    ++writes[name];
    if (name == failOn) throw AppError("Failed to set data for '" + name + "'");
    inner.WriteString(name, text);
  }
  RegistrySettingsStore inner;
  std::map<std::string, int> writes;
  std::string failOn;
};

inline std::string WindowTextOf(HWND window) {
  char buffer[1024] = {};
  ::GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

inline void Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(10);
  }
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    machine = std::make_unique<ProgramEnvironment>(name);
    seams.useModes = true;
    seams.modes = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    seams.shellForReal = false;
    InstallSeams(&seams);
  }

  void TearDown() override {
    picker.reset();
    window.reset();
    Pump();
    InstallSeams(nullptr);
    machine.reset();
  }

  // A machine where everything is installed: settings key with `values`, Steam, an account.
  void Install(std::initializer_list<std::pair<const char*, const char*>> values = {}) {
    machine->CreateSettingsKey(values);
    machine->CreateSteamKey();
    WriteFile(machine->AccountFolder + "half-life 2\\hl2.exe", "game");
    files::ForceDirectories(machine->AccountFolder + "half-life 2\\hl2\\cfg");
    files::ForceDirectories(machine->AccountFolder + "half-life 2 lostcoast\\lostcoast\\cfg");
  }

  // Creates the windows as the program does and runs the start-up (showing the window at
  // once as the program does when `showAtOnce`).
  void Open(bool showAtOnce = false) {
    auto counting = std::make_unique<CountingStore>();
    store = counting.get();
    window = std::make_unique<MainWindow>(::GetModuleHandleA(nullptr), std::move(counting));
    window->EndProgram = [this] { ++programEnded; };
    window->Create();
    completed = RunStartup(*window, {machine->InstallFolder, files::ProgramPath(), showAtOnce});
    picker = std::make_unique<TForm3>(::GetModuleHandleA(nullptr), *window);
    picker->Create();
    window->ShowPicker = [this] { picker->ShowModal(); };
    window->Show();
    Pump();
  }

  std::string Setting(const std::string& name) { return machine->Setting(name); }
  void Set(const std::string& name, const std::string& value) { machine->SetSetting(name, value); }
  bool HasSetting(const std::string& name) {
    RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ);
    return key && ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                      ERROR_SUCCESS;
  }

  // What the program showed, in order.
  const std::vector<std::string>& Shown() const { return seams.log; }
  bool WasShown(const std::string& entry) const {
    for (const std::string& e : seams.log)
      if (e == entry) return true;
    return false;
  }
  bool AnyError() const {
    for (const std::string& e : seams.log)
      if (e.rfind("error: ", 0) == 0) return true;
    return false;
  }

  // --- the user's actions ---
  static void Click(HWND button) {
    ::SendMessageA(button, BM_CLICK, 0, 0);
    Pump();
  }
  static void Choose(HWND combo, int index) {
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    Pump();
  }
  static void Type(HWND edit, const std::string& text) {
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Pump();
  }
  static void FocusLeaves(HWND edit) {
    ::SendMessageA(::GetParent(edit), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(edit), EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(edit));
    Pump();
  }
  // The pointer moves from `control` to `to` (screen coordinates).
  static void PointerLeaves(HWND control, POINT to) {
    ::SetCursorPos(to.x, to.y);
    ::SendMessageA(control, WM_MOUSELEAVE, 0, 0);
    Pump();
  }
  static POINT Outside() { return {2, 2}; }  // the window is centred; the corner is off it
  static POINT CentreOf(HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static void PointerLeaves(HWND control) { PointerLeaves(control, Outside()); }

  void Navigate(NavItem item) {
    NavGroup group = static_cast<int>(item) < 4 ? NavGroup::Benchmark : NavGroup::Help;
    if (!window->GroupOpen(group)) Click(window->GroupCaption(group));
    Click(window->NavButton(item));
  }

  RecordingSeams seams;
  std::unique_ptr<ProgramEnvironment> machine;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<TForm3> picker;
  CountingStore* store = nullptr;
  bool completed = false;
  int programEnded = 0;
};

}  // namespace quorvel::testing
