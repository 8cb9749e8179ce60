// The star field as compiled display lists: the whole field, and the same
// stars cut into pieces that a frame can draw one at a time.
#pragma once

#include <cstdint>

#include "render/scene_view.h"
#include "scene/lcg.h"

namespace roamlets {

// The most stars a piece holds. A frame asks between pieces whether to go on
// (scene_render), so a piece bounds how long a close waits for the frame in
// flight: at the heaviest settings (stars 64 pixels wide and smoothed) a piece
// of this size takes about 20 ms in software at 1920 x 1080.
inline constexpr std::uint32_t kStarsPerPiece = 4096;

// The compiled field: `list` replays every star; the `pieces` lists named
// list + 1 ... list + pieces replay the same stars in the same order, at most
// kStarsPerPiece each. Both 0 when no names could be allocated.
struct StarLists {
  std::uint32_t list = 0;
  std::uint32_t pieces = 0;
};

// Allocates the names and compiles into them (compile only) the star field for
// `density`, drawn from `lcg`. The draws are made whether or not names could
// be allocated (no current context), so the generator advances the same with
// or without OpenGL.
StarLists compile_starfield(std::int32_t density, Lcg& lcg);

// Deletes the view's star lists and compiles new ones for `density` from
// `lcg` (the scene's generator), storing their names in the view.
void rebuild_starfield(SceneView& view, std::int32_t density, Lcg& lcg);

// Deletes the view's star lists, if any, and forgets their names.
void delete_starfield(SceneView& view);

}  // namespace roamlets
