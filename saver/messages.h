// The window-message numbers and flags the host's decisions work with, as the
// platform defines them, so that the decisions build without the platform's
// headers. The Win32 side checks them against windows.h.
#pragma once

#include <cstdint>

namespace roamlets::saver {

inline constexpr std::uint32_t kWmCreate = 0x0001;
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmSize = 0x0005;
inline constexpr std::uint32_t kWmActivate = 0x0006;
inline constexpr std::uint32_t kWmSetText = 0x000C;
inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmEraseBackground = 0x0014;
inline constexpr std::uint32_t kWmShowWindow = 0x0018;
inline constexpr std::uint32_t kWmActivateApp = 0x001C;
inline constexpr std::uint32_t kWmSetCursor = 0x0020;
inline constexpr std::uint32_t kWmPower = 0x0048;
inline constexpr std::uint32_t kWmHelp = 0x0053;
inline constexpr std::uint32_t kWmContextMenu = 0x007B;
inline constexpr std::uint32_t kWmNcActivate = 0x0086;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmSysKeyDown = 0x0104;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uint32_t kWmTimer = 0x0113;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmXButtonDown = 0x020B;
inline constexpr std::uint32_t kWmMouseHWheel = 0x020E;
inline constexpr std::uint32_t kWmPowerBroadcast = 0x0218;
// The host's private request for the password verdict.
inline constexpr std::uint32_t kWmApp = 0x8000;

// WM_POWER: the system resumes after a critical suspension.
inline constexpr std::uintptr_t kPowerCriticalResume = 3;

// WM_SYSCOMMAND commands that a full-screen run swallows.
inline constexpr std::uintptr_t kScNextWindow = 0xF040;
inline constexpr std::uintptr_t kScPrevWindow = 0xF050;
inline constexpr std::uintptr_t kScScreenSave = 0xF140;

}  // namespace roamlets::saver
