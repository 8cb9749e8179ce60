// What a process holds, as the soak run samples it through the driver.
#include <windows.h>
// After windows.h:
#include <psapi.h>
#include <winternl.h>

#include <array>
#include <cstring>
#include <vector>

#include "tests/e2e/wine/driver/commands.h"

namespace driver {
namespace {

// What a process holds, as the soak run samples it: its memory
// (GetProcessMemoryInfo), GDI and USER objects (GetGuiResources) and handles
// (GetProcessHandleCount); and the same things counted another way, for a
// system whose calls above answer a flat 0 (Wine's do): its windows, the
// entries in use in its GDI handle table, and its handles in the system's
// handle list. A value that cannot be read is -1.
constexpr std::array<const char*, 9> kUsageNames = {
    "working_set", "pagefile", "private", "gdi", "user", "handles", "windows", "gdi_table", "system_handles"};
using Usage = std::array<std::int64_t, kUsageNames.size()>;

// ntdll's entry points, looked up at run time (the import library is not linked).
template <typename Function>
Function ntdll_function(const char* name) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const FARPROC found = ntdll ? GetProcAddress(ntdll, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

struct WindowCount {
  DWORD pid;
  std::int64_t count;
};

BOOL CALLBACK count_if_owned(HWND window, LPARAM context) {
  auto& counted = *reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == counted.pid) ++counted.count;
  return TRUE;
}

BOOL CALLBACK count_with_descendants(HWND window, LPARAM context) {
  auto& counted = *reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != counted.pid) return TRUE;
  ++counted.count;
  EnumChildWindows(window, count_if_owned, context);
  return TRUE;
}

std::int64_t window_count(DWORD pid) {
  WindowCount counted{pid, 0};
  EnumWindows(count_with_descendants, reinterpret_cast<LPARAM>(&counted));
  return counted.count;
}

// The GDI handle table that a 64-bit PEB points to (GdiSharedHandleTable):
// 65536 entries of 24 bytes, an entry's object type in its byte 14, 0 while
// the entry is free. Wine keeps one such table per process. The offset and
// the layout are those of 64-bit Windows: the 32-bit driver, which drives the
// setup's runs in a 32-bit prefix and samples nothing, answers -1.
constexpr bool kPeb64 = sizeof(void*) == 8;
constexpr std::size_t kPebGdiTableOffset = 0xF8;
constexpr std::size_t kGdiEntries = 0x10000;
constexpr std::size_t kGdiEntrySize = 24;
constexpr std::size_t kGdiTypeByte = 14;

std::int64_t gdi_table_count(HANDLE process) {
  if constexpr (!kPeb64) return -1;
  using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  static const auto query = ntdll_function<Query>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
  const auto* table_pointer =
      reinterpret_cast<const unsigned char*>(basic.PebBaseAddress) + kPebGdiTableOffset;
  const void* table = nullptr;
  if (!ReadProcessMemory(process, table_pointer, &table, sizeof table, nullptr) || !table) return -1;
  static std::vector<unsigned char> entries(kGdiEntries * kGdiEntrySize);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) return -1;
  std::int64_t used = 0;
  for (std::size_t i = 0; i < kGdiEntries; ++i) used += entries[i * kGdiEntrySize + kGdiTypeByte] != 0;
  return used;
}

// SystemExtendedHandleInformation: every open handle of the system with its process id.
// (The class is passed as a plain ULONG: MinGW's enum does not list it.)
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr std::size_t kHandleListLimit = std::size_t{64} << 20;

struct HandleEntry {
  void* object;
  ULONG_PTR pid;
  ULONG_PTR handle;
  ULONG access;
  USHORT creator_back_trace;
  USHORT type_index;
  ULONG attributes;
  ULONG reserved;
};

std::int64_t system_handle_count(DWORD pid) {
  using Query = NTSTATUS(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  static const auto query = ntdll_function<Query>("NtQuerySystemInformation");
  if (!query) return -1;
  static std::vector<unsigned char> list(std::size_t{1} << 18);
  NTSTATUS status;
  while ((status = query(kSystemExtendedHandleInformation, list.data(), static_cast<ULONG>(list.size()),
                         nullptr)) == kInfoLengthMismatch &&
         list.size() < kHandleListLimit) {
    list.resize(list.size() * 2);
  }
  if (status != 0) return -1;
  ULONG_PTR count = 0;
  std::memcpy(&count, list.data(), sizeof count);
  const std::size_t header = 2 * sizeof(ULONG_PTR);
  if (count > (list.size() - header) / sizeof(HandleEntry)) return -1;
  std::int64_t owned = 0;
  for (ULONG_PTR i = 0; i < count; ++i) {
    HandleEntry entry;
    std::memcpy(&entry, list.data() + header + i * sizeof entry, sizeof entry);
    owned += entry.pid == pid;
  }
  return owned;
}

Usage measure(HANDLE process, DWORD pid) {
  Usage usage;
  usage.fill(-1);
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    usage[0] = static_cast<std::int64_t>(memory.WorkingSetSize);
    usage[1] = static_cast<std::int64_t>(memory.PagefileUsage);
    usage[2] = static_cast<std::int64_t>(memory.PrivateUsage);
  }
  usage[3] = GetGuiResources(process, GR_GDIOBJECTS);
  usage[4] = GetGuiResources(process, GR_USEROBJECTS);
  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles)) usage[5] = handles;
  usage[6] = window_count(pid);
  usage[7] = gdi_table_count(process);
  usage[8] = system_handle_count(pid);
  return usage;
}

Reply usage_reply(const Usage& usage) {
  Reply reply;
  for (std::size_t i = 0; i < usage.size(); ++i) reply.add(kUsageNames[i], usage[i]);
  return reply;
}

}  // namespace

// How each count of the driver's own process moves while it holds 16 more
// GDI objects, 4 more windows, 16 more handles and 16 MiB more private
// memory (touched): a count that does not move measures nothing.
Reply probe_usage() {
  constexpr int kObjects = 16;
  constexpr SIZE_T kMemory = SIZE_T{16} << 20;
  const HANDLE self = GetCurrentProcess();
  const Usage before = measure(self, GetCurrentProcessId());
  std::vector<HBRUSH> brushes;
  std::vector<HANDLE> events;
  std::vector<HWND> windows;
  for (int i = 0; i < kObjects; ++i) {
    brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  }
  for (int i = 0; i < 4; ++i)
    windows.push_back(
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
  void* memory = VirtualAlloc(nullptr, kMemory, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (memory) std::memset(memory, 1, kMemory);
  const Usage after = measure(self, GetCurrentProcessId());

  if (memory) VirtualFree(memory, 0, MEM_RELEASE);
  for (HWND window : windows) DestroyWindow(window);
  for (HANDLE event : events) CloseHandle(event);
  for (HBRUSH brush : brushes) DeleteObject(brush);
  SetLastError(0);
  const DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS);
  const DWORD gui_error = gdi == 0 ? GetLastError() : 0;

  Usage change;
  for (std::size_t i = 0; i < change.size(); ++i)
    change[i] = before[i] < 0 || after[i] < 0 ? -1 : after[i] - before[i];
  return usage_reply(change).add("gui_error", gui_error);
}

Reply usage_of(HANDLE process, DWORD pid) { return usage_reply(measure(process, pid)); }

}  // namespace driver
