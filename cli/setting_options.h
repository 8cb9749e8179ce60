// The command-line options that set one of the eight settings for a run, as
// the tools and both programs spell them. Values are taken as a stored value
// would be: any 32-bit number, with the same treatment of out-of-range values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace roamlets {

// One line per option, for usage texts.
std::string setting_options_usage();

// What became of one `--name value` pair offered to a set of options.
enum class OptionResult { NotOne, Applied, BadValue };

// One setting option: its name, the field it sets and how its value is read.
struct SettingOption {
  std::string_view name;
  std::int32_t Settings::*field;
  std::optional<std::int32_t> (*parse)(std::string_view);
};

// The option called `name` (with both dashes), or null.
const SettingOption* find_setting_option(std::string_view name);

// Applies `--name value` to `settings` when `name` is one of the options
// above.
OptionResult apply_setting_option(std::string_view name, std::string_view value, Settings& settings);

}  // namespace roamlets
