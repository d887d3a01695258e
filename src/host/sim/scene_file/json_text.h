// Where a JSON reading stopped, in words: shared by the scene file's parser and reader and by the
// glTF checks, so that every JSON file the host reads is placed and quoted alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sim {

// "line L, column C" of a byte offset, both counted from 1.
std::string DescribeTextPosition(std::string_view text, std::size_t byteOffset);

// A JSON pointer segment: '~' and '/' escaped as "~0" and "~1".
std::string EscapePointerSegment(std::string_view key);

}  // namespace sim
