// The program's own part of a saver run on Windows: the procedure of the saver
// window that builds, ticks and tears down the scene, and the OpenGL child
// window (the scene window) that carries the rendering context and draws.
#pragma once

#include "saver/saver_run.h"
#include "saver/saver_window.h"

namespace roamlets::saver {

inline constexpr const char* kSceneClassName = "NTDEVCLASS";
inline constexpr const char* kSceneWindowTitle = "Roamlet OpenGL Screen Saver";

// Next in the saver window's chain after the host's routing. One per process:
// the scene window's procedure reaches the host and the run through it. The
// run writes back only the values the store lacks when it ends.
class SaverRunProcedure final : public SaverProcedure {
 public:
  explicit SaverRunProcedure(Host& host);
  LResult handle(const Message& message) override;

 private:
  SaverRun run_;
};

}  // namespace roamlets::saver
