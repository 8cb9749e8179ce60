#include "tests/saver/fake_dialog.h"

#include <algorithm>
#include <cstdio>

namespace roamlets::testing {

void FakeDialog::set_item_text(int id, const std::string& text) {
  log.push_back("text " + std::to_string(id) + " " + text);
  texts[id] = text;
  if (!on_text_change || depth > 8) return;  // deeper than that is a loop; `deepest` tells
  ++depth;
  deepest = std::max(deepest, depth);
  on_text_change(id);
  --depth;
}

void FakeDialog::check_radio_button(int first, int last, int checked) {
  log.push_back("check " + std::to_string(first) + ".." + std::to_string(last) + " " + std::to_string(checked));
}

void FakeDialog::send_item_message(int id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  char record[96];
  std::snprintf(record, sizeof record, "message %d 0x%x %llu 0x%llx", id, message,
                static_cast<unsigned long long>(wparam), static_cast<unsigned long long>(lparam));
  log.push_back(record);
}

}  // namespace roamlets::testing
