#include "host/sim/json_prescan.h"

#include <unordered_set>
#include <vector>

#include "host/sim/scene_file_error.h"
#include "host/sim/scene_limits.h"

namespace sim {

namespace {

// The pointer of an open value is not kept: the segments of the values open around it make it,
// and it is only needed for an error. So an array opened per vertex costs no allocation.
struct OpenValue {
  bool isObject = false;
  bool expectKey = false;
  std::string lastKey;
  std::size_t index = 0;
  std::unordered_set<std::string> keys;
};

// The offset of the quote closing the string that opens at `open`; npos when unterminated.
std::size_t StringEnd(std::string_view text, std::size_t open) {
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '"') {
      return i;
    }
  }
  return std::string_view::npos;
}

// The pointer of the value open at `depth`.
std::string PointerAt(const std::vector<OpenValue>& open, std::size_t depth) {
  std::string pointer;
  for (std::size_t d = 0; d < depth; ++d) {
    pointer += "/" + (open[d].isObject ? EscapePointerSegment(open[d].lastKey)
                                       : std::to_string(open[d].index));
  }
  return pointer;
}

}  // namespace

std::string EscapePointerSegment(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (c == '~') {
      out += "~0";
    } else if (c == '/') {
      out += "~1";
    } else {
      out += c;
    }
  }
  return out;
}

std::string DescribeTextPosition(std::string_view text, std::size_t byteOffset) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byteOffset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

void PrescanJson(std::string_view text, const std::string& fileName) {
  // open[0, depth) are the values open at the current place; slots past depth are kept for reuse.
  std::vector<OpenValue> open;
  std::size_t depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      std::size_t end = StringEnd(text, i);
      if (end == std::string_view::npos) return;
      if (depth > 0 && open[depth - 1].isObject && open[depth - 1].expectKey) {
        OpenValue& object = open[depth - 1];
        std::string key(text.substr(i + 1, end - i - 1));
        if (!object.keys.insert(key).second) {
          throw SceneFileError(fileName,
                               PointerAt(open, depth - 1) + "/" + EscapePointerSegment(key) + " (" +
                                   DescribeTextPosition(text, i) + ")",
                               "the key \"" + key + "\" appears twice in one object");
        }
        object.lastKey = std::move(key);
        object.expectKey = false;
      }
      i = end;
    } else if (c == '{' || c == '[') {
      if (depth >= static_cast<std::size_t>(SceneLimits::kMaxJsonDepth)) {
        throw SceneFileError(fileName, DescribeTextPosition(text, i),
                             "arrays and objects nest deeper than " +
                                 std::to_string(SceneLimits::kMaxJsonDepth) + " levels");
      }
      if (depth == open.size()) open.emplace_back();
      OpenValue& value = open[depth++];
      value.isObject = c == '{';
      value.expectKey = value.isObject;
      value.lastKey.clear();
      value.index = 0;
      if (!value.keys.empty()) value.keys.clear();
    } else if (c == '}' || c == ']') {
      if (depth > 0) --depth;
    } else if (c == ',' && depth > 0) {
      if (open[depth - 1].isObject) {
        open[depth - 1].expectKey = true;
      } else {
        ++open[depth - 1].index;
      }
    }
  }
}

}  // namespace sim
