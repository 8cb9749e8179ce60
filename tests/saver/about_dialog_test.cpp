// The About dialog's commands: OK and Cancel end it with their own id, the
// web address opens through the shell and leaves it open.
#include "saver/about_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/saver/fake_dialog.h"

namespace roamlets {
namespace {

using Log = std::vector<std::string>;

TEST(AboutDialog, CommandsByControl) {
  const struct {
    int id;
    bool acted;
    Log log;
  } rows[] = {
      {IDC_OK, true, {"end 1"}},
      {IDC_CANCEL, true, {"end 2"}},
      {IDC_WEB_ADDRESS, true, {"open https://roamlets.example.org/"}},
      {0, false, {}},
      {3, false, {}},
      {IDC_MAKER, false, {}},
      {0xFFFF, false, {}},
  };
  for (const auto& row : rows) {
    testing::FakeDialog ui;
    EXPECT_EQ(about_command(ui, static_cast<std::uint16_t>(row.id)), row.acted) << row.id;
    EXPECT_EQ(ui.log, row.log) << row.id;
  }
}

}  // namespace
}  // namespace roamlets
