#include "saver/config_dialog.h"

#include <string>

#include "resources/resource_ids.h"

namespace roamlets {
namespace {

// Control messages the dialog sends.
constexpr std::uint32_t kButtonSetCheck = 0x00F1;    // BM_SETCHECK
constexpr std::uint32_t kSpinnerSetRange = 0x0465;   // UDM_SETRANGE
constexpr std::uint32_t kSpinnerSetPosition = 0x0467;  // UDM_SETPOS

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void set_check(DialogControls& dialog, int id, std::int32_t field) {
  dialog.send_item_message(id, kButtonSetCheck, field != 0 ? 1 : 0, 0);
}

// The range travels with the upper bound in the low 16 bits and the lower
// bound in the high 16 bits; the position as the field's low 16 bits.
void set_spinner(DialogControls& dialog, int id, std::int32_t lower, std::int32_t upper, std::int32_t position) {
  const auto word = [](std::int32_t value) { return static_cast<std::uint32_t>(value) & 0xFFFFu; };
  dialog.send_item_message(id, kSpinnerSetRange, 0, static_cast<std::intptr_t>(word(lower) << 16 | word(upper)));
  dialog.send_item_message(id, kSpinnerSetPosition, 0, static_cast<std::intptr_t>(word(position)));
}

std::int32_t toggled(std::int32_t field) { return field == 0 ? 1 : 0; }

}  // namespace

std::int32_t read_field_number(std::string_view text) {
  text = text.substr(0, kFieldChars);
  std::size_t at = 0;
  while (at < text.size() && is_space(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Nine digits at most, so this cannot overflow.
  std::int32_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) value = value * 10 + (text[at] - '0');
  return negative ? -value : value;
}

void ConfigDialog::initialise(DialogControls& dialog) {
  dialog.init_common_controls();
  load_settings(settings_, store_);
  Settings& s = settings_;
  clamp_to_dialog_ranges(s);

  const bool known_view = s.VIEW_MODE >= 0 && s.VIEW_MODE <= 2;
  dialog.check_radio_button(IDC_VIEW_CHASE, IDC_VIEW_SNAPSHOT, known_view ? IDC_VIEW_CHASE + s.VIEW_MODE : 0);

  // Each count field reports its new text at once, so check-and-apply runs
  // for it here already.
  dialog.set_item_text(IDC_ROAMLETS, std::to_string(s.NUM_ROAMLETS));
  dialog.set_item_text(IDC_CHASERS, std::to_string(s.NUM_CHASERS));
  dialog.set_item_text(IDC_DENSITY, std::to_string(s.DENSITY));
  dialog.set_item_text(IDC_LINE_WIDTH, std::to_string(s.LINE_WIDTH));
  dialog.set_item_text(IDC_STAR_SIZE, std::to_string(s.STAR_SIZE));

  set_check(dialog, IDC_STAR_SMOOTH, s.STAR_SMOOTH);
  set_check(dialog, IDC_FOG, s.FOG_ENABLE);

  set_spinner(dialog, IDC_ROAMLETS_SPIN, kMinCount, kMaxCount, s.NUM_ROAMLETS);
  set_spinner(dialog, IDC_CHASERS_SPIN, kMinCount, kMaxCount, s.NUM_CHASERS);
  set_spinner(dialog, IDC_DENSITY_SPIN, kMinDensity, kMaxDensity, s.DENSITY);
}

void ConfigDialog::command(DialogControls& dialog, std::uint16_t id) {
  Settings& s = settings_;
  switch (id) {
    case IDC_OK:
      s.LINE_WIDTH = read_field_number(dialog.item_text(IDC_LINE_WIDTH));
      s.STAR_SIZE = read_field_number(dialog.item_text(IDC_STAR_SIZE));
      save_settings(s, store_);
      dialog.end_dialog(1);
      break;
    case IDC_CANCEL:
      // Nothing is saved, and nothing changed so far is undone.
      dialog.end_dialog(1);
      break;
    case IDC_ABOUT:
      dialog.run_about_dialog();
      break;
    case IDC_VIEW_CHASE:
    case IDC_VIEW_ROTATE:
    case IDC_VIEW_SNAPSHOT:
      s.VIEW_MODE = id - IDC_VIEW_CHASE;
      break;
    case IDC_ROAMLETS:
      check_and_apply(dialog, id, s.NUM_ROAMLETS, kMinCount, kMaxCount);
      scene_.resize_roamlets(s.NUM_ROAMLETS);
      break;
    case IDC_CHASERS:
      check_and_apply(dialog, id, s.NUM_CHASERS, kMinCount, kMaxCount);
      scene_.resize_chasers(s.NUM_CHASERS);
      break;
    case IDC_DENSITY:
      check_and_apply(dialog, id, s.DENSITY, kMinDensity, kMaxDensity);
      scene_.rebuild_starfield(s.DENSITY);
      break;
    case IDC_STAR_SMOOTH:
      s.STAR_SMOOTH = toggled(s.STAR_SMOOTH);
      break;
    case IDC_FOG:
      s.FOG_ENABLE = toggled(s.FOG_ENABLE);
      break;
    default:
      break;
  }
}

void ConfigDialog::check_and_apply(DialogControls& dialog, int id, std::int32_t& field, std::int32_t lower,
                                   std::int32_t upper) {
  std::int32_t value = read_field_number(dialog.item_text(id));
  if (value < lower || value > upper) {
    value = field;
    dialog.set_item_text(id, std::to_string(value));
  }
  field = value;
}

}  // namespace roamlets
