// Appending binary-encoding records to a byte buffer. Little-endian, no padding.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "xof/guid.h"

namespace xof::binary {

enum Code : std::uint16_t {
  kName = 1,
  kString = 2,
  kInteger = 3,
  kGuid = 5,
  kIntegerList = 6,
  kFloatList = 7,
  kOBrace = 10,
  kCBrace = 11,
  kOParen = 12,
  kCParen = 13,
  kOBracket = 14,
  kCBracket = 15,
  kOAngle = 16,
  kCAngle = 17,
  kDot = 18,
  kComma = 19,
  kSemicolon = 20,
  kTemplate = 31,
  kWord = 40,
  kDword = 41,
  kFloat = 42,
  kDouble = 43,
  kChar = 44,
  kUchar = 45,
  kSword = 46,
  kSdword = 47,
  kVoid = 48,
  kLpstr = 49,
  kUnicode = 50,
  kCstring = 51,
  kArray = 52,
};

inline void PutWord(std::string& out, std::uint16_t value) {
  char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
  out.append(bytes, 2);
}

inline void PutDword(std::string& out, std::uint32_t value) {
  char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                   static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
  out.append(bytes, 4);
}

inline void PutCode(std::string& out, Code code) { PutWord(out, code); }

inline void PutName(std::string& out, std::string_view name) {
  PutCode(out, kName);
  PutDword(out, static_cast<std::uint32_t>(name.size()));
  out.append(name);
}

inline void PutString(std::string& out, std::string_view text, Code terminator) {
  PutCode(out, kString);
  PutDword(out, static_cast<std::uint32_t>(text.size()));
  out.append(text);
  PutCode(out, terminator);
}

inline void PutGuid(std::string& out, const Guid& id) {
  std::uint8_t bytes[16];
  EncodeGuid(id, bytes);
  PutCode(out, kGuid);
  out.append(reinterpret_cast<const char*>(bytes), 16);
}

}  // namespace xof::binary
