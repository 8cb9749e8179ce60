// Arguments and paths in messages: quoted, cut to a bounded length and with
// every byte that is not printable ASCII shown as '?', so that no argument can
// make a message long or reach the terminal as a control sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace roamlets {

// At most this many bytes of the text are shown.
inline constexpr std::size_t kQuotedMax = 80;

// 'text', or 'the first kQuotedMax bytes...' (N bytes) when it is longer.
std::string quoted(std::string_view text);

}  // namespace roamlets
