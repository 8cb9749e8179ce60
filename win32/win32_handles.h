// Conversions between the Win32 handle types and the host's plain handles.
#pragma once

#include <windows.h>

#include "saver/platform_types.h"

namespace roamlets::saver {

inline HWND to_hwnd(Window window) { return reinterpret_cast<HWND>(window); }
inline Window to_window(HWND window) { return reinterpret_cast<Window>(window); }
inline HMODULE to_hmodule(Module module) { return reinterpret_cast<HMODULE>(module); }
inline Module to_module(HMODULE module) { return reinterpret_cast<Module>(module); }
inline HINSTANCE to_hinstance(Instance instance) { return reinterpret_cast<HINSTANCE>(instance); }

inline Message to_message(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  return {to_window(window), id, wparam, lparam};
}

}  // namespace roamlets::saver
