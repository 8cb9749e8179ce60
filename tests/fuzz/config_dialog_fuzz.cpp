// The configuration dialog from arbitrary input: read_field_number on raw
// text against the field rule, then a dialog over the recording dialog
// manager, opened on a stored record from the input and driven by a sequence
// of commands from the input. After every step the settings must match a
// model of the dialog kept here, every count setting must be in its range,
// every count field must read back to its setting, and a field put back must
// not set off more than the one nested check of the restored text.
//
// Input: a stored record (tests/fuzz/stored_record.h), then commands until
// the input ends, OK or Cancel, each an opcode byte (taken modulo 4) and its
// operands:
//   0 control text     the user types `text` into one of the five fields
//                      (control % 5), then the field reports the change;
//                      text is a size byte and that many bytes
//   1 control          a command from one of the dialog's controls (% 15)
//   2 id_lo id_hi      a command with any 16-bit id
//   3 control zeros v  the user types the 32-bit value v (little-endian) in
//                      decimal with `zeros` % 16 zeros after its sign
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>

#include "resources/resource_ids.h"
#include "saver/config_dialog.h"
#include "settings/ranges.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/stored_record.h"
#include "tests/saver/fake_dialog.h"

namespace roamlets::fuzz {
namespace {

using testing::FakeDialog;
using testing::RecordingSceneEdits;

constexpr int kFields[] = {IDC_ROAMLETS, IDC_CHASERS, IDC_DENSITY, IDC_LINE_WIDTH, IDC_STAR_SIZE};
constexpr int kControls[] = {IDC_OK,           IDC_CANCEL,        IDC_ABOUT,         IDC_VIEW_CHASE, IDC_VIEW_ROTATE,
                             IDC_VIEW_SNAPSHOT, IDC_ROAMLETS,     IDC_CHASERS,       IDC_DENSITY,    IDC_LINE_WIDTH,
                             IDC_STAR_SIZE,     IDC_ROAMLETS_SPIN, IDC_CHASERS_SPIN, IDC_STAR_SMOOTH, IDC_FOG};

// A field restored to its setting runs the check once more, nested, for the
// restored text, which is in range: one level. A loop would go deeper.
constexpr int kMaxNesting = 1;

// The field rule by the C library: strtol reads white space, an optional sign
// and decimal digits the same way, and nine characters cannot overflow.
std::int32_t reference_field_number(const std::string& text) {
  const std::string first = text.substr(0, kFieldChars);
  return static_cast<std::int32_t>(std::strtol(first.c_str(), nullptr, 10));
}

struct CountField {
  int id;
  std::int32_t Settings::*setting;
  std::int32_t lower;
  std::int32_t upper;
  const char* scene_edit;
};

constexpr CountField kCountFields[] = {
    {IDC_ROAMLETS, &Settings::NUM_ROAMLETS, kMinCount, kMaxCount, "roamlets "},
    {IDC_CHASERS, &Settings::NUM_CHASERS, kMinCount, kMaxCount, "chasers "},
    {IDC_DENSITY, &Settings::DENSITY, kMinDensity, kMaxDensity, "stars "},
};

const CountField* count_field(int id) {
  for (const CountField& field : kCountFields) {
    if (field.id == id) return &field;
  }
  return nullptr;
}

class Session {
 public:
  explicit Session(ByteReader& in) : in_(in) {
    read_stored_record(in_, store_);
    ui_.on_text_change = [this](int id) { dialog_.command(ui_, static_cast<std::uint16_t>(id)); };
  }

  void open() {
    model_ = expected_load(store_);
    for (const CountField& field : kCountFields) {
      model_.*field.setting = std::clamp(model_.*field.setting, field.lower, field.upper);
    }
    dialog_.initialise(ui_);
    check_state();
    const bool known_view = model_.VIEW_MODE >= 0 && model_.VIEW_MODE <= 2;
    const std::string radio = "check " + std::to_string(IDC_VIEW_CHASE) + ".." + std::to_string(IDC_VIEW_SNAPSHOT) +
                              " " + std::to_string(known_view ? IDC_VIEW_CHASE + model_.VIEW_MODE : 0);
    FUZZ_CHECK(std::count(ui_.log.begin(), ui_.log.end(), radio) == 1);
    for (const int id : kFields) {
      // Each field shows its setting in full, the counts brought into range.
      const std::int32_t shown = id == IDC_LINE_WIDTH ? model_.LINE_WIDTH
                                 : id == IDC_STAR_SIZE ? model_.STAR_SIZE
                                                       : model_.*count_field(id)->setting;
      FUZZ_CHECK(ui_.texts[id] == std::to_string(shown));
    }
    key_at_open_ = store_.key_exists;
    stored_at_open_ = store_.values;
  }

  // Runs one command; false once the dialog has ended or the input is used up.
  bool step() {
    if (in_.done()) return false;
    ui_.log.clear();
    scene_.log.clear();
    ui_.deepest = 0;
    int id = 0;
    switch (in_.byte() % 4) {
      case 0:
        id = kFields[in_.byte() % std::size(kFields)];
        type(id, in_.bytes(in_.byte()));
        break;
      case 1:
        id = kControls[in_.byte() % std::size(kControls)];
        press(id);
        break;
      case 2:
        id = in_.byte();
        id |= in_.byte() << 8;
        press(id);
        break;
      default: {
        id = kFields[in_.byte() % std::size(kFields)];
        const std::string zeros(in_.byte() % 16u, '0');
        const auto value = static_cast<std::int32_t>(in_.u32());
        const std::string digits = std::to_string(value);
        type(id, value < 0 ? "-" + zeros + digits.substr(1) : zeros + digits);
        break;
      }
    }
    check_state();
    return id != IDC_OK && id != IDC_CANCEL;
  }

 private:
  void type(int id, const std::string& text) {
    ui_.texts[id] = text;
    if (const CountField* field = count_field(id)) {
      const std::int32_t typed = reference_field_number(text);
      if (typed >= field->lower && typed <= field->upper) model_.*field->setting = typed;
    }
    dialog_.command(ui_, static_cast<std::uint16_t>(id));
    if (const CountField* field = count_field(id)) check_scene_edit(*field);
  }

  void press(int id) {
    switch (id) {
      case IDC_OK:
        model_.LINE_WIDTH = reference_field_number(ui_.texts[IDC_LINE_WIDTH]);
        model_.STAR_SIZE = reference_field_number(ui_.texts[IDC_STAR_SIZE]);
        break;
      case IDC_VIEW_CHASE:
      case IDC_VIEW_ROTATE:
      case IDC_VIEW_SNAPSHOT:
        model_.VIEW_MODE = id - IDC_VIEW_CHASE;
        break;
      case IDC_STAR_SMOOTH:
        model_.STAR_SMOOTH = model_.STAR_SMOOTH == 0 ? 1 : 0;
        break;
      case IDC_FOG:
        model_.FOG_ENABLE = model_.FOG_ENABLE == 0 ? 1 : 0;
        break;
      default:
        if (const CountField* field = count_field(id)) {
          const std::int32_t shown = reference_field_number(ui_.texts[id]);
          if (shown >= field->lower && shown <= field->upper) model_.*field->setting = shown;
        }
        break;
    }
    dialog_.command(ui_, static_cast<std::uint16_t>(id));
    if (const CountField* field = count_field(id)) check_scene_edit(*field);

    const bool ended = !ui_.log.empty() && ui_.log.back() == "end 1";
    FUZZ_CHECK(ended == (id == IDC_OK || id == IDC_CANCEL));
    FUZZ_CHECK((std::count(ui_.log.begin(), ui_.log.end(), "about") == 1) == (id == IDC_ABOUT));
    if (id == IDC_OK) {
      // OK saves all eight, so the store holds exactly what the dialog shows.
      FUZZ_CHECK(holds_all_settings(store_));
      FUZZ_CHECK(expected_load(store_) == model_);
    } else {
      FUZZ_CHECK(store_.key_exists == key_at_open_);
      FUZZ_CHECK(store_.values == stored_at_open_);
    }
  }

  // A count field's command hands the scene the setting it leaves.
  void check_scene_edit(const CountField& field) {
    FUZZ_CHECK(!scene_.log.empty());
    FUZZ_CHECK(scene_.log.back() == field.scene_edit + std::to_string(model_.*field.setting));
  }

  void check_state() {
    FUZZ_CHECK(ui_.deepest <= kMaxNesting);
    FUZZ_CHECK(settings_ == model_);
    for (const CountField& field : kCountFields) {
      const std::int32_t value = settings_.*field.setting;
      FUZZ_CHECK(value >= field.lower && value <= field.upper);
      FUZZ_CHECK(read_field_number(ui_.item_text(field.id)) == value);
    }
  }

  ByteReader& in_;
  MemoryStore store_;
  Settings settings_;
  Settings model_;
  RecordingSceneEdits scene_;
  FakeDialog ui_;
  ConfigDialog dialog_{settings_, store_, scene_};
  bool key_at_open_ = false;
  std::map<std::string, MemoryStore::Bytes> stored_at_open_;
};

}  // namespace
}  // namespace roamlets::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace roamlets;
  using namespace roamlets::fuzz;
  // The field rule on the whole input as text.
  const std::string text(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(read_field_number(text) == reference_field_number(text));

  ByteReader in(data, size);
  Session session(in);
  session.open();
  while (session.step()) {
  }
  return 0;
}
