// The program's own part of a saver run on Windows: the procedure of the saver
// window that builds, ticks and tears down the scene, and the OpenGL child
// window (the scene window) that carries the rendering context and draws.
#pragma once

#include "host/saver_run.h"
#include "host/saver_window.h"

namespace roamlets::host {

inline constexpr const char* kSceneClassName = "NTDEVCLASS";
inline constexpr const char* kSceneWindowTitle = "Roamlet OpenGL Screen Saver";

// Next in the saver window's chain after the host's routing. One per process:
// the scene window's procedure reaches the host and the run through it. The
// run writes back only the values the store lacks when it ends.
class SceneSaverProcedure final : public SaverProcedure {
 public:
  explicit SceneSaverProcedure(Host& host);
  LResult handle(const Message& message) override;

 private:
  SaverRun run_;
};

}  // namespace roamlets::host
