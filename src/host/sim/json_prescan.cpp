#include "host/sim/json_prescan.h"

#include <unordered_set>
#include <vector>

#include "host/sim/scene_file_error.h"
#include "host/sim/scene_limits.h"

namespace sim {

namespace {

struct OpenValue {
  bool isObject = false;
  bool expectKey = false;
  std::string pointer;
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

std::string ChildPointer(const OpenValue& parent) {
  return parent.pointer + "/" +
         (parent.isObject ? EscapePointerSegment(parent.lastKey) : std::to_string(parent.index));
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
  std::vector<OpenValue> open;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      std::size_t end = StringEnd(text, i);
      if (end == std::string_view::npos) return;
      if (!open.empty() && open.back().isObject && open.back().expectKey) {
        OpenValue& object = open.back();
        std::string key(text.substr(i + 1, end - i - 1));
        if (!object.keys.insert(key).second) {
          throw SceneFileError(fileName,
                               object.pointer + "/" + EscapePointerSegment(key) + " (" +
                                   DescribeTextPosition(text, i) + ")",
                               "the key \"" + key + "\" appears twice in one object");
        }
        object.lastKey = std::move(key);
        object.expectKey = false;
      }
      i = end;
    } else if (c == '{' || c == '[') {
      if (open.size() >= static_cast<std::size_t>(SceneLimits::kMaxJsonDepth)) {
        throw SceneFileError(fileName, DescribeTextPosition(text, i),
                             "arrays and objects nest deeper than " +
                                 std::to_string(SceneLimits::kMaxJsonDepth) + " levels");
      }
      OpenValue value;
      value.isObject = c == '{';
      value.expectKey = value.isObject;
      value.pointer = open.empty() ? std::string() : ChildPointer(open.back());
      open.push_back(std::move(value));
    } else if (c == '}' || c == ']') {
      if (!open.empty()) open.pop_back();
    } else if (c == ',' && !open.empty()) {
      if (open.back().isObject) {
        open.back().expectKey = true;
      } else {
        ++open.back().index;
      }
    }
  }
}

}  // namespace sim
