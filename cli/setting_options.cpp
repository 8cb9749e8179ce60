#include "cli/setting_options.h"

#include "settings/ranges.h"
#include "cli/cli_numbers.h"

namespace roamlets {
namespace {

std::optional<std::int32_t> parse_mode(std::string_view text) {
  if (text == "chase") return static_cast<std::int32_t>(ViewMode::Chase);
  if (text == "rotate") return static_cast<std::int32_t>(ViewMode::Rotate);
  if (text == "snapshot") return static_cast<std::int32_t>(ViewMode::Snapshot);
  return parse_int32(text);
}

std::optional<std::int32_t> parse_switch(std::string_view text) {
  if (text == "on") return 1;
  if (text == "off") return 0;
  return parse_int32(text);
}

}  // namespace

std::string setting_options_usage() {
  // A count goes to the scene as a stored one would, so the scene's clamp is
  // what the user gets.
  const std::string clamped = " (clamped to 0.." + std::to_string(kMaxCount) + ")\n";
  return "  --mode M         chase, rotate, snapshot, or a stored VIEW_MODE number\n"
         "  --roamlets N     roamlet count" +
         clamped + "  --chasers N      chaser count" + clamped +
         "  --density N      star-field spacing: larger means fewer stars (1 is the densest)\n"
         "  --line-width N   trail width in pixels\n"
         "  --star-size N    star size in pixels\n"
         "  --star-smooth B  round, additively blended stars: on, off or a number\n"
         "  --fog B          exponential fog: on, off or a number\n";
}

const SettingOption* find_setting_option(std::string_view name) {
  static constexpr SettingOption kOptions[] = {
      {"--mode", &Settings::VIEW_MODE, parse_mode},
      {"--roamlets", &Settings::NUM_ROAMLETS, parse_int32},
      {"--chasers", &Settings::NUM_CHASERS, parse_int32},
      {"--density", &Settings::DENSITY, parse_int32},
      {"--line-width", &Settings::LINE_WIDTH, parse_int32},
      {"--star-size", &Settings::STAR_SIZE, parse_int32},
      {"--star-smooth", &Settings::STAR_SMOOTH, parse_switch},
      {"--fog", &Settings::FOG_ENABLE, parse_switch},
  };
  for (const SettingOption& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

OptionResult apply_setting_option(std::string_view name, std::string_view value, Settings& settings) {
  const SettingOption* option = find_setting_option(name);
  if (option == nullptr) return OptionResult::NotOne;
  const std::optional<std::int32_t> parsed = option->parse(value);
  if (!parsed) return OptionResult::BadValue;
  settings.*option->field = *parsed;
  return OptionResult::Applied;
}

}  // namespace roamlets
