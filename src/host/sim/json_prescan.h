// A pass over the raw text of a scene file before the JSON parser sees it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sim {

// Refuses nesting deeper than SceneLimits::kMaxJsonDepth and an object holding one key twice (the
// parser would silently keep the last one, hiding an author's mistake). Malformed JSON is left to
// the parser, which reports it better. Throws SceneFileError naming `fileName`.
void PrescanJson(std::string_view text, const std::string& fileName);

// "line L, column C" of a byte offset, both counted from 1.
std::string DescribeTextPosition(std::string_view text, std::size_t byteOffset);

// A JSON pointer segment: '~' and '/' escaped as "~0" and "~1".
std::string EscapePointerSegment(std::string_view key);

}  // namespace sim
