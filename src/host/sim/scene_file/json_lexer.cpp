#include "host/sim/scene_file/json_lexer.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {

const char* JsonTokenName(JsonToken token) {
  switch (token) {
    case JsonToken::kBeginArray:
      return "'['";
    case JsonToken::kEndArray:
      return "']'";
    case JsonToken::kBeginObject:
      return "'{'";
    case JsonToken::kEndObject:
      return "'}'";
    case JsonToken::kColon:
      return "':'";
    case JsonToken::kComma:
      return "','";
    case JsonToken::kString:
      return "string literal";
    case JsonToken::kNumber:
      return "number literal";
    case JsonToken::kTrue:
      return "true literal";
    case JsonToken::kFalse:
      return "false literal";
    case JsonToken::kNull:
      return "null literal";
    case JsonToken::kEnd:
      return "end of input";
    default:
      return "<parse error>";
  }
}

namespace {

std::string ControlCharacterProblem(unsigned char c) {
  static const char* const kNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                         "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                         "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                         "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
  char code[8];
  std::snprintf(code, sizeof code, "%.4X", c);
  std::string problem = std::string("invalid string: control character U+") + code + " (" +
                        kNames[c] + ") must be escaped to \\u" + code;
  const char* shortForm = c == '\b'   ? "b"
                          : c == '\t' ? "t"
                          : c == '\n' ? "n"
                          : c == '\f' ? "f"
                          : c == '\r' ? "r"
                                      : nullptr;
  if (shortForm) problem += std::string(" or \\") + shortForm;
  return problem;
}

// What an escape other than \u stands for; 0 if `c` makes none.
char SimpleEscape(char c) {
  switch (c) {
    case '"':
    case '\\':
    case '/':
      return c;
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return 0;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t codepoint) {
  if (codepoint < 0x80) {
    out += static_cast<char>(codepoint);
  } else if (codepoint < 0x800) {
    out += static_cast<char>(0xC0 | (codepoint >> 6));
    out += static_cast<char>(0x80 | (codepoint & 0x3F));
  } else if (codepoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codepoint >> 12));
    out += static_cast<char>(0x80 | ((codepoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codepoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codepoint >> 18));
    out += static_cast<char>(0x80 | ((codepoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codepoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codepoint & 0x3F));
  }
}

// Bytes a string holds as they are: printable ASCII other than the quote and the backslash.
struct PlainBytes {
  bool plain[256] = {};
  constexpr PlainBytes() {
    for (int c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\';
  }
};
constexpr PlainBytes kPlain;

}  // namespace

JsonToken JsonLexer::Error(const char* problem, const char* stoppedAt) {
  problem_ = problem;
  lastRead_ = stoppedAt < end_ ? static_cast<std::size_t>(stoppedAt - begin_) : text_.size();
  return JsonToken::kError;
}

bool JsonLexer::SkipByteOrderMark() {
  static constexpr unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};
  if (p_ == end_ || static_cast<unsigned char>(*p_) != kMark[0]) return true;
  for (const char* q = p_ + 1; q < p_ + 3; ++q) {
    if (q == end_ || static_cast<unsigned char>(*q) != kMark[q - p_]) {
      Error("invalid BOM; must be 0xEF 0xBB 0xBF if given", q);
      return false;
    }
  }
  p_ += 3;
  return true;
}

void JsonLexer::ConvertNumber(const char* start, const char* end) {
  double number = 0;
  auto [stop, error] = std::from_chars(start, end, number);
  if (error != std::errc() || stop != end) {
    // Out of range: strtod tells an overflow (infinite) from an underflow (zero or subnormal).
    number = std::strtod(std::string(start, end).c_str(), nullptr);
  }
  overflow_ = !std::isfinite(number);
  payload_ = std::bit_cast<std::uint64_t>(number);
}

JsonToken JsonLexer::ScanLiteral(std::string_view word, JsonToken token) {
  for (std::size_t i = 1; i < word.size(); ++i, ++p_) {
    if (p_ == end_ || *p_ != word[i]) return Error("invalid literal", p_);
  }
  lastRead_ = static_cast<std::size_t>(p_ - begin_) - 1;
  return token;
}

JsonToken JsonLexer::ScanString(std::size_t at) {
  tokenStart_ = at;
  std::string& out = strings_;
  std::size_t start = out.size();
  const char* q = p_;
  for (;;) {
    const char* run = q;
    while (q < end_ && kPlain.plain[static_cast<unsigned char>(*q)]) ++q;
    out.append(run, q);
    if (q == end_) return Error("invalid string: missing closing quote", q);
    auto c = static_cast<unsigned char>(*q);
    if (c == '"') break;
    if (c == '\\') {
      ++q;
      char escaped = q < end_ ? *q : '\0';
      if (char simple = SimpleEscape(escaped)) {
        out += simple;
        ++q;
        continue;
      }
      if (escaped != 'u') return Error("invalid string: forbidden character after backslash", q);
      auto fourHex = [&](std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
          ++q;
          int digit = q < end_ ? HexValue(*q) : -1;
          if (digit < 0) return false;
          value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return true;
      };
      std::uint32_t codepoint = 0, low = 0;
      if (!fourHex(codepoint)) {
        return Error("invalid string: '\\u' must be followed by 4 hex digits", q);
      }
      if (codepoint >= 0xD800 && codepoint <= 0xDBFF) {
        for (char expected : {'\\', 'u'}) {
          ++q;
          if (q == end_ || *q != expected) {
            return Error(
                "invalid string: surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF", q);
          }
        }
        if (!fourHex(low)) {
          return Error("invalid string: '\\u' must be followed by 4 hex digits", q);
        }
        if (low < 0xDC00 || low > 0xDFFF) {
          return Error(
              "invalid string: surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF", q);
        }
        codepoint = 0x10000 + ((codepoint - 0xD800) << 10) + (low - 0xDC00);
      } else if (codepoint >= 0xDC00 && codepoint <= 0xDFFF) {
        return Error("invalid string: surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF", q);
      }
      AppendUtf8(out, codepoint);
      ++q;
      continue;
    }
    if (c < 0x20) {
      Error("", q);
      problem_ = ControlCharacterProblem(c);
      return JsonToken::kError;
    }
    // A multi-byte UTF-8 sequence: no overlong forms, no surrogates, nothing past U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    int continuations = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      continuations = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      continuations = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      continuations = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return Error("invalid string: ill-formed UTF-8 byte", q);
    }
    const char* lead = q;
    for (int i = 0; i < continuations; ++i) {
      ++q;
      auto next = q < end_ ? static_cast<unsigned char>(*q) : 0;
      if (q == end_ || next < low || next > high) {
        return Error("invalid string: ill-formed UTF-8 byte", q);
      }
      low = 0x80;
      high = 0xBF;
    }
    ++q;
    out.append(lead, q);
  }
  lastRead_ = static_cast<std::size_t>(q - begin_);
  p_ = q + 1;
  payload_ = static_cast<std::uint64_t>(start) << 32 | (out.size() - start);
  return JsonToken::kString;
}

std::string JsonLexer::LastRead() const {
  std::size_t stop = std::min(lastRead_ + 1, text_.size());
  std::string out;
  for (std::size_t i = std::min(tokenStart_, stop); i < stop; ++i) {
    auto c = static_cast<unsigned char>(text_[i]);
    if (c <= 0x1F) {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "<U+%.4X>", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace sim
