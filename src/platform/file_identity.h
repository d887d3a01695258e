// Which file or folder a path leads to, so that two paths to the same folder (through a symbolic
// link, say) can be told to be one. Paths are host paths ('\'-separated wide text).
#pragma once

#include <compare>
#include <cstdint>

#include "platform/win_types.h"

// The volume and the file's number on it: equal for two paths exactly when they lead to the same
// file or folder, links followed.
struct FILE_IDENTITY {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;

  bool operator==(const FILE_IDENTITY&) const = default;
  auto operator<=>(const FILE_IDENTITY&) const = default;
};

// Fills `identity` for what `path` leads to; FALSE when nothing is reachable there.
BOOL GetFileIdentityW(const wchar_t* path, FILE_IDENTITY* identity);
