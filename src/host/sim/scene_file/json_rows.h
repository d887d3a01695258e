// The elements of one large array of short number rows (a mesh's points, faces, map coordinates),
// packed: four bytes a number while every number fits them, eight otherwise, and the kinds of a
// row's numbers in one byte. A document of slots would spend nine bytes on every number and nine
// more on every row. The parser fills it; the document hands its rows and numbers out as values of
// its own, exactly as read. Internal to the loader.
#pragma once

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/heap_array.h"

namespace sim {

class JsonRows {
 public:
  // A number's kind within a row, two bits each: the document's unsigned, signed and float.
  enum NumberKind : std::uint8_t { kUnsigned = 0, kSigned = 1, kFloat = 2 };
  // A number as read, and whether four bytes hold it: an integer of 32 bits, or a decimal of at
  // most six significant digits and a power of ten within ±22, which a float holds and gives back.
  struct Number {
    NumberKind kind;
    bool compact;
    std::uint64_t payload;  // as the document holds it: the integer's bits, or the double's
  };

  explicit JsonRows(std::size_t width) : width_(width) {}

  std::size_t Width() const { return width_; }
  std::size_t Count() const { return kinds_.size(); }
  // Appends a row of Width() numbers.
  void Add(const Number* row);
  // Drops spare capacity once the array is complete.
  void Trim();

  NumberKind KindAt(std::size_t row, std::size_t column) const {
    return static_cast<NumberKind>((kinds_[row] >> (2 * column)) & 3);
  }
  // The number's payload exactly as the document would hold it.
  std::uint64_t PayloadAt(std::size_t row, std::size_t column) const;

  // The row as floats, as the readers convert numbers; false when one does not fit a finite float.
  bool Floats(std::size_t row, float* out) const {
    return wide_ ? RowFloats(wideValues_.data() + row * width_, kinds_[row], out)
                 : RowFloats(narrow_.data() + row * width_, kinds_[row], out);
  }
  // The row as whole numbers below `limit` that fit 32 bits; false for anything else.
  bool Indices(std::size_t row, std::uint64_t limit, std::uint32_t* out) const {
    if (kinds_[row] != 0) return false;  // not all unsigned
    for (std::size_t c = 0; c < width_; ++c) {
      std::uint64_t value = wide_ ? wideValues_[row * width_ + c] : narrow_[row * width_ + c];
      if (value >= limit || value > UINT32_MAX) return false;
      out[c] = static_cast<std::uint32_t>(value);
    }
    return true;
  }
  // The number as a float, when it is a compact float: what a reader converts it to, without
  // turning it back into its double first.
  bool CompactFloat(std::size_t row, std::size_t column, float& out) const {
    if (wide_ || KindAt(row, column) != kFloat) return false;
    out = std::bit_cast<float>(narrow_[row * width_ + column]);
    return true;
  }

 private:
  void Widen();
  // A row's numbers, four or eight bytes each, as floats.
  template <class Value>
  bool RowFloats(const Value* values, std::uint8_t kinds, float* out) const {
    using Signed = std::make_signed_t<Value>;
    for (std::size_t c = 0; c < width_; ++c, kinds >>= 2) {
      switch (kinds & 3) {
        case kUnsigned:
          out[c] = static_cast<float>(values[c]);
          break;
        case kSigned:
          out[c] = static_cast<float>(static_cast<Signed>(values[c]));
          break;
        default:
          if constexpr (sizeof(Value) == 4) {
            out[c] = std::bit_cast<float>(values[c]);  // a compact float, held as one
          } else {
            double value = std::bit_cast<double>(values[c]);
            if (!(std::fabs(value) <= FLT_MAX)) return false;
            out[c] = static_cast<float>(value);
          }
      }
    }
    return true;
  }

  std::size_t width_;
  // Four bytes a number until one does not fit them; from then on eight, and narrow_ is empty.
  bool wide_ = false;
  platform::HeapArray<std::uint32_t> narrow_;
  platform::HeapArray<std::uint64_t> wideValues_;
  platform::HeapArray<std::uint8_t> kinds_;
};

// The double a compact float was read as: the float's shortest digits, read back as a double.
double CompactFloatValue(float value);

}  // namespace sim
