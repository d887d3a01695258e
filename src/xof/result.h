// Result codes of the .x library. Calls report success or failure the way the DirectX library does:
// an HRESULT, negative on failure. A failed call changes nothing.
#pragma once

#include "platform/win_types.h"

namespace xof {

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);

// Our own failures, in the interface-specific range so they never collide with system codes.
constexpr HRESULT XOF_E_BAD_TEMPLATE_SET = static_cast<HRESULT>(0x80040301);
constexpr HRESULT XOF_E_UNKNOWN_TEMPLATE = static_cast<HRESULT>(0x80040302);
constexpr HRESULT XOF_E_BAD_NAME = static_cast<HRESULT>(0x80040303);
constexpr HRESULT XOF_E_BAD_DATA = static_cast<HRESULT>(0x80040304);
constexpr HRESULT XOF_E_NONFINITE = static_cast<HRESULT>(0x80040305);
constexpr HRESULT XOF_E_CHILD_NOT_ALLOWED = static_cast<HRESULT>(0x80040306);
constexpr HRESULT XOF_E_BAD_FORMAT = static_cast<HRESULT>(0x80040307);
constexpr HRESULT XOF_E_WRITE = static_cast<HRESULT>(0x80040308);

constexpr bool Succeeded(HRESULT result) { return result >= 0; }
constexpr bool Failed(HRESULT result) { return result < 0; }

// A short English description of a result code, for messages.
const char* ResultText(HRESULT result);

}  // namespace xof
