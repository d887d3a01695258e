// The tokens of a scene file's JSON text, read the way the loader has always read them: the same
// grammar, the same values, and the same words and position when a token is malformed. Internal to
// the parser.
#pragma once

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/sim/scene_file/json_document.h"

namespace sim {

enum class JsonToken {
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

// The token as syntax errors name it ("number literal", "':'").
const char* JsonTokenName(JsonToken token);

class JsonLexer {
 public:
  // Decoded strings are appended to `strings`.
  JsonLexer(std::string_view text, std::string& strings)
      : text_(text),
        begin_(text.data()),
        p_(text.data()),
        end_(text.data() + text.size()),
        strings_(strings) {}

  // False, with Problem() set, for a byte order mark begun but not finished.
  bool SkipByteOrderMark();
  [[gnu::always_inline]] inline JsonToken Scan();
  // After a value in an array: whether a comma follows. If so, it is read, and the token after it
  // too, into `next`: a number without the general step, as the bulk of a mesh is numbers.
  [[gnu::always_inline]] bool Comma(JsonToken& next) {
    SkipSpace();
    if (p_ == end_ || *p_ != ',') return false;
    ++p_;
    SkipSpace();
    if (p_ < end_ && (IsDigit(*p_) || *p_ == '-')) {
      auto at = static_cast<std::size_t>(p_ - begin_);
      lastRead_ = at;
      ++p_;
      next = ScanNumber(at);
    } else {
      next = Scan();
    }
    return true;
  }

  // Just after a '[': its numbers, up to `max`, and the ']' that closes them (a point, a face),
  // read at once into `row`. Returns how many; 0, with the lexer where it was, for an array that is
  // empty, longer, or holds anything else, or a number that is malformed or overflows: the general
  // path then reads it and reports what is wrong.
  [[gnu::always_inline]] std::size_t ScanNumberRow(std::size_t max, JsonRows::Number* row) {
    const char* start = p_;
    std::size_t count = 0;
    for (;;) {
      SkipSpace();
      if (count == max || p_ == end_ || !(IsDigit(*p_) || *p_ == '-')) break;
      if (ScanNumber(static_cast<std::size_t>(p_ - begin_)) != JsonToken::kNumber || overflow_) {
        break;
      }
      row[count++] = {static_cast<JsonRows::NumberKind>(
                          static_cast<std::uint8_t>(kind_) -
                          static_cast<std::uint8_t>(JsonDocument::Kind::kUnsigned)),
                      compact_, payload_};
      SkipSpace();
      if (p_ == end_) break;
      if (*p_ == ',') {
        ++p_;
        continue;
      }
      if (*p_ != ']') break;
      lastRead_ = static_cast<std::size_t>(p_ - begin_);
      ++p_;
      return count;
    }
    p_ = start;
    return 0;
  }

  // The string or number read last: its kind and payload as the document holds them. A number
  // beyond a double's range is read as infinite and Overflow() tells it.
  JsonDocument::Kind Kind() const { return kind_; }
  std::uint64_t Payload() const { return payload_; }
  bool Overflow() const { return overflow_; }
  // Where reading stopped: the offset of the last byte read, the text's size once its end was met.
  std::size_t LastReadOffset() const { return lastRead_; }
  // Where the string read last began.
  std::size_t TokenStart() const { return tokenStart_; }
  // What was wrong with a token scanned as JsonToken::kError.
  const std::string& Problem() const { return problem_; }
  // The text from the last string or number on to where reading stopped, control characters
  // shown as <U+XXXX>: what syntax errors quote.
  std::string LastRead() const;

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  // Appends the digits at `q` to `value` (which wraps past 19 digits: callers count them) and
  // moves `q` past them; eight at a time where the text allows.
  void ReadDigits(const char*& q, std::uint64_t& value) const {
    if constexpr (std::endian::native == std::endian::little) {
      static constexpr std::uint32_t kScale[9] = {1,      10,      100,      1000,     10000,
                                                  100000, 1000000, 10000000, 100000000};
      while (end_ - q >= 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, q, 8);
        // The high bit of each byte that is not a digit; the first one ends the run.
        std::uint64_t other =
            ((bytes + 0x4646464646464646) | (bytes - 0x3030303030303030)) & 0x8080808080808080;
        int count = other ? std::countr_zero(other) / 8 : 8;
        if (count == 0) return;
        // The digits moved up to the end of an eight-digit number, zeros before them, then
        // combined in pairs, fours and eights.
        std::uint64_t digits = (bytes - 0x3030303030303030) << (8 * (8 - count));
        digits = digits * 10 + (digits >> 8);
        digits = (((digits & 0x000000FF000000FF) * (100 + (1000000ull << 32))) +
                  (((digits >> 16) & 0x000000FF000000FF) * (1 + (10000ull << 32)))) >>
                 32;
        value = value * kScale[count] + static_cast<std::uint32_t>(digits);
        q += count;
        if (count < 8) return;
      }
    }
    for (; q < end_ && IsDigit(*q); ++q) value = value * 10 + static_cast<unsigned>(*q - '0');
  }
  void SkipSpace() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }
  JsonToken Error(const char* problem, const char* stoppedAt);
  JsonToken ScanString(std::size_t at);
  [[gnu::always_inline]] inline JsonToken ScanNumber(std::size_t at);
  JsonToken ScanLiteral(std::string_view word, JsonToken token);
  void ConvertNumber(const char* start, const char* end);

  std::string_view text_;
  const char* begin_;
  const char* p_;
  const char* end_;
  std::string& strings_;
  std::size_t lastRead_ = 0;
  std::size_t tokenStart_ = 0;
  std::string problem_;
  JsonDocument::Kind kind_ = JsonDocument::Kind::kNull;
  std::uint64_t payload_ = 0;
  bool overflow_ = false;
  bool compact_ = false;  // as JsonRows::Number::compact
};

// Inline: the bulk of a mesh is numbers.
inline JsonToken JsonLexer::ScanNumber(std::size_t at) {
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
    ReadDigits(q, value);
  }
  std::size_t digitCount = static_cast<std::size_t>(q - digits);
  int fractionDigits = 0;
  if (q < end_ && *q == '.') {
    ++q;
    if (q == end_ || !IsDigit(*q)) return Error("invalid number; expected digit after '.'", q);
    const char* fraction = q;
    ReadDigits(q, value);
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
    kind_ = negative ? JsonDocument::Kind::kSigned : JsonDocument::Kind::kUnsigned;
    payload_ = negative ? 0 - value : value;
    compact_ = value <= (negative ? std::uint64_t{1} << 31 : UINT32_MAX);
    return JsonToken::kNumber;
  }
  kind_ = JsonDocument::Kind::kFloat;
  // Digits and a power of ten both exact as doubles: one product or quotient, correctly rounded.
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  int power = exponent - fractionDigits;
  if (isFloat && fits && value <= (std::uint64_t{1} << 53) && power >= -22 && power <= 22) {
    double number = static_cast<double>(value);
    number = power < 0 ? number / kPowersOfTen[-power] : number * kPowersOfTen[power];
    payload_ = std::bit_cast<std::uint64_t>(negative ? -number : number);
    // Six significant digits at most, once trailing zeros ("0.250000") are set aside.
    while (value >= 1000000 && value % 10 == 0 && power < 22) {
      value /= 10;
      ++power;
    }
    compact_ = value < 1000000;
    return JsonToken::kNumber;
  }
  compact_ = false;
  // The rest, integers beyond 64 bits among them, go the long way.
  ConvertNumber(start, q);
  return JsonToken::kNumber;
}

inline JsonToken JsonLexer::Scan() {
  SkipSpace();
  if (p_ == end_) {
    lastRead_ = text_.size();
    return JsonToken::kEnd;
  }
  std::size_t at = static_cast<std::size_t>(p_ - begin_);
  lastRead_ = at;
  switch (*p_++) {
    case '[':
      return JsonToken::kBeginArray;
    case ']':
      return JsonToken::kEndArray;
    case '{':
      return JsonToken::kBeginObject;
    case '}':
      return JsonToken::kEndObject;
    case ':':
      return JsonToken::kColon;
    case ',':
      return JsonToken::kComma;
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
      return ScanLiteral("true", JsonToken::kTrue);
    case 'f':
      return ScanLiteral("false", JsonToken::kFalse);
    case 'n':
      return ScanLiteral("null", JsonToken::kNull);
    default:
      return Error("invalid literal", p_ - 1);
  }
}

}  // namespace sim
