// What a run writes back to the user's store when it ends, by the program's
// end-of-run policy and what the store holds by then.
#include "saver/saver_run.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/memory_store.h"

namespace roamlets::saver {
namespace {

using Record = std::map<std::string, std::int32_t>;

Record contents(const MemoryStore& store) {
  Record record;
  for (const auto& [name, bytes] : store.values) {
    if (const std::optional<std::int32_t> value = store.get(name)) record[name] = *value;
  }
  return record;
}

TEST(SaverRunEnd, WritesBackWhatTheProgramKeeps) {
  const Settings ran{1, 11, 21, 31, 41, 51, 61, 71};
  const Record all = {{"VIEW_MODE", 1},   {"NUM_ROAMLETS", 11}, {"NUM_CHASERS", 21}, {"DENSITY", 31},
                      {"LINE_WIDTH", 41}, {"STAR_SIZE", 51},    {"STAR_SMOOTH", 61}, {"FOG_ENABLE", 71}};
  // What a configuration run saved while the run went on.
  const Record saved = {{"NUM_CHASERS", 60}, {"DENSITY", 500}};
  Record merged = all;
  merged["NUM_CHASERS"] = 60;
  merged["DENSITY"] = 500;

  const struct {
    EndOfRunSave end_save;
    Record before;
    Record after;
  } cases[] = {
      {EndOfRunSave::AbsentValues, {}, all},        // the first run on a machine creates the record
      {EndOfRunSave::AbsentValues, saved, merged},  // and never replaces what was saved meanwhile
      {EndOfRunSave::Nothing, {}, {}},              // creates no record
      {EndOfRunSave::Nothing, saved, saved},        // and writes nothing into one
  };
  for (const auto& c : cases) {
    MemoryStore store;
    for (const auto& [name, value] : c.before) store.put(name, value);
    ProcessRecords records;
    records.settings = ran;
    SaverRun run(records, c.end_save);
    run.end(store);
    EXPECT_EQ(contents(store), c.after)
        << static_cast<int>(c.end_save) << " with " << c.before.size() << " stored";
    EXPECT_EQ(store.log.empty(),
              c.end_save == EndOfRunSave::Nothing);  // a run that keeps nothing never opens it
  }
}

}  // namespace
}  // namespace roamlets::saver
