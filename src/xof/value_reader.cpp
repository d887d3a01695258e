#include "xof/value_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "xof/data_walk.h"

namespace xof {
namespace {

class ValueReader {
 public:
  explicit ValueReader(Lexer& lexer) : lexer_(lexer) {}

  // A bound on how many more values can follow, so that no count sizes an allocation beyond the
  // input: a binary value takes at least 4 bytes (list entries, string records), a text value at
  // least one character and a separator, except the very last.
  std::size_t Remaining() const {
    if (lexer_.IsBinary()) return (list_.count - index_) + lexer_.Remaining() / 4;
    return lexer_.Remaining() / 2 + 1;
  }

  std::int64_t Integer(const Template& t, const Member& m) {
    if (InList()) {
      if (list_.kind != TokenKind::IntegerList)
        Mismatch(t, m, "an integer", "a float list", list_.offset);
      std::uint32_t v;
      std::memcpy(&v, list_.values + 4 * index_++, 4);
      return v;
    }
    Token token = NextValueToken();
    if (token.kind == TokenKind::Integer) return token.integer;
    if (StartList(token)) return Integer(t, m);
    Mismatch(t, m, "an integer", Describe(token), token.offset);
  }

  double Real(const Template& t, const Member& m) {
    if (InList()) {
      if (list_.kind != TokenKind::FloatList)
        Mismatch(t, m, "a float", "an integer list", list_.offset);
      const std::uint8_t* at = list_.values + list_.valueSize * index_++;
      if (list_.valueSize == 8) {
        double v;
        std::memcpy(&v, at, 8);
        return v;
      }
      float v;
      std::memcpy(&v, at, 4);
      return v;
    }
    Token token = NextValueToken();
    // Text files may print a whole float without a decimal point.
    if (token.kind == TokenKind::Float ||
        (token.kind == TokenKind::Integer && !lexer_.IsBinary())) {
      return token.real;
    }
    if (StartList(token)) return Real(t, m);
    Mismatch(t, m, "a float", Describe(token), token.offset);
  }

  std::string_view String(const Template& t, const Member& m) {
    if (InList()) Mismatch(t, m, "a string", "a value list", list_.offset);
    Token token = NextValueToken();
    if (token.kind != TokenKind::String) Mismatch(t, m, "a string", Describe(token), token.offset);
    if (token.text.find('\0') != std::string_view::npos) {
      throw FormatError(token.offset, t.name + "." + m.name + ": string holds a zero byte");
    }
    return token.text;
  }

  // Up to `max` values, a multiple of `granularity`, taken straight from the binary list of `kind`
  // being read (or starting next) when it holds 4-byte values; 0 when the next value is not in
  // such a list or fewer than `granularity` remain in it. Large arrays are copied this way.
  std::size_t TakeRun(TokenKind kind, std::size_t max, std::size_t granularity,
                      const std::uint8_t*& values) {
    if (!lexer_.IsBinary()) return 0;
    if (!InList()) {
      if (lexer_.Peek().kind != kind) return 0;
      StartList(lexer_.Next());
    }
    if (list_.kind != kind || list_.valueSize != 4) return 0;
    std::size_t available = std::min<std::size_t>(max, list_.count - index_);
    available -= available % granularity;
    values = list_.values + 4 * static_cast<std::size_t>(index_);
    index_ += static_cast<std::uint32_t>(available);
    return available;
  }

  // Up to `max` rows of a count followed by that many 4-byte values (a face's corner list), taken
  // whole from the binary integer list being read (or starting next): rows that lie inside one
  // list are its values as they stand. Returns how many rows were taken; `values` and `dwords` say
  // where they lie and how many values they span.
  std::size_t TakeCountedRows(std::size_t max, const std::uint8_t*& values, std::size_t& dwords) {
    dwords = 0;
    if (!lexer_.IsBinary()) return 0;
    if (!InList()) {
      if (lexer_.Peek().kind != TokenKind::IntegerList) return 0;
      StartList(lexer_.Next());
    }
    if (list_.kind != TokenKind::IntegerList || list_.valueSize != 4) return 0;
    const std::uint8_t* start = list_.values + 4 * static_cast<std::size_t>(index_);
    const std::size_t available = list_.count - index_;
    std::size_t rows = 0, at = 0;
    while (rows < max && at < available) {
      std::uint32_t length;
      std::memcpy(&length, start + 4 * at, 4);
      // The row's count and its values must all lie in this list.
      if (length >= available - at) break;
      at += std::size_t{length} + 1;
      ++rows;
    }
    values = start;
    dwords = at;
    index_ += static_cast<std::uint32_t>(at);
    return rows;
  }

  void Finish(const Template& t) {
    if (InList()) {
      throw FormatError(list_.offset, t.name + " object: its value list holds " +
                                          std::to_string(list_.count - index_) +
                                          " values more than the template has members for");
    }
  }

 private:
  bool InList() const { return index_ < list_.count; }

  // Separators are optional between values, and an empty list carries none.
  Token NextValueToken() {
    for (;;) {
      const Token& next = lexer_.Peek();
      bool emptyList = (next.kind == TokenKind::IntegerList || next.kind == TokenKind::FloatList) &&
                       next.count == 0;
      if (next.kind != TokenKind::Semicolon && next.kind != TokenKind::Comma && !emptyList) break;
      lexer_.Next();
    }
    return lexer_.Next();
  }

  bool StartList(const Token& token) {
    if (token.kind != TokenKind::IntegerList && token.kind != TokenKind::FloatList) return false;
    list_ = token;
    index_ = 0;
    return true;
  }

  [[noreturn]] void Mismatch(const Template& t, const Member& m, const char* wanted,
                             const std::string& found, std::size_t offset) {
    throw FormatError(offset, t.name + "." + m.name + ": expected " + wanted + ", found " + found);
  }

  Lexer& lexer_;
  Token list_;
  std::uint32_t index_ = 0;
};

std::int64_t AppendInteger(DataBlock& out, PrimitiveType type, std::int64_t value, bool binary,
                           const Template& t, const Member& m, std::size_t offset) {
  // Binary lists hold 32-bit patterns: a signed member reads them as two's complement.
  if (binary && (type == PrimitiveType::Sdword || type == PrimitiveType::Sword ||
                 type == PrimitiveType::Char)) {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  std::int64_t low = 0, high = 0;
  switch (type) {
    case PrimitiveType::Char:
      low = -128;
      high = 127;
      break;
    case PrimitiveType::Uchar:
      low = 0;
      high = 255;
      break;
    case PrimitiveType::Word:
      low = 0;
      high = 0xFFFF;
      break;
    case PrimitiveType::Sword:
      low = -32768;
      high = 32767;
      break;
    case PrimitiveType::Sdword:
      low = std::numeric_limits<std::int32_t>::min();
      high = std::numeric_limits<std::int32_t>::max();
      break;
    default:
      low = 0;
      high = 0xFFFFFFFF;
      break;
  }
  if (value < low || value > high) {
    throw FormatError(offset, t.name + "." + m.name + ": value " + std::to_string(value) +
                                  " does not fit a " + std::string(PrimitiveKeyword(type)));
  }
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  std::uint8_t bytes[4] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                           static_cast<std::uint8_t>(bits >> 16),
                           static_cast<std::uint8_t>(bits >> 24)};
  out.insert(out.end(), bytes, bytes + PrimitiveSize(type));
  return value;
}

void AppendReal(DataBlock& out, PrimitiveType type, double value) {
  if (type == PrimitiveType::Double) {
    std::uint8_t bytes[8];
    std::memcpy(bytes, &value, 8);
    out.insert(out.end(), bytes, bytes + 8);
  } else {
    float narrowed = static_cast<float>(value);
    std::uint8_t bytes[4];
    std::memcpy(bytes, &narrowed, 4);
    out.insert(out.end(), bytes, bytes + 4);
  }
}

class Decoder {
 public:
  Decoder(Lexer& lexer, DataBlock& out) : lexer_(lexer), in_(lexer), out_(out) {}

  void Decode(const Template& t) {
    DecodeTemplate(t, 0);
    in_.Finish(t);
  }

 private:
  void DecodeTemplate(const Template& t, int depth) {
    if (depth > 64)
      throw FormatError(lexer_.Peek().offset, t.name + ": templates nested too deeply");
    // Most templates are small: their counts stay off the heap, once per element of a large array.
    std::int64_t localCounts[16] = {};
    std::vector<std::int64_t> heapCounts;
    std::int64_t* counts = localCounts;
    if (t.members.size() > 16) {
      heapCounts.assign(t.members.size(), 0);
      counts = heapCounts.data();
    }
    for (std::size_t i = 0; i < t.members.size(); ++i) {
      const Member& m = t.members[i];
      std::uint64_t count = 1;
      if (m.isArray) {
        for (const ArrayDimension& d : m.dimensions) {
          std::int64_t size = d.member >= 0 ? counts[d.member] : d.size;
          if (size < 0)
            throw FormatError(lexer_.Peek().offset,
                              t.name + "." + m.name + ": negative array size");
          count *= static_cast<std::uint64_t>(size);
          if (count > in_.Remaining()) {
            throw FormatError(lexer_.Peek().offset,
                              t.name + "." + m.name + ": array of " + std::to_string(count) +
                                  " elements is larger than the rest of the file");
          }
        }
      }
      if (m.primitive && IsStringType(*m.primitive)) {
        for (std::uint64_t e = 0; e < count; ++e) {
          std::string_view text = in_.String(t, m);
          out_.insert(out_.end(), text.begin(), text.end());
          out_.push_back(0);
        }
      } else if (m.primitive) {
        PrimitiveType type = *m.primitive;
        Reserve(count * PrimitiveSize(type));
        for (std::uint64_t e = 0; e < count; ++e) {
          if (std::size_t run = CopyRun(type, count - e, 1)) {
            if (!m.isArray) counts[i] = ReadIntegerValue(type, out_.data() + out_.size() - 4);
            e += run;
            if (e == count) break;
          }
          if (IsFloatType(type)) {
            AppendReal(out_, type, in_.Real(t, m));
          } else {
            std::size_t offset = lexer_.Peek().offset;
            std::int64_t value = in_.Integer(t, m);
            value = AppendInteger(out_, type, value, lexer_.IsBinary(), t, m, offset);
            if (!m.isArray) counts[i] = value;
          }
        }
      } else {
        const std::size_t width = m.isArray ? FlatWidth(*m.type) : 0;
        const bool counted = m.isArray && !width && IsCountedRow(*m.type);
        // Counted rows reserve what they copy; other elements at least their smallest size.
        if (m.isArray && !counted) Reserve(count * std::max<std::size_t>(m.type->minimumSize, 1));
        for (std::uint64_t e = 0; e < count; ++e) {
          if (width) {
            e += CopyRun(*m.type->members[0].primitive, (count - e) * width, width) / width;
            if (e == count) break;
          } else if (counted) {
            e += CopyCountedRows(count - e);
            if (e == count) break;
          }
          DecodeTemplate(*m.type, depth + 1);
        }
      }
    }
  }

  // Values of a 4-byte type that a binary list holds as they are: a run of them is copied whole.
  // Returns how many were copied.
  std::size_t CopyRun(PrimitiveType type, std::uint64_t max, std::size_t granularity) {
    TokenKind kind;
    if (type == PrimitiveType::Float) {
      kind = TokenKind::FloatList;
    } else if (type == PrimitiveType::Dword || type == PrimitiveType::Sdword) {
      kind = TokenKind::IntegerList;
    } else {
      return 0;
    }
    const std::uint8_t* values = nullptr;
    std::size_t run = in_.TakeRun(kind, static_cast<std::size_t>(max), granularity, values);
    // Appended in one pass: resizing first would clear the new bytes only to overwrite them.
    if (run) out_.insert(out_.end(), values, values + 4 * run);
    return run;
  }

  // Rows of a counted row template taken whole from a binary list; returns how many.
  std::size_t CopyCountedRows(std::uint64_t max) {
    const std::uint8_t* values = nullptr;
    std::size_t dwords = 0;
    std::size_t rows = in_.TakeCountedRows(static_cast<std::size_t>(max), values, dwords);
    if (dwords) {
      Reserve(4 * dwords);
      out_.insert(out_.end(), values, values + 4 * dwords);
    }
    return rows;
  }

  // A DWORD count and an array of that many DWORDs (MeshFace and its like): in a binary list each
  // element is its values as they stand.
  static bool IsCountedRow(const Template& t) {
    if (t.members.size() != 2) return false;
    const Member& count = t.members[0];
    const Member& row = t.members[1];
    return !count.isArray && count.primitive && *count.primitive == PrimitiveType::Dword &&
           row.isArray && row.primitive &&
           (*row.primitive == PrimitiveType::Dword || *row.primitive == PrimitiveType::Sdword) &&
           row.dimensions.size() == 1 && row.dimensions[0].member == 0;
  }

  // Members per element when a template is a fixed row of one 4-byte type (Vector, Coords2d,
  // ColorRGBA...), so an array of it is one run of values; 0 otherwise.
  static std::size_t FlatWidth(const Template& t) {
    if (t.members.empty() || t.members.size() > 16) return 0;
    for (const Member& m : t.members) {
      if (m.isArray || !m.primitive || *m.primitive != *t.members[0].primitive) return 0;
    }
    PrimitiveType type = *t.members[0].primitive;
    bool copyable = type == PrimitiveType::Float || type == PrimitiveType::Dword ||
                    type == PrimitiveType::Sdword;
    return copyable ? t.members.size() : 0;
  }

  // Grows geometrically: reserving the exact size for every small member would copy the whole
  // block each time, and an array of faces would cost the square of its size.
  void Reserve(std::size_t more) {
    std::size_t needed = out_.size() + more;
    if (needed > out_.capacity()) out_.reserve(std::max(needed, 2 * out_.capacity()));
  }

  Lexer& lexer_;
  ValueReader in_;
  DataBlock& out_;
};

}  // namespace

void DecodeObjectData(Lexer& lexer, const Template& definition, DataBlock& out) {
  // Sized once where the encoding tells the size: a mesh's block is never grown and copied.
  if (std::size_t hint = lexer.DataBytesAhead()) out.reserve(out.size() + hint);
  Decoder decoder(lexer, out);
  decoder.Decode(definition);
}

}  // namespace xof
