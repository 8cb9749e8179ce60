// Plain stand-ins for the platform's handle and message types, so that the
// host's decisions build and run without the platform's headers. Handles are
// opaque numbers of pointer size; 0 is the null handle.
#pragma once

#include <cstdint>

namespace roamlets::saver {

using Handle = std::uintptr_t;
using Window = Handle;
using Instance = Handle;
using Module = Handle;
// The address of an entry found in a loaded module.
using Entry = Handle;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// One window message as a window procedure receives it.
struct Message {
  Window window = 0;
  std::uint32_t id = 0;
  WParam wparam = 0;
  LParam lparam = 0;
};

}  // namespace roamlets::saver
