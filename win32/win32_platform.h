// The platform seam on Windows: each operation is the ANSI Win32 call it names.
#pragma once

#include <windows.h>

#include "saver/platform.h"
#include "saver/process_records.h"
#include "saver/saver_window.h"

namespace roamlets::saver {

class Win32Platform : public Platform {
 public:
  // The saver window's messages go through the host's routing to `next`, and
  // the configuration dialog edits `records`. Call before the saver window is
  // made or the dialog opened; all three outlive both.
  void serve(Host& host, SaverProcedure& next, ProcessRecords& records);

  // A message of the saver window, through the host's routing.
  LResult saver_window_message(const Message& message);

  bool version_is_win9x() override;
  const char* next_char(const char* text) override;
  void install_fault_guard(std::function<void()> on_handled) override;

  LResult default_window_proc(const Message& message) override;
  bool post_message(const Message& message) override;
  LResult send_message(const Message& message) override;
  void remove_one_timer_message(Window window) override;
  std::optional<Message> peek_message(std::uint32_t id) override;
  void post_quit_message(int code) override;
  int message_loop() override;
  void yield_processor() override;

  bool is_window(Window window) override;
  Window parent_of(Window window) override;
  Window foreground_window() override;
  void set_foreground_window(Window window) override;
  Window find_window(const char* class_name, const char* title) override;
  std::uint32_t register_window_message(const char* name) override;
  Rect client_rect(Window window) override;
  Rect screen_clip_box() override;
  Point cursor_pos() override;
  void hide_cursor() override;

  bool register_saver_class(Instance instance) override;
  Window create_saver_window(Instance instance, const SaverWindowLayout& layout) override;

  int run_configuration_dialog(Instance instance, Window owner) override;

  bool read_desktop_value(const char* name, std::uint32_t& value) override;

  std::uint32_t tick_count() override;
  void set_screen_saver_running(bool on) override;

  std::string system_directory() override;
  Module load_library(const std::string& path) override;
  Module loaded_module(const char* name) override;
  Entry find_entry(Module module, const char* name) override;
  void free_library(Module module) override;
  std::int32_t call_verify_password(Entry entry, Window window) override;
  void call_change_password(Entry entry, const char* provider, Window owner) override;
  Handle call_ime_associate(Entry entry, Window window, Handle context) override;

 private:
  Host* host_ = nullptr;
  SaverProcedure* next_ = nullptr;
  ProcessRecords* records_ = nullptr;
};

}  // namespace roamlets::saver
