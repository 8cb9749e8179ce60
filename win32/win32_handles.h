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

// The object a window was made with as its creation data (CreateWindowExA's
// last argument), kept with the window from WM_NCCREATE on. Null for the one
// message before that, WM_GETMINMAXINFO, which then gets the default handling.
template <typename Data>
Data* creation_data(HWND window, UINT id, LPARAM lparam) {
  if (id == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  return reinterpret_cast<Data*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace roamlets::saver
