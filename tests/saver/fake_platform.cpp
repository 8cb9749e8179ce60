#include "tests/saver/fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "saver/messages.h"

namespace roamlets::saver::testing {

std::string describe(const Message& message) {
  static const std::map<std::uint32_t, const char*> names = {
      {kWmCreate, "WM_CREATE"},
      {kWmDestroy, "WM_DESTROY"},
      {kWmSize, "WM_SIZE"},
      {kWmActivate, "WM_ACTIVATE"},
      {kWmSetText, "WM_SETTEXT"},
      {kWmPaint, "WM_PAINT"},
      {kWmClose, "WM_CLOSE"},
      {kWmShowWindow, "WM_SHOWWINDOW"},
      {kWmActivateApp, "WM_ACTIVATEAPP"},
      {kWmSetCursor, "WM_SETCURSOR"},
      {kWmPower, "WM_POWER"},
      {kWmHelp, "WM_HELP"},
      {kWmContextMenu, "WM_CONTEXTMENU"},
      {kWmNcActivate, "WM_NCACTIVATE"},
      {kWmKeyDown, "WM_KEYDOWN"},
      {kWmSysKeyDown, "WM_SYSKEYDOWN"},
      {kWmSysCommand, "WM_SYSCOMMAND"},
      {kWmTimer, "WM_TIMER"},
      {kWmMouseMove, "WM_MOUSEMOVE"},
      {kWmLButtonDown, "WM_LBUTTONDOWN"},
      {kWmRButtonDown, "WM_RBUTTONDOWN"},
      {kWmMButtonDown, "WM_MBUTTONDOWN"},
      {kWmPowerBroadcast, "WM_POWERBROADCAST"},
      {kWmApp, "WM_APP"},
  };
  const auto name = names.find(message.id);
  return std::to_string(message.window) + " " +
         (name != names.end() ? name->second : "id" + std::to_string(message.id)) + " " +
         std::to_string(message.wparam) + " " + std::to_string(message.lparam);
}

Log FakePlatform::actions() const {
  static const std::set<std::string> queries = {
      "version",          "is_window",     "parent_of",  "foreground",   "find_window",
      "client_rect",      "screen",        "cursor_pos", "read_desktop", "tick_count",
      "system_directory", "loaded_module", "find_entry", "peek"};
  Log result;
  std::copy_if(log.begin(), log.end(), std::back_inserter(result),
               [](const std::string& entry) { return queries.count(entry.substr(0, entry.find(' '))) == 0; });
  return result;
}

void FakePlatform::install_fault_guard(std::function<void()> on_handled) {
  note("install_fault_guard");
  fault_guard = std::move(on_handled);
}

LResult FakePlatform::send_message(const Message& message) {
  note("send " + describe(message));
  return send_handler ? send_handler(message) : 0;
}

std::optional<Message> FakePlatform::peek_message(std::uint32_t message_id) {
  note("peek " + describe({0, message_id, 0, 0}).substr(2));
  const auto first = waiting.find(message_id);
  return first != waiting.end() ? std::optional<Message>(first->second) : std::nullopt;
}

int FakePlatform::message_loop() {
  note("message_loop");
  if (loop_script) loop_script();
  return loop_result;
}

Window FakePlatform::create_saver_window(Instance instance, const SaverWindowLayout& layout) {
  note("create_window " + id(instance) + " parent=" + id(layout.parent));
  created.push_back(layout);
  return created_window;
}

bool FakePlatform::read_desktop_value(const char* name, std::uint32_t& value) {
  note(std::string("read_desktop ") + name);
  if (desktop_value) value = *desktop_value;
  return desktop_value.has_value();
}

std::uint32_t FakePlatform::tick_count() {
  note("tick_count");
  if (ticks.empty()) {
    ADD_FAILURE() << "more tick readings than scripted";
    return 0;
  }
  const std::uint32_t now = ticks.front();
  ticks.pop_front();
  return now;
}

}  // namespace roamlets::saver::testing
