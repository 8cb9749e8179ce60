// A saver run's life, the same on Windows and on X: the settings loaded from
// the user's store, the scene initialised with the seed and given the
// window's size, two independent timers of one period (one steps the
// simulation, one draws a frame), and what the run writes back to the store
// when it ends. The programs own the windows, the OpenGL context and the
// delivery of the timers, and call in here.
#pragma once

#include <cstdint>

#include "render/frame.h"
#include "render/scene_view.h"
#include "saver/process_records.h"
#include "scene/scene_state.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace roamlets::saver {

// The period of both timers, in milliseconds.
inline constexpr std::int64_t kTimerPeriodMs = 33;

// What a run writes back to the user's store when it ends.
enum class EndOfRunSave {
  // Only the values the store lacks (the Windows saver): a run never
  // overwrites what a configuration run saved meanwhile, and the first run on
  // a machine still creates the record with all its values.
  AbsentValues,
  // Nothing (the Linux program): the record changes only when the user saves
  // it.
  Nothing,
};

class SaverRun {
 public:
  // Works on `records`, which outlive the run.
  SaverRun(ProcessRecords& records, EndOfRunSave end_save);

  Settings& settings() { return settings_; }

  void load(SettingsStore& store);

  // Builds the scene in the current OpenGL context: render state, star field,
  // scene model seeded with `seed`, fog. The window's size follows with
  // resize.
  void start(std::uint32_t seed);
  void resize(std::int32_t width, std::int32_t height);

  // One simulation step, on the tick timer.
  void tick();

  // One frame into the back buffer, on the frame timer, asking `abandon`
  // between its pieces. True when it was drawn whole: only then may the
  // buffers be swapped.
  bool frame(const FrameCheck& abandon);

  // Writes to `store` what the run keeps when it ends.
  void end(SettingsStore& store) const;

 private:
  SceneState& scene_;
  Settings& settings_;
  EndOfRunSave end_save_;
  // What the renderer keeps for the run's OpenGL context.
  SceneView view_;
};

}  // namespace roamlets::saver
