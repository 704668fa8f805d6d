#pragma once
// The main window's setting controls as the settings logic sees them. The main window
// implements this over its real controls; tests implement it over plain fields.
// Called on the user-interface thread.
#include <string>

namespace quorvel {

enum class Control {
  // check boxes
  cusresbox,
  FastZBox,
  UseProxyBox,
  // radio buttons of the custom demo type
  NormalHL2,
  HL2LC,
  // drop-down lists
  AFBox,
  AABox,
  RunNumberBox,
  HDRBox,
  HeapsizeBox,
  RefreshBox,
  // text fields
  CusWidth,
  CusHeight,
  DemoEdit,
  ResEdit,
  NoteEdit,
  HL2PathEdit,
  ProxyServerEdit,
  ProxyPortEdit,
  ProxyUsernameEdit,
  ProxyPassEdit,
  // buttons
  DemoEditButton,
  BenchButton,
};

class SettingsControls {
 public:
  virtual ~SettingsControls() = default;

  // The nine fixed resolution check boxes of the group `res` (slot 0..8).
  virtual void SetSlot(int slot, bool enabled, bool ticked) = 0;
  virtual bool SlotTicked(int slot) const = 0;
  virtual bool SlotEnabled(int slot) const = 0;

  // Check boxes and radio buttons. Setting the check state runs no handler.
  virtual bool Checked(Control control) const = 0;
  virtual void SetChecked(Control control, bool checked) = 0;

  // Drop-down lists: the selected item index, -1 for none. Selecting runs no handler.
  virtual int Selected(Control list) const = 0;
  virtual void Select(Control list, int index) = 0;

  // Text fields. Setting the text of a field that has a change handler (NoteEdit and the
  // proxy fields) runs that handler, as a change by the user would.
  virtual std::string Text(Control field) const = 0;
  virtual void SetText(Control field, const std::string& text) = 0;

  virtual bool Enabled(Control control) const = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;

  // The demo group `demo`: the ticked item 0..3, -1 for none. TickDemo ticks an item as a
  // click of the user would, so the group's change handling runs.
  virtual int TickedDemo() const = 0;
  virtual void TickDemo(int item) = 0;
};

}  // namespace quorvel
