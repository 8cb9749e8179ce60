// Input that anyone who starts the saver, or any program of the same user, can
// hand it: raw command lines of any bytes and any length, double-byte
// characters, messages with ids and parameters the saver never asked for,
// and field text of any size. Each must get one of the program's ordinary
// answers.
#include <gtest/gtest.h>

#include <string>

#include "saver/close_rules.h"
#include "saver/run_modes.h"
#include "saver/messages.h"
#include "saver/saver_window.h"
#include "saver/config_dialog.h"
#include "tests/saver/fake_platform.h"

namespace roamlets::saver::testing {
namespace {

// The platform's character stepping in a double-byte code page (the lead
// bytes of code page 932): a lead byte takes the byte after it into its
// character, whatever that byte is, unless it is the terminating NUL.
class DoubleBytePlatform final : public FakePlatform {
 public:
  const char* next_char(const char* text) override {
    const auto byte = static_cast<unsigned char>(*text);
    if (byte == 0) return text;
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return lead && text[1] != '\0' ? text + 2 : text + 1;
  }
};

TEST(HostileCommandLine, DoubleByteCharactersTakeTheByteAfterALeadByteIntoTheName) {
  struct Row {
    const char* name;
    std::string line;
    std::size_t tail_at;  // offset of the tail in the line
  };
  const Row rows[] = {
      // A lead byte before the closing quote hides it: the name runs to the end.
      {"lead byte before the closing quote", "\"C:\\s\x81\" /s", 10},
      {"closing quote after a whole character", "\"C:\\s\x81\x40\" /s", 9},
      {"lead byte before a blank", "s\x81 /s", 5},
      {"lead byte before a tab", "s\x81\t/s", 5},
      {"lead byte after the blanks", "s \x81/s", 2},
      // A lead byte at the very end stops at the NUL, and nothing after it is read.
      {"lead byte at the end of a quoted name", std::string("\"ab\x81\0/s", 7), 4},
      {"lead byte at the end of a name", std::string("ab\x81\0/s", 6), 3},
  };
  for (const Row& row : rows) {
    DoubleBytePlatform platform;
    EXPECT_EQ(command_tail(platform, row.line.c_str()) - row.line.c_str(),
              static_cast<std::ptrdiff_t>(row.tail_at))
        << row.name;
  }
}

// What saver_main ran for a tail over the recording fake, where 1234 is a
// window and 77 the foreground window: the saver window it created, the
// configuration dialog or the password change, with their windows, or "nothing".
struct Outcome {
  int exit_code;
  std::string ran;
};

Outcome run_tail(const std::string& tail, bool win9x) {
  FakeHost h;
  h.fake.win9x = win9x;
  h.fake.windows = {1234};
  h.fake.foreground = 77;
  h.fake.created_window = 7;
  h.fake.loop_result = 0;
  h.fake.dialog_result = 1;
  h.fake.libraries = {{"C:\\WINDOWS\\SYSTEM\\MPR.DLL", 30}};
  h.fake.entries = {{"PwdChangePasswordA", 31}};
  const int code = saver_main(h.host, 1000, tail.c_str());
  std::string ran;
  for (const std::string& entry : h.fake.actions()) {
    if (entry.rfind("create_window", 0) == 0 || entry.rfind("configure", 0) == 0 ||
        entry.rfind("change_password", 0) == 0) {
      ran += (ran.empty() ? "" : "; ") + entry;
    }
  }
  return {code, ran.empty() ? "nothing" : ran};
}

TEST(HostileCommandLine, EveryByteButTheModeLettersIsRejectedWithoutRunningAnything) {
  const std::string letters = "SsPpLlCcAa";
  for (int value = 1; value < 256; ++value) {
    const char byte = static_cast<char>(value);
    if (byte == ' ' || byte == '-' || byte == '/' || letters.find(byte) != std::string::npos) continue;
    for (const std::string& tail : {std::string(1, byte), "/" + std::string(1, byte) + "s 1234",
                                    "-" + std::string(1, byte) + "p 1234"}) {
      for (const bool win9x : {false, true}) {
        const Outcome outcome = run_tail(tail, win9x);
        EXPECT_EQ(outcome.exit_code, -1) << "byte " << value;
        EXPECT_EQ(outcome.ran, "nothing") << "byte " << value;
      }
    }
  }
}

TEST(HostileCommandLine, LinesOfAMegabyteAreReadToTheirEnd) {
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  const std::string long_name(kMegabyte, 'x');
  FakePlatform fake;
  EXPECT_STREQ(command_tail(fake, (long_name + " /s").c_str()), "/s");
  EXPECT_STREQ(command_tail(fake, ("\"" + long_name + "\"" + std::string(kMegabyte, '\x01') + "/s").c_str()),
               "/s");
  EXPECT_STREQ(command_tail(fake, ("\"" + long_name + " /s").c_str()), "") << "an unterminated quote";

  const std::string switches(kMegabyte, '/');
  EXPECT_EQ(run_tail(switches + "s", false).ran, "create_window 1000 parent=0");
  EXPECT_EQ(run_tail(std::string(kMegabyte, ' ') + "-/ -c", false).ran, "configure 1000 owner=77");
  EXPECT_EQ(run_tail(switches + "\x7f", false).exit_code, -1);
  EXPECT_EQ(run_tail(switches, false).ran, "configure 1000 owner=0") << "nothing but switch characters";

  // A number of 100,000 digits whose last 40 spell 1234: every power of ten
  // from 10^32 on is a multiple of 2^32, so the digits before them add nothing.
  const std::string to_1234 = std::string(100000 - 40, '9') + std::string(36, '0') + "1234";
  EXPECT_EQ(parse_window_handle(to_1234.c_str()), Window{1234});
  EXPECT_EQ(run_tail("/p " + to_1234, false).ran, "create_window 1000 parent=1234");
  EXPECT_EQ(run_tail("/c:" + to_1234, false).ran, "configure 1000 owner=1234");
  // 1234 x 10^100000 is a multiple of 2^32: handle 0, which names no window.
  const Outcome zero = run_tail("/p 1234" + std::string(100000, '0'), false);
  EXPECT_EQ(zero.exit_code, -1);
  EXPECT_EQ(zero.ran, "nothing");
}

constexpr Window kSaver = 7;
constexpr LResult kDefault = 0xDEF;

TEST(HostileMessages, TimerMessagesOfAnyIdOrParameterTickLikeTheSaversOwn) {
  for (const WParam id : {WParam{0}, WParam{101}, WParam{0xBEEF}, ~WParam{0}}) {
    for (const LParam callback : {LParam{0}, LParam{0x41414141}, LParam{-1}}) {
      for (const bool preview : {false, true}) {
        FakeHost h;
        h.state.in_preview = preview ? 1 : 0;
        RecordingNext next(h.fake);
        const Message message{kSaver, kWmTimer, id, callback};
        EXPECT_EQ(saver_window_proc(h.host, next, message), kNextResult) << describe(message);
        EXPECT_EQ(h.fake.actions(), (Log{"yield", "next " + describe(message)})) << describe(message);
      }
      FakeHost closing;
      closing.state.closing = 1;
      RecordingNext next(closing.fake);
      EXPECT_EQ(saver_window_proc(closing.host, next, {kSaver, kWmTimer, id, callback}), 0);
      EXPECT_EQ(closing.fake.actions(), Log{}) << "a closing run ticks no more";
    }
  }
}

TEST(HostileMessages, MessagesTheRulesDoNotNameOnlyGetTheDefaultHandling) {
  constexpr std::uint32_t kQueryEndSession = 0x0011;
  constexpr std::uint32_t kEndSession = 0x0016;
  constexpr std::uint32_t kKeyUp = 0x0101;
  constexpr std::uint32_t kChar = 0x0102;
  constexpr std::uint32_t kLButtonUp = 0x0202;
  constexpr std::uint32_t kUser = 0x0400;
  const std::uint32_t ids[] = {0,     kQueryEndSession, kEndSession, kKeyUp, kChar,  kLButtonUp,
                               kUser, kWmApp + 1,       0xBFFF,      0xC000, 0xC0DF, 0xFFFF};
  for (const std::uint32_t id : ids) {
    for (const bool win9x : {false, true}) {
      for (const bool preview : {false, true}) {
        FakeHost h;
        h.state.saver_window = kSaver;
        h.state.on_win9x = win9x ? 1 : 0;
        h.state.in_preview = preview ? 1 : 0;
        h.state.autoplay_message = win9x ? 0xC0DE : 0;
        h.state.verify_password = win9x ? 51 : 0;
        const Message message{kSaver, id, ~WParam{0}, LParam{-1}};
        EXPECT_EQ(default_saver_proc(h.host, message), kDefault) << describe(message);
        EXPECT_EQ(h.fake.actions(), Log{"default " + describe(message)}) << describe(message);
        EXPECT_EQ(h.state.closing, 0u) << describe(message);
      }
    }
  }
}

TEST(HostileFieldText, OnlyTheFirstNineCharactersOfAnyTextAreRead) {
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  EXPECT_EQ(read_field_number(std::string(kMegabyte, '7')), 777777777);
  EXPECT_EQ(read_field_number("-" + std::string(kMegabyte, '9')), -99999999);
  EXPECT_EQ(read_field_number(std::string(8, ' ') + std::string(kMegabyte, '5')), 5);
  EXPECT_EQ(read_field_number(std::string(kMegabyte, ' ')), 0);
  EXPECT_EQ(read_field_number(std::string{'\x80', '\xff', '\x01', '1', '2'}), 0);
  EXPECT_EQ(read_field_number(std::string{'1', '2', '\0', '3', '4'}), 12);
  EXPECT_EQ(read_field_number("\xef\xbc\x91\xef\xbc\x92"), 0) << "full-width digits are not digits";
}

}  // namespace
}  // namespace roamlets::saver::testing
