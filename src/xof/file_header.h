// The 16-byte header that opens every .x file: "xof ", version, encoding, float size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xof {

inline constexpr std::size_t kFileHeaderSize = 16;

struct FileHeader {
  int majorVersion = 3;
  int minorVersion = 3;
  bool binary = false;
  bool compressed = false;
  int floatSize = 32;
};

// Throws FormatError naming the faulty field.
FileHeader ParseFileHeader(std::string_view data);
// The header text, e.g. "xof 0303bzip0032".
std::string FormatFileHeader(const FileHeader& header);

}  // namespace xof
