#include "cli/quoted.h"

namespace roamlets {

std::string quoted(std::string_view text) {
  const std::string_view shown = text.substr(0, kQuotedMax);
  std::string result = "'";
  for (const char c : shown) result += c >= ' ' && c <= '~' ? c : '?';
  result += '\'';
  if (shown.size() < text.size()) {
    result.insert(result.size() - 1, "...");
    result += " (" + std::to_string(text.size()) + " bytes)";
  }
  return result;
}

}  // namespace roamlets
