#pragma once
// The window's setting controls as plain fields, for tests of what reads them.
#include <map>
#include <string>

#include "settings/settings_controls.h"

namespace quorvel::bench_test {

class FakeControls : public SettingsControls {
 public:
  void SetSlot(int, bool, bool) override {}
  bool SlotTicked(int) const override { return false; }
  bool SlotEnabled(int) const override { return false; }
  bool Checked(Control c) const override { return checked.count(c) && checked.at(c); }
  void SetChecked(Control c, bool v) override { checked[c] = v; }
  int Selected(Control c) const override { return selected.count(c) ? selected.at(c) : -1; }
  void Select(Control c, int i) override { selected[c] = i; }
  std::string Text(Control c) const override { return texts.count(c) ? texts.at(c) : ""; }
  void SetText(Control c, const std::string& t) override { texts[c] = t; }
  bool Enabled(Control) const override { return true; }
  void SetEnabled(Control, bool) override {}
  int TickedDemo() const override { return demo; }
  void TickDemo(int item) override { demo = item; }

  std::map<Control, bool> checked;
  std::map<Control, int> selected;
  std::map<Control, std::string> texts;
  int demo = -1;
};

}  // namespace quorvel::bench_test
