#include "cli/command_line.h"

#include <cstdio>

#include "cli/quoted.h"

namespace roamlets {

Parsed parse_command_line(int argc, char** argv, const ToolOption& tool_option, Settings& settings,
                          std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") return Parsed::Help;
    if (i + 1 >= argc) {
      error = "missing value after " + quoted(name);
      return Parsed::Bad;
    }
    const std::string_view value = argv[++i];
    OptionResult result = tool_option(name, value);
    if (result == OptionResult::NotOne) result = apply_setting_option(name, value, settings);
    if (result == OptionResult::NotOne) {
      error = "unknown option " + quoted(name);
      return Parsed::Bad;
    }
    if (result == OptionResult::BadValue) {
      error = "bad value for " + quoted(name) + ": " + quoted(value);
      return Parsed::Bad;
    }
  }
  return Parsed::Run;
}

std::optional<int> help_or_usage_error(Parsed parsed, const char* tool, const char* usage,
                                       const std::string& error) {
  switch (parsed) {
    case Parsed::Run:
      return std::nullopt;
    case Parsed::Help:
      std::fputs(usage, stdout);
      std::fputs(setting_options_usage().c_str(), stdout);
      return 0;
    case Parsed::Bad:
      break;
  }
  std::fprintf(stderr, "%s: %s\n", tool, error.c_str());
  std::fputs(usage, stderr);
  std::fputs(setting_options_usage().c_str(), stderr);
  return 2;
}

}  // namespace roamlets
