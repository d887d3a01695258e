#include "xof/file_header.h"

#include "xof/tokens.h"

namespace xof {
namespace {

int TwoDigits(std::string_view text, std::size_t at) {
  char a = text[at], b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

}  // namespace

FileHeader ParseFileHeader(std::string_view data) {
  if (data.size() < kFileHeaderSize) {
    throw FormatError(0, "file is shorter than the 16-byte .x header");
  }
  if (data.substr(0, 4) != "xof ") throw FormatError(0, "not a .x file (no \"xof \" signature)");
  FileHeader header;
  header.majorVersion = TwoDigits(data, 4);
  header.minorVersion = TwoDigits(data, 6);
  if (header.majorVersion != 3 || (header.minorVersion != 2 && header.minorVersion != 3)) {
    throw FormatError(4, "unsupported version \"" + std::string(data.substr(4, 4)) + "\"");
  }
  std::string_view format = data.substr(8, 4);
  if (format == "txt ") {
  } else if (format == "bin ") {
    header.binary = true;
  } else if (format == "tzip") {
    header.compressed = true;
  } else if (format == "bzip") {
    header.binary = header.compressed = true;
  } else {
    throw FormatError(8, "unknown encoding \"" + std::string(format) + "\"");
  }
  std::string_view floatSize = data.substr(12, 4);
  if (floatSize == "0032") {
    header.floatSize = 32;
  } else if (floatSize == "0064") {
    header.floatSize = 64;
  } else {
    throw FormatError(12, "unsupported float size \"" + std::string(floatSize) + "\"");
  }
  return header;
}

std::string FormatFileHeader(const FileHeader& header) {
  std::string text = "xof ";
  text += static_cast<char>('0' + header.majorVersion / 10);
  text += static_cast<char>('0' + header.majorVersion % 10);
  text += static_cast<char>('0' + header.minorVersion / 10);
  text += static_cast<char>('0' + header.minorVersion % 10);
  text += header.compressed ? (header.binary ? "bzip" : "tzip") : (header.binary ? "bin " : "txt ");
  text += header.floatSize == 64 ? "0064" : "0032";
  return text;
}

}  // namespace xof
