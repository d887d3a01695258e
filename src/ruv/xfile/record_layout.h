// How values are laid out in the data blocks of records: packed, little-endian, no padding.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host/matrix3.h"
#include "xof/data_object.h"

// The 16 floats of a matrix record: each axis row followed by 0, the translation row followed by 1.
using MatrixRecord = std::array<float, 16>;

inline MatrixRecord MatrixLayout(const Matrix3& m) {
  MatrixRecord out{};
  for (int row = 0; row < 4; ++row) {
    out[row * 4 + 0] = m[row].x;
    out[row * 4 + 1] = m[row].y;
    out[row * 4 + 2] = m[row].z;
    out[row * 4 + 3] = row == 3 ? 1.0f : 0.0f;
  }
  return out;
}

// Appends values to a record's data block.
class RecordBuffer {
 public:
  RecordBuffer() = default;
  // A block made elsewhere (a generated array taken over), to be filled in place.
  explicit RecordBuffer(xof::DataBlock bytes) : bytes_(std::move(bytes)) {}

  void Dword(std::uint32_t value) { Raw(&value, sizeof value); }
  void Word(std::uint16_t value) { Raw(&value, sizeof value); }
  void Float(float value) { Raw(&value, sizeof value); }
  void Floats(const float* values, std::size_t count) { Raw(values, count * sizeof(float)); }
  // Appended without zero-filling first: a record of a large mesh takes millions of values.
  void Raw(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
  }

  // Grows the block by `size` zero bytes and gives where they start, for parts of a block that are
  // filled apart (on two threads).
  std::uint8_t* Extend(std::size_t size) {
    bytes_.resize(bytes_.size() + size);
    return bytes_.data() + bytes_.size() - size;
  }

  // The large records know their size: reserving it keeps a mesh's block from being grown by
  // doubling, which would hold up to twice its size at the export's peak.
  void Reserve(std::size_t size) { bytes_.reserve(size); }

  // Sets the size without clearing new bytes, for a block the caller rewrites whole; growing
  // reserves exactly.
  std::uint8_t* Resize(std::size_t size) {
    bytes_.reserve(size);
    bytes_.resize_for_overwrite(size);
    return bytes_.data();
  }
  // Gives back what the block holds beyond its size.
  void Trim() { bytes_.shrink_to_fit(); }

  const void* data() const { return bytes_.data(); }
  std::uint8_t* bytes() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  // The block itself, for a save object to take over rather than copy.
  xof::DataBlock&& Take() { return std::move(bytes_); }

 private:
  xof::DataBlock bytes_;
};

// Writes 4-byte values into a part of a block made by RecordBuffer::Extend.
class RecordFill {
 public:
  explicit RecordFill(std::uint8_t* at) : at_(at) {}
  void Dword(std::uint32_t value) { Put(&value); }
  void Float(float value) { Put(&value); }

 private:
  void Put(const void* value) {
    std::memcpy(at_, value, 4);
    at_ += 4;
  }
  std::uint8_t* at_;
};

// Appends 4-byte values to a block through a small buffer, copied in runs: a large mesh's record
// takes millions of values, which one by one cost an insert each.
class RecordStage {
 public:
  explicit RecordStage(RecordBuffer& out) : out_(out) {}
  ~RecordStage() { Flush(); }
  RecordStage(const RecordStage&) = delete;
  RecordStage& operator=(const RecordStage&) = delete;

  void Dword(std::uint32_t value) { Put(&value); }
  void Float(float value) { Put(&value); }
  void Flush() {
    out_.Raw(values_, used_ * 4);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kValues = 2048;
  void Put(const void* value) {
    std::memcpy(&values_[used_], value, 4);
    if (++used_ == kValues) Flush();
  }

  RecordBuffer& out_;
  std::uint32_t values_[kValues];
  std::size_t used_ = 0;
};
