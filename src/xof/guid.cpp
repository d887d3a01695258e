#include "xof/guid.h"

namespace xof {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHex(std::string_view text, std::size_t& pos, int digits, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i, ++pos) {
    if (pos >= text.size()) return false;
    int digit = HexValue(text[pos]);
    if (digit < 0) return false;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return true;
}

}  // namespace

std::optional<Guid> ParseGuid(std::string_view text) {
  if (text.size() >= 2 && ((text.front() == '{' && text.back() == '}') ||
                           (text.front() == '<' && text.back() == '>'))) {
    text = text.substr(1, text.size() - 2);
  }
  if (text.size() != 36) return std::nullopt;
  Guid id;
  std::size_t pos = 0;
  std::uint64_t value = 0;
  auto dash = [&] { return pos < text.size() && text[pos++] == '-'; };
  if (!ReadHex(text, pos, 8, value) || !dash()) return std::nullopt;
  id.data1 = static_cast<DWORD>(value);
  if (!ReadHex(text, pos, 4, value) || !dash()) return std::nullopt;
  id.data2 = static_cast<WORD>(value);
  if (!ReadHex(text, pos, 4, value) || !dash()) return std::nullopt;
  id.data3 = static_cast<WORD>(value);
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !dash()) return std::nullopt;
    if (!ReadHex(text, pos, 2, value)) return std::nullopt;
    id.data4[i] = static_cast<std::uint8_t>(value);
  }
  return id;
}

std::string FormatGuid(const Guid& id) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(36);
  auto put = [&](std::uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
      text += kDigits[(value >> shift) & 15];
  };
  put(id.data1, 8);
  text += '-';
  put(id.data2, 4);
  text += '-';
  put(id.data3, 4);
  text += '-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text += '-';
    put(id.data4[i], 2);
  }
  return text;
}

void EncodeGuid(const Guid& id, std::uint8_t out[16]) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(id.data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) out[4 + i] = static_cast<std::uint8_t>(id.data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) out[6 + i] = static_cast<std::uint8_t>(id.data3 >> (8 * i));
  for (int i = 0; i < 8; ++i) out[8 + i] = id.data4[i];
}

Guid DecodeGuid(const std::uint8_t in[16]) {
  Guid id;
  id.data1 = static_cast<DWORD>(in[0] | in[1] << 8 | in[2] << 16 | static_cast<DWORD>(in[3]) << 24);
  id.data2 = static_cast<WORD>(in[4] | in[5] << 8);
  id.data3 = static_cast<WORD>(in[6] | in[7] << 8);
  for (int i = 0; i < 8; ++i) id.data4[i] = in[8 + i];
  return id;
}

}  // namespace xof
