// The tools' command lines: `--name value` pairs, each either one of the
// tool's own options or a setting option, and --help.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "cli/setting_options.h"

namespace roamlets {

enum class Parsed { Run, Help, Bad };

// Takes the tool's own `--name value` pairs; answers NotOne for a name that
// is not one of them.
using ToolOption = std::function<OptionResult(std::string_view name, std::string_view value)>;

// Offers each pair to `tool_option`, then to the setting options, which
// change `settings`. Stops at --help or -h, or at the first bad argument,
// which it describes in `error`, quoting at most a bounded part of it.
Parsed parse_command_line(int argc, char** argv, const ToolOption& tool_option, Settings& settings,
                          std::string& error);

// For Help, prints the usage and the setting options on standard output and
// returns 0; for Bad, prints "<tool>: <error>" and the same on standard error
// and returns 2; for Run, returns nothing.
std::optional<int> help_or_usage_error(Parsed parsed, const char* tool, const char* usage,
                                       const std::string& error);

}  // namespace roamlets
