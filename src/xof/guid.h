// Globally unique identifiers as the .x format and the DirectX library lay them out.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace xof {

// Same layout as the Windows GUID: 16 bytes, the first three fields little-endian in files.
struct Guid {
  DWORD data1 = 0;
  WORD data2 = 0;
  WORD data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  friend constexpr bool operator==(const Guid&, const Guid&) = default;
  friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
};
static_assert(sizeof(Guid) == 16);

// Parses "3d82ab46-62da-11cf-ab39-0020af71e433", with or without braces or angle brackets,
// in any letter case. Returns nothing when the text is not exactly one GUID.
std::optional<Guid> ParseGuid(std::string_view text);

// Lower-case 8-4-4-4-12 form without brackets, as saved files write it.
std::string FormatGuid(const Guid& id);

// The 16 bytes of a binary GUID record, and back.
void EncodeGuid(const Guid& id, std::uint8_t out[16]);
Guid DecodeGuid(const std::uint8_t in[16]);

}  // namespace xof
