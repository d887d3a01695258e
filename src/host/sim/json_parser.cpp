#include "host/sim/json_parser.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "host/sim/json_prescan.h"
#include "host/sim/scene_file_error.h"
#include "host/sim/scene_limits.h"

namespace sim {

static_assert(SceneLimits::kMaxFileBytes < (std::uintmax_t{1} << 32),
              "string offsets and value indices are 32 bits");

namespace {

using Kind = JsonDocument::Kind;

enum class Token {
  kBeginArray,
  kEndArray,
  kBeginObject,
  kEndObject,
  kColon,
  kComma,
  kString,
  kNumber,
  kTrue,
  kFalse,
  kNull,
  kEnd,
  kError,
};

const char* TokenName(Token token) {
  switch (token) {
    case Token::kBeginArray:
      return "'['";
    case Token::kEndArray:
      return "']'";
    case Token::kBeginObject:
      return "'{'";
    case Token::kEndObject:
      return "'}'";
    case Token::kColon:
      return "':'";
    case Token::kComma:
      return "','";
    case Token::kString:
      return "string literal";
    case Token::kNumber:
      return "number literal";
    case Token::kTrue:
      return "true literal";
    case Token::kFalse:
      return "false literal";
    case Token::kNull:
      return "null literal";
    case Token::kEnd:
      return "end of input";
    default:
      return "<parse error>";
  }
}

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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

// Objects with more keys than this look for a repeated one in a hash set rather than a scan.
constexpr std::size_t kKeysScannedInPlace = 16;

class Parser {
 public:
  Parser(std::string_view text, const std::string& fileName, JsonDocument& document)
      : text_(text),
        fileName_(fileName),
        begin_(text.data()),
        p_(text.data()),
        end_(text.data() + text.size()),
        writer_(document) {}

  void Run();

 private:
  // The values read inside the open containers, kinds and payloads apart so that a container's
  // values go to the document in two copies.
  class Scratch {
   public:
    void Push(Kind kind, std::uint64_t payload) {
      if (size_ == capacity_) Grow();
      kinds_[size_] = static_cast<std::uint8_t>(kind);
      payloads_[size_++] = payload;
    }
    std::size_t Size() const { return size_; }
    Kind KindAt(std::size_t i) const { return static_cast<Kind>(kinds_[i]); }
    std::uint64_t PayloadAt(std::size_t i) const { return payloads_[i]; }
    const std::uint8_t* Kinds() const { return kinds_.get(); }
    const std::uint64_t* Payloads() const { return payloads_.get(); }
    void Resize(std::size_t size) { size_ = size; }

   private:
    void Grow() {
      std::size_t capacity = std::max<std::size_t>(64, 2 * capacity_);
      auto kinds = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
      auto payloads = std::make_unique_for_overwrite<std::uint64_t[]>(capacity);
      std::copy_n(kinds_.get(), size_, kinds.get());
      std::copy_n(payloads_.get(), size_, payloads.get());
      kinds_ = std::move(kinds);
      payloads_ = std::move(payloads);
      capacity_ = capacity;
    }

    std::unique_ptr<std::uint8_t[]> kinds_;
    std::unique_ptr<std::uint64_t[]> payloads_;
    std::size_t size_ = 0, capacity_ = 0;
  };
  struct Frame {
    bool isObject = false;
    std::size_t base = 0;   // its first entry in scratch_
    std::uint64_t key = 0;  // the key read last, for messages
    std::unique_ptr<std::unordered_set<std::string>> keys;
  };

  void SkipByteOrderMark();
  void SkipSpace() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }
  Token Scan();
  Token ScanString(std::size_t at);
  // Inline: the bulk of a mesh is numbers.
  [[gnu::always_inline]] inline Token ScanNumber(std::size_t at);
  Token ScanLiteral(std::string_view word, Token token);
  Token Error(const char* problem, const char* stoppedAt);
  Token ExpectKey(Token token);
  void AddKey(std::uint64_t key, std::size_t at);
  void Open(bool isObject);
  void Close();
  std::string LastRead() const;
  std::string PointerOfOpenValues() const;
  [[noreturn]] void Fail(Token token, const char* expected, const char* context);
  [[noreturn]] void Throw(std::size_t offset, std::string problem) const;

  std::string_view text_;
  const std::string& fileName_;
  const char* begin_;
  const char* p_;
  const char* end_;
  JsonDocumentWriter writer_;
  // Where reading stopped: the offset of the last byte read, the text's size once its end was met.
  std::size_t lastRead_ = 0;
  // The start of the text that a syntax error quotes: the last string or number began there.
  std::size_t tokenStart_ = 0;
  std::string problem_;
  // The last string or number read.
  Kind kind_ = Kind::kNull;
  std::uint64_t payload_ = 0;
  bool overflow_ = false;
  Scratch scratch_;
  std::vector<Frame> frames_;
  std::vector<std::uint32_t> order_;
};

Token Parser::Error(const char* problem, const char* stoppedAt) {
  problem_ = problem;
  lastRead_ = stoppedAt < end_ ? static_cast<std::size_t>(stoppedAt - begin_) : text_.size();
  return Token::kError;
}

void Parser::SkipByteOrderMark() {
  static constexpr unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};
  if (p_ == end_ || static_cast<unsigned char>(*p_) != kMark[0]) return;
  for (const char* q = p_ + 1; q < p_ + 3; ++q) {
    if (q == end_ || static_cast<unsigned char>(*q) != kMark[q - p_]) {
      Error("invalid BOM; must be 0xEF 0xBB 0xBF if given", q);
      Fail(Token::kError, nullptr, "value");
    }
  }
  p_ += 3;
}

inline Token Parser::ScanNumber(std::size_t at) {
  tokenStart_ = at;
  const char* start = begin_ + at;
  const char* q = start;
  bool negative = *q == '-';
  if (negative) ++q;
  if (q == end_ || !IsDigit(*q)) return Error("invalid number; expected digit after '-'", q);
  // Digits before and after the point gathered into one integer; more than 19 may not fit it.
  std::uint64_t value = 0;
  bool isFloat = false;
  const char* digits = q;
  if (*q == '0') {
    ++q;
  } else {
    for (; q < end_ && IsDigit(*q); ++q) value = value * 10 + static_cast<unsigned>(*q - '0');
  }
  std::size_t digitCount = static_cast<std::size_t>(q - digits);
  int fractionDigits = 0;
  if (q < end_ && *q == '.') {
    ++q;
    if (q == end_ || !IsDigit(*q)) return Error("invalid number; expected digit after '.'", q);
    const char* fraction = q;
    for (; q < end_ && IsDigit(*q); ++q) value = value * 10 + static_cast<unsigned>(*q - '0');
    fractionDigits = static_cast<int>(std::min<std::ptrdiff_t>(q - fraction, 1 << 20));
    digitCount += static_cast<std::size_t>(q - fraction);
    isFloat = true;
  }
  bool fits = digitCount <= 19;
  if (!fits && !isFloat) {
    // Twenty digits or more: exactly, whether they fit 64 bits.
    auto [end, error] = std::from_chars(digits, q, value);
    fits = error == std::errc() && end == q;
  }
  int exponent = 0;
  if (q < end_ && (*q == 'e' || *q == 'E')) {
    ++q;
    bool negativeExponent = q < end_ && *q == '-';
    if (q < end_ && (*q == '+' || *q == '-')) {
      ++q;
      if (q == end_ || !IsDigit(*q)) {
        return Error("invalid number; expected digit after exponent sign", q);
      }
    } else if (q == end_ || !IsDigit(*q)) {
      return Error("invalid number; expected '+', '-', or digit after exponent", q);
    }
    for (; q < end_ && IsDigit(*q); ++q) {
      if (exponent < 100000) exponent = exponent * 10 + (*q - '0');
    }
    if (negativeExponent) exponent = -exponent;
    isFloat = true;
  }
  lastRead_ = static_cast<std::size_t>(q - begin_) - 1;
  p_ = q;
  overflow_ = false;
  constexpr std::uint64_t kLowestMagnitude = std::uint64_t{1} << 63;
  if (!isFloat && fits && (!negative || value <= kLowestMagnitude)) {
    kind_ = negative ? Kind::kSigned : Kind::kUnsigned;
    payload_ = negative ? 0 - value : value;
    return Token::kNumber;
  }
  kind_ = Kind::kFloat;
  // Digits and a power of ten both exact as doubles: one product or quotient, correctly rounded.
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  int power = exponent - fractionDigits;
  if (isFloat && fits && value <= (std::uint64_t{1} << 53) && power >= -22 && power <= 22) {
    double number = static_cast<double>(value);
    number = power < 0 ? number / kPowersOfTen[-power] : number * kPowersOfTen[power];
    payload_ = std::bit_cast<std::uint64_t>(negative ? -number : number);
    return Token::kNumber;
  }
  // The rest, integers beyond 64 bits among them, go the long way.
  double number = 0;
  auto [end, error] = std::from_chars(start, q, number);
  if (error != std::errc() || end != q) {
    // Out of range: strtod tells an overflow (infinite) from an underflow (zero or subnormal).
    number = std::strtod(std::string(start, q).c_str(), nullptr);
  }
  overflow_ = !std::isfinite(number);
  payload_ = std::bit_cast<std::uint64_t>(number);
  return Token::kNumber;
}

Token Parser::Scan() {
  SkipSpace();
  if (p_ == end_) {
    lastRead_ = text_.size();
    return Token::kEnd;
  }
  std::size_t at = static_cast<std::size_t>(p_ - begin_);
  lastRead_ = at;
  switch (*p_++) {
    case '[':
      return Token::kBeginArray;
    case ']':
      return Token::kEndArray;
    case '{':
      return Token::kBeginObject;
    case '}':
      return Token::kEndObject;
    case ':':
      return Token::kColon;
    case ',':
      return Token::kComma;
    case '"':
      return ScanString(at);
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      return ScanNumber(at);
    case 't':
      return ScanLiteral("true", Token::kTrue);
    case 'f':
      return ScanLiteral("false", Token::kFalse);
    case 'n':
      return ScanLiteral("null", Token::kNull);
    default:
      return Error("invalid literal", p_ - 1);
  }
}

Token Parser::ScanLiteral(std::string_view word, Token token) {
  for (std::size_t i = 1; i < word.size(); ++i, ++p_) {
    if (p_ == end_ || *p_ != word[i]) return Error("invalid literal", p_);
  }
  lastRead_ = static_cast<std::size_t>(p_ - begin_) - 1;
  return token;
}

Token Parser::ScanString(std::size_t at) {
  tokenStart_ = at;
  std::string& out = writer_.Strings();
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
      return Token::kError;
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
  return Token::kString;
}

std::string Parser::LastRead() const {
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

void Parser::Throw(std::size_t offset, std::string problem) const {
  // The text quoted may be a whole long string.
  constexpr std::size_t kLongestProblem = 300;
  if (problem.size() > kLongestProblem) problem = problem.substr(0, kLongestProblem) + "...";
  throw SceneFileError(fileName_, DescribeTextPosition(text_, offset), problem);
}

void Parser::Fail(Token token, const char* expected, const char* context) {
  std::string problem = std::string("syntax error while parsing ") + context + " - ";
  if (token == Token::kError) {
    problem += problem_ + "; last read: '" + LastRead() + "'";
  } else {
    problem += std::string("unexpected ") + TokenName(token);
  }
  if (expected) problem += std::string("; expected ") + expected;
  Throw(lastRead_, problem);
}

std::string Parser::PointerOfOpenValues() const {
  std::string pointer;
  for (std::size_t d = 0; d + 1 < frames_.size(); ++d) {
    const Frame& frame = frames_[d];
    pointer += "/";
    pointer += frame.isObject ? EscapePointerSegment(writer_.String(frame.key))
                              : std::to_string(frames_[d + 1].base - frame.base);
  }
  return pointer;
}

void Parser::AddKey(std::uint64_t key, std::size_t at) {
  Frame& frame = frames_.back();
  std::string_view name = writer_.String(key);
  bool repeated = false;
  if (frame.keys) {
    repeated = !frame.keys->emplace(name).second;
  } else {
    for (std::size_t i = frame.base; i < scratch_.Size() && !repeated; i += 2) {
      repeated = writer_.String(scratch_.PayloadAt(i)) == name;
    }
    if (!repeated && (scratch_.Size() - frame.base) / 2 + 1 > kKeysScannedInPlace) {
      frame.keys = std::make_unique<std::unordered_set<std::string>>();
      for (std::size_t i = frame.base; i < scratch_.Size(); i += 2) {
        frame.keys->emplace(writer_.String(scratch_.PayloadAt(i)));
      }
      frame.keys->emplace(name);
    }
  }
  if (repeated) {
    std::string text(name);
    throw SceneFileError(fileName_,
                         PointerOfOpenValues() + "/" + EscapePointerSegment(text) + " (" +
                             DescribeTextPosition(text_, at) + ")",
                         "the key \"" + text + "\" appears twice in one object");
  }
  frame.key = key;
  scratch_.Push(Kind::kString, key);
}

Token Parser::ExpectKey(Token token) {
  if (token != Token::kString) Fail(token, "string literal", "object key");
  AddKey(payload_, tokenStart_);
  token = Scan();
  if (token != Token::kColon) Fail(token, "':'", "object separator");
  return Scan();
}

void Parser::Open(bool isObject) {
  if (frames_.size() >= static_cast<std::size_t>(SceneLimits::kMaxJsonDepth)) {
    throw SceneFileError(fileName_, DescribeTextPosition(text_, lastRead_),
                         "arrays and objects nest deeper than " +
                             std::to_string(SceneLimits::kMaxJsonDepth) + " levels");
  }
  Frame& frame = frames_.emplace_back();
  frame.isObject = isObject;
  frame.base = scratch_.Size();
}

// Moves the values of the innermost container from scratch_ into the document, side by side, and
// leaves the container in their place.
void Parser::Close() {
  Frame& frame = frames_.back();
  std::size_t count = scratch_.Size() - frame.base;
  auto first = static_cast<std::uint64_t>(writer_.Size());
  Kind kind = Kind::kArray;
  if (!frame.isObject) {
    writer_.Append(scratch_.Kinds() + frame.base, scratch_.Payloads() + frame.base, count);
  } else {
    kind = Kind::kObject;
    count /= 2;
    order_.resize(count);
    for (std::size_t i = 0; i < count; ++i) order_[i] = static_cast<std::uint32_t>(i);
    std::size_t base = frame.base;
    auto key = [&](std::uint32_t pair) {
      return writer_.String(scratch_.PayloadAt(base + 2 * pair));
    };
    std::sort(order_.begin(), order_.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    for (std::uint32_t i : order_) writer_.Append(Kind::kString, scratch_.PayloadAt(base + 2 * i));
    for (std::uint32_t i : order_) {
      writer_.Append(scratch_.KindAt(base + 2 * i + 1), scratch_.PayloadAt(base + 2 * i + 1));
    }
  }
  scratch_.Resize(frame.base);
  frames_.pop_back();
  scratch_.Push(kind, first << 32 | count);
}

void Parser::Run() {
  SkipByteOrderMark();
  Token token = Scan();
  for (;;) {
    // `token` starts a value.
    switch (token) {
      case Token::kBeginObject:
        Open(true);
        token = Scan();
        if (token == Token::kEndObject) {
          Close();
          break;
        }
        token = ExpectKey(token);
        continue;
      case Token::kBeginArray:
        Open(false);
        token = Scan();
        if (token == Token::kEndArray) {
          Close();
          break;
        }
        continue;
      case Token::kNumber:
        if (overflow_) Throw(lastRead_, "number overflow parsing '" + LastRead() + "'");
        [[fallthrough]];
      case Token::kString:
        scratch_.Push(token == Token::kString ? Kind::kString : kind_, payload_);
        break;
      case Token::kTrue:
        scratch_.Push(Kind::kTrue, 0);
        break;
      case Token::kFalse:
        scratch_.Push(Kind::kFalse, 0);
        break;
      case Token::kNull:
        scratch_.Push(Kind::kNull, 0);
        break;
      case Token::kError:
        Fail(token, nullptr, "value");
      default:
        Fail(token, "'[', '{', or a literal", "value");
    }
    // After a value: the next one, the end of its container, or the end of the text.
    for (;;) {
      if (!frames_.empty() && !frames_.back().isObject) {
        // The numbers of an array, the bulk of a mesh, read without the general step.
        SkipSpace();
        if (p_ < end_ && *p_ == ',') {
          ++p_;
          SkipSpace();
          if (p_ < end_ && (IsDigit(*p_) || *p_ == '-')) {
            auto at = static_cast<std::size_t>(p_ - begin_);
            lastRead_ = at;
            ++p_;
            token = ScanNumber(at);
            if (token == Token::kNumber && !overflow_) {
              scratch_.Push(kind_, payload_);
              continue;
            }
          } else {
            token = Scan();
          }
          break;
        }
      }
      token = Scan();
      if (frames_.empty()) {
        if (token != Token::kEnd) Fail(token, "end of input", "value");
        writer_.Append(scratch_.KindAt(0), scratch_.PayloadAt(0));
        return;
      }
      bool inObject = frames_.back().isObject;
      if (token == Token::kComma) {
        token = Scan();
        if (inObject) token = ExpectKey(token);
        break;
      }
      if (token == (inObject ? Token::kEndObject : Token::kEndArray)) {
        Close();
        continue;
      }
      if (inObject) Fail(token, "'}'", "object");
      Fail(token, "']'", "array");
    }
  }
}

}  // namespace

JsonDocument ParseJson(std::string_view text, const std::string& fileName) {
  JsonDocument document;
  Parser(text, fileName, document).Run();
  return document;
}

}  // namespace sim
