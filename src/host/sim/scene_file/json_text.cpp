#include "host/sim/scene_file/json_text.h"

namespace sim {

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

}  // namespace sim
