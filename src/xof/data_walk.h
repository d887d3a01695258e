// Walks a data block along its template, checking every size and count before touching the bytes,
// and reports members and values to a visitor. The validator, the text writer and the value
// decoder are visitors; the walk is a template so the hot loops stay free of virtual calls.
//
// Visitor interface:
//   void BeginMember(const Member&, int depth, std::uint64_t count);
//   void EndMember(const Member&, int depth, std::uint64_t count);
//   void Values(const Member&, PrimitiveType, const std::uint8_t* values, std::size_t count, int
//   depth); void String(const Member&, const char* text, std::size_t length, std::uint64_t index,
//               std::uint64_t count, int depth);
//   void BeginElement(const Member&, std::uint64_t index, std::uint64_t count, int depth);
//   void EndElement(const Member&, std::uint64_t index, std::uint64_t count, int depth);
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "xof/data_object.h"
#include "xof/tokens.h"

namespace xof {

// The integer value of a primitive integer member at `at` (sign-extended for signed types).
inline std::int64_t ReadIntegerValue(PrimitiveType type, const std::uint8_t* at) {
  switch (type) {
    case PrimitiveType::Char:
      return static_cast<std::int8_t>(at[0]);
    case PrimitiveType::Uchar:
      return at[0];
    case PrimitiveType::Word: {
      std::uint16_t v;
      std::memcpy(&v, at, 2);
      return v;
    }
    case PrimitiveType::Sword: {
      std::int16_t v;
      std::memcpy(&v, at, 2);
      return v;
    }
    case PrimitiveType::Sdword: {
      std::int32_t v;
      std::memcpy(&v, at, 4);
      return v;
    }
    default: {
      std::uint32_t v;
      std::memcpy(&v, at, 4);
      return v;
    }
  }
}

template <class Visitor>
class DataWalker {
 public:
  DataWalker(const std::uint8_t* data, std::size_t size, Visitor& visitor)
      : data_(data), size_(size), visitor_(visitor) {}

  // Throws FormatError (offsets into the block) when the block does not fit the template.
  void Walk(const Template& definition) {
    WalkTemplate(definition, 0);
    if (pos_ != size_) {
      throw FormatError(pos_, definition.name + ": " + std::to_string(size_ - pos_) +
                                  " bytes beyond the template's last member");
    }
  }

 private:
  static constexpr int kMaxDepth = 64;

  [[noreturn]] void Fail(const Template& t, const Member& m, const std::string& what) {
    throw FormatError(pos_, t.name + "." + m.name + ": " + what);
  }

  std::uint64_t ElementCount(const Template& t, const Member& m, const std::int64_t* counts) {
    std::uint64_t count = 1;
    for (const ArrayDimension& d : m.dimensions) {
      std::int64_t size = d.member >= 0 ? counts[d.member] : d.size;
      if (size < 0) Fail(t, m, "negative array size " + std::to_string(size));
      count *= static_cast<std::uint64_t>(size);
      // Every element takes at least one byte, so a count beyond the block is wrong however the
      // remaining dimensions multiply; stopping here also keeps the product from overflowing.
      if (count > size_) {
        Fail(t, m,
             "array of " + std::to_string(count) + " elements exceeds the " +
                 std::to_string(size_) + "-byte block");
      }
    }
    return count;
  }

  void WalkTemplate(const Template& t, int depth) {
    if (depth > kMaxDepth) throw FormatError(pos_, t.name + ": templates nested too deeply");
    std::int64_t localCounts[16];
    std::vector<std::int64_t> heapCounts;
    std::int64_t* counts = localCounts;
    if (t.members.size() > 16) {
      heapCounts.resize(t.members.size());
      counts = heapCounts.data();
    }
    for (std::size_t i = 0; i < t.members.size(); ++i) {
      const Member& m = t.members[i];
      std::uint64_t count = m.isArray ? ElementCount(t, m, counts) : 1;
      visitor_.BeginMember(m, depth, count);
      if (m.primitive && IsStringType(*m.primitive)) {
        for (std::uint64_t e = 0; e < count; ++e) {
          const void* zero = std::memchr(data_ + pos_, 0, size_ - pos_);
          if (!zero) Fail(t, m, "string without a terminating zero byte");
          std::size_t length = static_cast<const std::uint8_t*>(zero) - (data_ + pos_);
          visitor_.String(m, reinterpret_cast<const char*>(data_ + pos_), length, e, count, depth);
          pos_ += length + 1;
        }
      } else if (m.primitive) {
        std::size_t width = PrimitiveSize(*m.primitive);
        if (count > (size_ - pos_) / width) {
          Fail(t, m,
               std::to_string(count) + " values need " + std::to_string(count * width) +
                   " bytes, " + std::to_string(size_ - pos_) + " remain");
        }
        if (!m.isArray && IsIntegerType(*m.primitive)) {
          counts[i] = ReadIntegerValue(*m.primitive, data_ + pos_);
        }
        visitor_.Values(m, *m.primitive, data_ + pos_, static_cast<std::size_t>(count), depth);
        pos_ += static_cast<std::size_t>(count) * width;
      } else {
        std::size_t minimum = m.type->minimumSize ? m.type->minimumSize : 1;
        if (m.isArray && count > (size_ - pos_) / minimum) {
          Fail(t, m,
               std::to_string(count) + " elements cannot fit in the " +
                   std::to_string(size_ - pos_) + " bytes that remain");
        }
        std::uint64_t e = 0;
        if constexpr (requires { &Visitor::ValuesRun; }) {
          if (m.isArray && depth < kMaxDepth) e = WalkUniformRun(m, count, depth);
        }
        for (; e < count; ++e) {
          visitor_.BeginElement(m, e, count, depth);
          WalkTemplate(*m.type, depth + 1);
          visitor_.EndElement(m, e, count, depth);
        }
      }
      visitor_.EndMember(m, depth, count);
    }
  }

  // Elements of a template whose members are all of one primitive type (a mesh's faces: a count
  // and that many indices) form one run of values. A visitor with ValuesRun takes such a run whole
  // instead of member by member; it may decline (returning false), and any element that does not
  // fit is left to the member-by-member walk, which reports what is wrong with it. Returns how many
  // elements were taken.
  std::uint64_t WalkUniformRun(const Member& array, std::uint64_t count, int depth) {
    const Template& t = *array.type;
    constexpr std::size_t kMaxMembers = 16;
    if (t.members.empty() || t.members.size() > kMaxMembers || !t.members[0].primitive) return 0;
    PrimitiveType type = *t.members[0].primitive;
    if (IsStringType(type)) return 0;
    for (const Member& m : t.members) {
      if (!m.primitive || *m.primitive != type) return 0;
    }
    const std::size_t width = PrimitiveSize(type);
    const bool integers = IsIntegerType(type);
    const std::size_t start = pos_;
    bool fixed = true;  // no arrays: every element has the same size (a vector, a colour)
    for (const Member& m : t.members) fixed = fixed && !m.isArray;
    std::int64_t counts[kMaxMembers] = {};
    std::uint64_t e = 0;
    if (fixed) {
      std::size_t element = t.members.size() * width;
      e = std::min<std::uint64_t>(count, (size_ - pos_) / element);
      pos_ += static_cast<std::size_t>(e) * element;
    }
    for (; !fixed && e < count; ++e) {
      std::size_t at = pos_;
      bool whole = true;
      for (std::size_t i = 0; whole && i < t.members.size(); ++i) {
        const Member& m = t.members[i];
        std::uint64_t n = 1;
        if (m.isArray) {
          for (const ArrayDimension& d : m.dimensions) {
            std::int64_t dimension = d.member >= 0 ? counts[d.member] : d.size;
            if (dimension < 0) {
              whole = false;
              break;
            }
            n *= static_cast<std::uint64_t>(dimension);
            if (n > size_) {
              whole = false;
              break;
            }
          }
        }
        if (!whole || n > (size_ - at) / width) {
          whole = false;
          break;
        }
        if (!m.isArray && integers) counts[i] = ReadIntegerValue(type, data_ + at);
        at += static_cast<std::size_t>(n) * width;
      }
      if (!whole) break;
      pos_ = at;
    }
    if (e == 0) return 0;
    if (!visitor_.ValuesRun(array, type, data_ + start, (pos_ - start) / width, depth)) {
      pos_ = start;
      return 0;
    }
    return e;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  Visitor& visitor_;
};

// A visitor with every event ignored, to derive from.
struct DataVisitorBase {
  void BeginMember(const Member&, int, std::uint64_t) {}
  void EndMember(const Member&, int, std::uint64_t) {}
  void Values(const Member&, PrimitiveType, const std::uint8_t*, std::size_t, int) {}
  void String(const Member&, const char*, std::size_t, std::uint64_t, std::uint64_t, int) {}
  void BeginElement(const Member&, std::uint64_t, std::uint64_t, int) {}
  void EndElement(const Member&, std::uint64_t, std::uint64_t, int) {}
};

}  // namespace xof
