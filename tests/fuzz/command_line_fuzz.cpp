// The screen saver's command line from raw bytes: the tail cut out of the
// line, the mode letter for both platform families, the window handles, and
// the dispatch against the recording fake platform. Every line must give one
// of the five run modes, and saver_main must run exactly what that mode runs
// and return its exit code.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "saver/run_modes.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/saver/fake_platform.h"

namespace roamlets::saver {
namespace {

using testing::FakeHost;
using testing::FakePlatform;

constexpr Instance kInstance = 1000;
constexpr Window kForeground = 77;
constexpr Window kCreated = 7;
constexpr int kLoopEnd = 42;
constexpr int kDialogEnd = 5;
constexpr Entry kChangePasswordEntry = 31;
// Live windows: small and large handles, and the largest 32-bit one.
constexpr Window kLiveWindows[] = {1, 12, 1234, 4000000000u, 4294967295u};

bool is_blank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The tail as the command-line rule states it: past a quoted name to its
// closing quote (or the end), or past an unquoted name to its first blank,
// then past the blanks and control bytes.
const char* reference_tail(const char* line) {
  std::size_t at = 0;
  if (line[0] == '"') {
    const char* close = std::strchr(line + 1, '"');
    at = close != nullptr ? static_cast<std::size_t>(close - line) + 1 : std::strlen(line);
  } else {
    while (!is_blank(line[at])) ++at;
  }
  while (line[at] != '\0' && is_blank(line[at])) ++at;
  return line + at;
}

// Leading decimal digits, modulo 2^32.
Window reference_handle(const char* text) {
  std::uint64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = (value * 10 + static_cast<std::uint64_t>(*text - '0')) % (1ull << 32);
  return static_cast<Window>(value);
}

bool is_live(Window handle) {
  for (const Window live : kLiveWindows) {
    if (handle == live) return true;
  }
  return false;
}

const char* skip_spaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

// What the command-line table gives for a tail: the mode, where its handle
// text starts, and for a configuration run its owner as given.
RunMode reference_mode(const char* tail, bool on_win9x) {
  const char* at = tail;
  while (*at == ' ' || *at == '-' || *at == '/') ++at;
  switch (*at) {
    case '\0':
      return {RunKind::Configure, at, false, 0};
    case 's':
    case 'S':
      return {RunKind::Run, at + 1, false, 0};
    case 'p':
    case 'P':
    case 'l':
    case 'L':
      return {RunKind::Preview, skip_spaces(at + 1), false, 0};
    case 'c':
    case 'C':
      return {RunKind::Configure, at + 1, true, at[1] == ':' ? reference_handle(at + 2) : 0};
    case 'a':
    case 'A':
      if (on_win9x) return {RunKind::ChangePassword, skip_spaces(at + 1), false, 0};
      return {RunKind::Reject, at, false, 0};
    default:
      return {RunKind::Reject, at, false, 0};
  }
}

// What a run of `mode` must leave in the fake's records (the saver window
// with its parent, the dialog with its owner, the password change with its
// owner, or nothing) and return.
struct Outcome {
  std::string ran;
  int exit_code;
};

Outcome expected_outcome(const RunMode& mode) {
  const std::string created = "create_window " + std::to_string(kInstance) + " parent=";
  const std::string configure = "configure " + std::to_string(kInstance) + " owner=";
  const Window given = reference_handle(mode.text);
  switch (mode.kind) {
    case RunKind::Run:
      return {created + "0", kLoopEnd};
    case RunKind::Preview:
      if (given != 0 && is_live(given)) return {created + std::to_string(given), kLoopEnd};
      return {"", -1};
    case RunKind::Configure:
      if (!mode.from_letter) return {configure + "0", kDialogEnd};
      return {configure + std::to_string(mode.owner != 0 && is_live(mode.owner) ? mode.owner : kForeground),
              kDialogEnd};
    case RunKind::ChangePassword:
      return {"change_password " + std::to_string(kChangePasswordEntry) + " SCRSAVE " +
                  std::to_string(given != 0 && is_live(given) ? given : kForeground),
              0};
    case RunKind::Reject:
      break;
  }
  return {"", -1};
}

// The runs the fake recorded, one per line.
std::string what_ran(const FakePlatform& fake) {
  std::string ran;
  for (const std::string& entry : fake.actions()) {
    for (const char* kind : {"create_window", "configure", "change_password"}) {
      if (entry.rfind(kind, 0) == 0) ran += (ran.empty() ? "" : "\n") + entry;
    }
  }
  return ran;
}

bool within(const char* p, const char* begin, const char* end) { return p >= begin && p <= end; }

void check_tail(const char* tail, bool on_win9x) {
  const char* end = tail + std::strlen(tail);
  const RunMode mode = scan_command_tail(tail, on_win9x);
  const int kind = static_cast<int>(mode.kind);
  FUZZ_CHECK(kind >= static_cast<int>(RunKind::Configure) && kind <= static_cast<int>(RunKind::Reject));
  FUZZ_CHECK(within(mode.text, tail, end));

  const RunMode expected = reference_mode(tail, on_win9x);
  FUZZ_CHECK(mode.kind == expected.kind);
  FUZZ_CHECK(mode.text == expected.text);
  FUZZ_CHECK(mode.from_letter == expected.from_letter);
  FUZZ_CHECK(mode.owner == expected.owner);
  FUZZ_CHECK(parse_window_handle(mode.text) == reference_handle(mode.text));

  FakeHost h;
  h.fake.win9x = on_win9x;
  h.fake.windows.insert(std::begin(kLiveWindows), std::end(kLiveWindows));
  h.fake.foreground = kForeground;
  h.fake.created_window = kCreated;
  h.fake.loop_result = kLoopEnd;
  h.fake.dialog_result = kDialogEnd;
  h.fake.libraries = {{"C:\\WINDOWS\\SYSTEM\\MPR.DLL", 30}};
  h.fake.entries = {{"PwdChangePasswordA", kChangePasswordEntry}};
  const int exit_code = saver_main(h.host, kInstance, tail);

  const Outcome outcome = expected_outcome(expected);
  FUZZ_CHECK(exit_code == outcome.exit_code);
  FUZZ_CHECK(what_ran(h.fake) == outcome.ran);
  FUZZ_CHECK(h.state.instance == kInstance);
  FUZZ_CHECK(h.state.on_win9x == (on_win9x ? 1u : 0u));
  FUZZ_CHECK(static_cast<bool>(h.fake.fault_guard));
  // A rejected tail, or a preview of no live window, does nothing but guard.
  if (outcome.ran.empty()) FUZZ_CHECK(h.fake.actions() == testing::Log{"install_fault_guard"});
}

}  // namespace
}  // namespace roamlets::saver

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace roamlets::saver;
  // The raw line as the system hands it over: NUL-terminated, so it ends at
  // the input's first NUL byte.
  const std::string line(reinterpret_cast<const char*>(data), size);
  const char* begin = line.c_str();
  const char* end = begin + std::strlen(begin);

  testing::FakePlatform fake;
  const char* tail = command_tail(fake, begin);
  FUZZ_CHECK(within(tail, begin, end));
  FUZZ_CHECK(tail == reference_tail(begin));

  FUZZ_CHECK(parse_window_handle(begin) == reference_handle(begin));
  for (const bool on_win9x : {false, true}) check_tail(tail, on_win9x);
  return 0;
}
