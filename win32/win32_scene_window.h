// The program's own part of a saver run on Windows: the procedure of the saver
// window that builds, ticks and tears down the scene, and the OpenGL child
// window (the scene window) that carries the rendering context and draws.
#pragma once

#include <windows.h>

#include <cstdint>

#include "saver/process_records.h"
#include "saver/saver_run.h"
#include "saver/saver_window.h"

namespace roamlets::saver {

inline constexpr const char* kSceneClassName = "NTDEVCLASS";
inline constexpr const char* kSceneWindowTitle = "Roamlet OpenGL Screen Saver";

// Next in the saver window's chain after the host's routing. The scene window
// carries it as its creation data. The run writes back only the values the
// store lacks when it ends.
class SaverRunProcedure final : public SaverProcedure {
 public:
  SaverRunProcedure(Host& host, ProcessRecords& records);
  LResult handle(const Message& message) override;

 private:
  static LRESULT CALLBACK scene_window_proc(HWND window, UINT id, WPARAM wparam, LPARAM lparam);
  LRESULT scene_message(HWND window, UINT id, WPARAM wparam, LPARAM lparam);

  void on_saver_created(HWND saver);
  void on_saver_destroyed(HWND saver);
  void create_scene(HWND window);
  void destroy_scene(HWND window);
  void setup_palette();
  void paint_frame(HWND window);

  Host& host_;
  SaverRun run_;
  // The saver window's size when the scene window was first made.
  std::int32_t saver_width_ = 0;
  std::int32_t saver_height_ = 0;
  HWND scene_window_ = nullptr;
  HDC scene_dc_ = nullptr;
  HGLRC gl_context_ = nullptr;
  HPALETTE palette_ = nullptr;
};

}  // namespace roamlets::saver
