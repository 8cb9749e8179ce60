// A recording stand-in for the platform seam. Every call appends one readable
// record to `log` ("post 7 WM_CLOSE 0 0", "load C:\WINDOWS\SYSTEM\MPR.DLL");
// every answer is a field the test sets beforehand.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "saver/host_state.h"
#include "saver/platform.h"
#include "saver/saver_window.h"

namespace roamlets::saver::testing {

using Log = std::vector<std::string>;

// "7 WM_CLOSE 0 0": window, message name (or hex id), wParam, lParam.
std::string describe(const Message& message);

class FakePlatform : public Platform {
 public:
  // Answers. Handles are small decimal numbers so that records read easily.
  bool win9x = false;
  LResult default_result = 0xDEF;
  std::function<LResult(const Message&)> send_handler;  // answers 0 when unset
  std::function<void()> loop_script;                    // runs inside message_loop
  int loop_result = 0;
  std::set<Window> windows;  // the live windows
  Window parent = 0;
  Window foreground = 0;
  Window found = 0;
  std::uint32_t registered_id = 0xC0DE;
  Rect client;
  Rect screen;
  Point cursor;
  bool class_registers = true;
  Window created_window = 0;
  int dialog_result = 0;
  std::optional<std::uint32_t> desktop_value;
  std::deque<std::uint32_t> ticks;  // one per reading; running dry fails the test
  std::string system_dir = "C:\\WINDOWS\\SYSTEM";
  std::map<std::string, Module> libraries;  // by path
  std::map<std::string, Module> loaded;     // already in the process, by name
  std::map<std::string, Entry> entries;     // by entry name, in any module
  std::int32_t verdict = 0;
  Handle ime_previous = 0;
  std::map<std::uint32_t, Message> waiting;  // by id: what peek_message finds

  // What was recorded.
  Log log;
  std::vector<SaverWindowLayout> created;
  std::function<void()> fault_guard;

  // The log without the calls that only ask something.
  Log actions() const;

  bool version_is_win9x() override { return note("version", win9x); }
  // One byte on; stays on the terminating NUL.
  const char* next_char(const char* text) override { return *text != '\0' ? text + 1 : text; }
  void install_fault_guard(std::function<void()> on_handled) override;
  LResult default_window_proc(const Message& m) override {
    return note("default " + describe(m), default_result);
  }
  bool post_message(const Message& m) override { return note("post " + describe(m), true); }
  LResult send_message(const Message& m) override;
  void remove_one_timer_message(Window w) override { note("remove_timer " + id(w)); }
  std::optional<Message> peek_message(std::uint32_t message_id) override;
  void post_quit_message(int code) override { note("post_quit " + std::to_string(code)); }
  int message_loop() override;
  void yield_processor() override { note("yield"); }
  bool is_window(Window w) override { return note("is_window " + id(w), windows.count(w) != 0); }
  Window parent_of(Window w) override { return note("parent_of " + id(w), parent); }
  Window foreground_window() override { return note("foreground", foreground); }
  void set_foreground_window(Window w) override { note("set_foreground " + id(w)); }
  Window find_window(const char* class_name, const char* title) override {
    return note(std::string("find_window ") + class_name + " | " + title, found);
  }
  std::uint32_t register_window_message(const char* name) override {
    return note(std::string("register_message ") + name, registered_id);
  }
  Rect client_rect(Window w) override { return note("client_rect " + id(w), client); }
  Rect screen_clip_box() override { return note("screen", screen); }
  Point cursor_pos() override { return note("cursor_pos", cursor); }
  void hide_cursor() override { note("hide_cursor"); }
  bool register_saver_class(Instance i) override { return note("register_class " + id(i), class_registers); }
  Window create_saver_window(Instance instance, const SaverWindowLayout& layout) override;
  int run_configuration_dialog(Instance i, Window owner) override {
    return note("configure " + id(i) + " owner=" + id(owner), dialog_result);
  }
  bool read_desktop_value(const char* name, std::uint32_t& value) override;
  std::uint32_t tick_count() override;
  void set_screen_saver_running(bool on) override { note(on ? "saver_running 1" : "saver_running 0"); }
  std::string system_directory() override { return note("system_directory", system_dir); }
  Module load_library(const std::string& path) override {
    return note("load " + path, lookup(libraries, path));
  }
  Module loaded_module(const char* name) override {
    return note(std::string("loaded_module ") + name, lookup(loaded, name));
  }
  Entry find_entry(Module module, const char* name) override {
    return note("find_entry " + id(module) + " " + name, lookup(entries, name));
  }
  void free_library(Module module) override { note("free " + id(module)); }
  std::int32_t call_verify_password(Entry e, Window w) override {
    return note("verify_password " + id(e) + " " + id(w), verdict);
  }
  void call_change_password(Entry e, const char* provider, Window owner) override {
    note("change_password " + id(e) + " " + provider + " " + id(owner));
  }
  Handle call_ime_associate(Entry e, Window w, Handle context) override {
    return note("ime_associate " + id(e) + " " + id(w) + " " + id(context), ime_previous);
  }

 private:
  static std::string id(Handle handle) { return std::to_string(handle); }
  static Handle lookup(const std::map<std::string, Handle>& table, const std::string& key) {
    const auto found_entry = table.find(key);
    return found_entry != table.end() ? found_entry->second : 0;
  }
  void note(std::string entry) { log.push_back(std::move(entry)); }
  template <typename Answer>
  Answer note(std::string entry, Answer answer) {
    log.push_back(std::move(entry));
    return answer;
  }
};

// The procedure after the host's routing: records "next <message>" in the
// fake's log and answers kNextResult.
inline constexpr LResult kNextResult = 0x4E58;
class RecordingNext : public SaverProcedure {
 public:
  explicit RecordingNext(FakePlatform& platform) : platform_(platform) {}
  LResult handle(const Message& message) override {
    platform_.log.push_back("next " + describe(message));
    return kNextResult;
  }

 private:
  FakePlatform& platform_;
};

// A host over the fake, with a fresh record. Not copied: `host` refers to
// this object's own members.
struct FakeHost {
  FakeHost() = default;
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  HostState state;
  FakePlatform fake;
  Host host{state, fake};
};

}  // namespace roamlets::saver::testing
