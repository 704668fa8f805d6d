#include "bench/series_order.h"

namespace quorvel::bench {

SeriesOrder SeriesOrderFrom(const SettingsControls& controls) {
  SeriesOrder order;
  for (int slot = 0; slot < kFixedSlotCount; ++slot)
    order.SlotTicked[slot] = controls.SlotTicked(slot);
  order.CustomTicked = controls.Checked(Control::cusresbox);
  order.CustomWidth = controls.Text(Control::CusWidth);
  order.CustomHeight = controls.Text(Control::CusHeight);
  order.Demo.Item = controls.TickedDemo();
  order.Demo.CustomPath = controls.Text(Control::DemoEdit);
  order.Demo.LostCoastType = controls.Checked(Control::HL2LC);
  order.Game = SeriesGameFor(order.Demo);
  order.RunsItem = controls.Selected(Control::RunNumberBox);
  order.AFItem = controls.Selected(Control::AFBox);
  order.AAItem = controls.Selected(Control::AABox);
  order.HDRItem = controls.Selected(Control::HDRBox);
  order.RefreshItem = controls.Selected(Control::RefreshBox);
  order.HeapsizeItem = controls.Selected(Control::HeapsizeBox);
  order.FastZ = controls.Checked(Control::FastZBox);
  order.Note = controls.Text(Control::NoteEdit);
  order.ResultsFolder = controls.Text(Control::ResEdit);
  return order;
}

bool SlotSelected(const SeriesOrder& order, int slot) {
  if (slot >= 0 && slot < kFixedSlotCount) return order.SlotTicked[slot];
  if (slot == kCustomSlot)
    return order.CustomTicked && !order.CustomWidth.empty() && !order.CustomHeight.empty();
  return false;
}

std::optional<int> NextSelectedSlot(const SeriesOrder& order, int slot) {
  for (int s = slot < 0 ? 0 : slot; s <= kCustomSlot; ++s)
    if (SlotSelected(order, s)) return s;
  return std::nullopt;
}

int SelectedCount(const SeriesOrder& order) {
  int count = 0;
  for (int s = 0; s <= kCustomSlot; ++s) count += SlotSelected(order, s) ? 1 : 0;
  return count;
}

}  // namespace quorvel::bench
