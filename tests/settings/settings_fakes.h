#pragma once
// A settings store over a map and the window's setting controls as plain fields, shared by
// the portable and the Windows settings tests.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/text.h"
#include "settings/bench_settings.h"
#include "settings/settings_controls.h"
#include "settings/settings_store.h"

namespace quorvel::testing {

// Values by name; every read and write is logged in order.
class FakeStore : public SettingsStore {
 public:
  bool KeyExists() override { return keyExists; }
  std::string ReadString(const std::string& name) override {
    reads.push_back(name);
    if (!keyExists) return "";
    if (wrongType.count(name))
      throw AppError(text::Format("Invalid data type for '%s'", name.c_str()));
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  void WriteString(const std::string& name, const std::string& text) override {
    if (!keyExists) throw AppError(text::Format("Failed to set data for '%s'", name.c_str()));
    writes.emplace_back(name, text);
    values[name] = text;
  }

  bool keyExists = true;
  std::map<std::string, std::string> values;
  std::set<std::string> wrongType;  // values stored with a type other than a string
  std::vector<std::string> reads;
  std::vector<std::pair<std::string, std::string>> writes;
};

// Forwards to another store and logs the writes, so a test against the real registry can
// see their order.
class RecordingStore : public SettingsStore {
 public:
  explicit RecordingStore(SettingsStore& inner) : inner_(inner) {}
  bool KeyExists() override { return inner_.KeyExists(); }
  std::string ReadString(const std::string& name) override {
    reads.push_back(name);
    return inner_.ReadString(name);
  }
  void WriteString(const std::string& name, const std::string& text) override {
    writes.emplace_back(name, text);
    inner_.WriteString(name, text);
  }
  std::vector<std::string> reads;
  std::vector<std::pair<std::string, std::string>> writes;

 private:
  SettingsStore& inner_;
};

// The controls as the window defines them before the load: all clear, nothing selected,
// fields empty. Setting the text of a field with a change handler calls `onTextChanged`;
// ticking a demo item calls `onDemoTicked`, as the window's own handlers would run.
class FakeControls : public SettingsControls {
 public:
  struct Slot {
    bool enabled = true;
    bool ticked = false;
    bool touched = false;
  };

  void SetSlot(int slot, bool enabled, bool ticked) override {
    slots.at(static_cast<std::size_t>(slot)) = {enabled, ticked, true};
  }
  bool SlotTicked(int slot) const override {
    return slots.at(static_cast<std::size_t>(slot)).ticked;
  }
  bool SlotEnabled(int slot) const override {
    return slots.at(static_cast<std::size_t>(slot)).enabled;
  }

  bool Checked(Control control) const override { return Get(checked, control, false); }
  void SetChecked(Control control, bool on) override { checked[control] = on; }

  int Selected(Control list) const override { return Get(selected, list, -1); }
  void Select(Control list, int index) override { selected[list] = index; }

  std::string Text(Control field) const override { return Get(texts, field, std::string()); }
  void SetText(Control field, const std::string& text) override {
    texts[field] = text;
    if (HasChangeHandler(field) && onTextChanged) onTextChanged(field);
  }

  bool Enabled(Control control) const override { return Get(enabled, control, defaultEnabled); }
  void SetEnabled(Control control, bool on) override { enabled[control] = on; }

  int TickedDemo() const override { return tickedDemo; }
  void TickDemo(int item) override {
    tickedDemo = item;
    demoTicks.push_back(item);
    if (onDemoTicked) onDemoTicked(item);
  }

  // Whether the load (or a handler) has set this control at all.
  bool Touched(Control control) const {
    return checked.count(control) || selected.count(control) || texts.count(control) ||
           enabled.count(control);
  }

  static bool HasChangeHandler(Control field) {
    return field == Control::NoteEdit || field == Control::ProxyServerEdit ||
           field == Control::ProxyPortEdit || field == Control::ProxyUsernameEdit ||
           field == Control::ProxyPassEdit;
  }

  std::array<Slot, 9> slots;
  std::map<Control, bool> checked;
  std::map<Control, int> selected;
  std::map<Control, std::string> texts;
  std::map<Control, bool> enabled;
  bool defaultEnabled = true;
  int tickedDemo = -1;
  std::vector<int> demoTicks;
  std::function<void(Control)> onTextChanged;
  std::function<void(int)> onDemoTicked;

 private:
  template <typename Map, typename Value>
  static Value Get(const Map& map, Control key, Value fallback) {
    auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
  }
};

// The platform as the settings see it, with answers a test chooses.
struct FakeEnvironment {
  std::string programFolder = "C:\\Quorvel\\";
  std::set<std::string> files;
  std::set<std::string> folders;
  std::uint64_t memoryBytes = 2048ull * 1048576u;
  std::vector<std::string> messages;

  SettingsEnvironment Make() {
    SettingsEnvironment env;
    env.ProgramFolder = programFolder;
    env.FileExists = [this](const std::string& p) { return files.count(p) > 0; };
    env.DirectoryExists = [this](const std::string& p) { return folders.count(p) > 0; };
    env.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
    env.TotalPhysicalMemory = [this] { return memoryBytes; };
    return env;
  }
};

// Routes the fields' change events to the settings' handlers, as the main window does.
inline void WireChangeHandlers(FakeControls& controls, BenchSettings& settings) {
  controls.onTextChanged = [&settings](Control field) {
    switch (field) {
      case Control::NoteEdit:
        settings.NoteChanged();
        break;
      case Control::ProxyServerEdit:
        settings.ProxyServerChanged();
        break;
      case Control::ProxyPortEdit:
        settings.ProxyPortChanged();
        break;
      case Control::ProxyUsernameEdit:
        settings.ProxyUsernameChanged();
        break;
      case Control::ProxyPassEdit:
        settings.ProxyPassChanged();
        break;
      default:
        break;
    }
  };
}

// Every save handler with the control state that makes it write, whether it tests that the
// key exists first, and the first value it writes.
struct HandlerCase {
  const char* name;
  std::function<void(FakeControls&)> arrange;
  std::function<void(BenchSettings&)> run;
  bool keyMustExist;
  const char* firstValue;
};

inline std::vector<HandlerCase> AllSaveHandlers() {
  using C = Control;
  return {
      {"SlotsPointerLeft", [](FakeControls& c) { c.slots[0].ticked = true; },
       [](BenchSettings& s) { s.SlotsPointerLeft(); }, true, "640"},
      {"CusResPointerLeft", [](FakeControls& c) { c.checked[C::cusresbox] = true; },
       [](BenchSettings& s) { s.CusResPointerLeft(); }, true, "CusRes"},
      {"CustomSizeChosen", [](FakeControls&) {},
       [](BenchSettings& s) { s.CustomSizeChosen("1280", "1024"); }, false, "CusW"},
      {"AFBoxChanged", [](FakeControls& c) { c.selected[C::AFBox] = 2; },
       [](BenchSettings& s) { s.AFBoxChanged(); }, false, "AFLevel"},
      {"AABoxChanged", [](FakeControls& c) { c.selected[C::AABox] = 1; },
       [](BenchSettings& s) { s.AABoxChanged(); }, false, "AALevel"},
      {"RunNumberChanged", [](FakeControls& c) { c.selected[C::RunNumberBox] = 2; },
       [](BenchSettings& s) { s.RunNumberChanged(); }, true, "RunNumber"},
      {"DemoPointerLeft", [](FakeControls& c) { c.tickedDemo = 0; },
       [](BenchSettings& s) { s.DemoPointerLeft(); }, true, "Demo"},
      {"HL2LCPointerLeft", [](FakeControls& c) { c.checked[C::HL2LC] = true; },
       [](BenchSettings& s) { s.HL2LCPointerLeft(); }, true, "LCDemo"},
      {"NormalHL2PointerLeft", [](FakeControls& c) { c.checked[C::NormalHL2] = true; },
       [](BenchSettings& s) { s.NormalHL2PointerLeft(); }, true, "LCDemo"},
      {"DemoFileChosen", [](FakeControls&) {},
       [](BenchSettings& s) { s.DemoFileChosen("C:\\demos\\bench.dem"); }, false, "Demoname"},
      {"ResultsFolderChosen", [](FakeControls&) {},
       [](BenchSettings& s) { s.ResultsFolderChosen("D:\\Results"); }, false, "ResultPath"},
      {"ResEditExited", [](FakeControls& c) { c.texts[C::ResEdit] = "D:\\Results\\"; },
       [](BenchSettings& s) { s.ResEditExited(); }, false, "ResultPath"},
      {"NoteChanged", [](FakeControls& c) { c.texts[C::NoteEdit] = "note"; },
       [](BenchSettings& s) { s.NoteChanged(); }, false, "Note"},
      {"HDRChanged", [](FakeControls& c) { c.selected[C::HDRBox] = 1; },
       [](BenchSettings& s) { s.HDRChanged(); }, false, "HDR"},
      {"HDRPointerLeft", [](FakeControls& c) { c.selected[C::HDRBox] = 1; },
       [](BenchSettings& s) { s.HDRPointerLeft(); }, true, "HDR"},
      {"HeapsizeChanged", [](FakeControls& c) { c.selected[C::HeapsizeBox] = 0; },
       [](BenchSettings& s) { s.HeapsizeChanged(); }, false, "Heapsize"},
      {"HeapsizePointerLeft", [](FakeControls& c) { c.selected[C::HeapsizeBox] = 0; },
       [](BenchSettings& s) { s.HeapsizePointerLeft(); }, true, "Heapsize"},
      {"RefreshChanged", [](FakeControls& c) { c.selected[C::RefreshBox] = 0; },
       [](BenchSettings& s) { s.RefreshChanged(); }, false, "Refresh"},
      {"RefreshPointerLeft", [](FakeControls& c) { c.selected[C::RefreshBox] = 0; },
       [](BenchSettings& s) { s.RefreshPointerLeft(); }, true, "Refresh"},
      {"FastZPointerLeft", [](FakeControls&) {}, [](BenchSettings& s) { s.FastZPointerLeft(); },
       true, "FastZ"},
      {"UseProxyPointerLeft", [](FakeControls&) {},
       [](BenchSettings& s) { s.UseProxyPointerLeft(); }, true, "UseProxy"},
      {"ProxyServerChanged", [](FakeControls& c) { c.texts[C::ProxyServerEdit] = "proxy"; },
       [](BenchSettings& s) { s.ProxyServerChanged(); }, false, "ProxyServer"},
      {"ProxyPortChanged", [](FakeControls& c) { c.texts[C::ProxyPortEdit] = "8080"; },
       [](BenchSettings& s) { s.ProxyPortChanged(); }, false, "ProxyPort"},
      {"ProxyUsernameChanged", [](FakeControls& c) { c.texts[C::ProxyUsernameEdit] = "bob"; },
       [](BenchSettings& s) { s.ProxyUsernameChanged(); }, false, "ProxyUsername"},
      {"ProxyPassChanged", [](FakeControls& c) { c.texts[C::ProxyPassEdit] = "pw"; },
       [](BenchSettings& s) { s.ProxyPassChanged(); }, false, "ProxyPassword"},
      {"SaveAtExit", [](FakeControls& c) { c.texts[C::NoteEdit] = "bye"; },
       [](BenchSettings& s) { s.SaveAtExit(); }, true, "Note"},
  };
}

}  // namespace quorvel::testing
