// The handful of Windows types and constants that the exporter's code is written against.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UINT = unsigned int;
using HRESULT = std::int32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace platform {
class Window;
class ModuleInstance;
}  // namespace platform

// A window handle is the host's window object; message boxes and dialogs are shown through it.
using HWND = platform::Window*;
// A module instance handle names the loaded module (the resource module of its dialogs).
using HINSTANCE = platform::ModuleInstance*;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
