// scene-dump's command line: good runs print one JSON object, bad arguments
// get a usage message and status 2.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/run_command.h"

namespace {

using roamlets::testing_cli::CommandResult;

CommandResult run_dump(const std::string& args) {
  return roamlets::testing_cli::run_command(std::string(SCENE_DUMP_PATH) + " " + args);
}

TEST(SceneDumpCli, BadArgumentsGetUsageAndStatusTwo) {
  const char* bad[] = {
      "--seed",                 // missing value
      "--seed x",               // not a number
      "--seed 4294967296",      // does not fit in 32 bits
      "--roamlets 12abc",       // trailing junk
      "--roamlets ''",          // empty
      "--chasers 99999999999",  // too large for a count
      "--mode sideways",        // unknown mode name
      "--ticks -1",             // negative ticks
      "--density 1.5",          // not whole
      "--frobnicate 3",         // unknown option
      "stray",                  // not an option
  };
  for (const char* args : bad) {
    const CommandResult r = run_dump(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.out.find("usage: scene-dump"), std::string::npos) << args;
    EXPECT_EQ(r.out.find('{'), std::string::npos) << args;
  }
}

TEST(SceneDumpCli, MessagesQuoteOnlyPartOfAHugeArgument) {
  const CommandResult r = run_dump("--roamlets " + std::string(100000, '7'));
  EXPECT_EQ(r.status, 2);
  const std::string first_line = r.out.substr(0, r.out.find('\n'));
  EXPECT_LT(first_line.size(), 200u) << first_line.substr(0, 200);
  EXPECT_NE(first_line.find("(100000 bytes)"), std::string::npos) << first_line.substr(0, 200);
}

TEST(SceneDumpCli, HelpIsNotAnError) {
  const CommandResult r = run_dump("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: scene-dump", 0), 0u);
}

TEST(SceneDumpCli, PrintsTheWholeStateAsOneObject) {
  const CommandResult r =
      run_dump("--seed 7 --roamlets 2 --chasers 1 --mode snapshot --ticks 3 --density 30000");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.front(), '{');
  EXPECT_EQ(r.out.back(), '\n');
  EXPECT_NE(r.out.find("\"tick_counter\":3,"), std::string::npos);
  EXPECT_NE(r.out.find("\"star_count\":12,"), std::string::npos);
  EXPECT_NE(r.out.find("\"kind\":\"chaser\""), std::string::npos);

  // Signed and unsigned spellings of the same seed, and the mode by name or
  // by number, give the same scene.
  EXPECT_EQ(run_dump("--seed -1 --mode rotate --ticks 5").out,
            run_dump("--seed 4294967295 --mode 1 --ticks 5").out);
}

}  // namespace
