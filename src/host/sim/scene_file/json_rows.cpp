#include "host/sim/scene_file/json_rows.h"

#include <charconv>

namespace sim {

double CompactFloatValue(float value) {
  // Up to six significant digits and a power within ±22 come back whole from a float's shortest
  // digits. Scientific form: the fixed form prints a large float's every digit instead.
  char text[32];
  auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  double number = 0;
  std::from_chars(text, written.ptr, number, std::chars_format::scientific);
  return number;
}

namespace {

std::uint64_t NarrowPayload(JsonRows::NumberKind kind, std::uint32_t value) {
  switch (kind) {
    case JsonRows::kUnsigned:
      return value;
    case JsonRows::kSigned:
      return static_cast<std::uint64_t>(
          static_cast<std::int64_t>(static_cast<std::int32_t>(value)));
    default:
      return std::bit_cast<std::uint64_t>(CompactFloatValue(std::bit_cast<float>(value)));
  }
}

std::uint32_t NarrowValue(const JsonRows::Number& number) {
  if (number.kind == JsonRows::kFloat) {
    return std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<double>(number.payload)));
  }
  return static_cast<std::uint32_t>(number.payload);
}

}  // namespace

void JsonRows::Add(const Number* row) {
  std::uint8_t kinds = 0;
  bool compact = true;
  for (std::size_t c = 0; c < width_; ++c) {
    kinds |= static_cast<std::uint8_t>(row[c].kind << (2 * c));
    compact = compact && row[c].compact;
  }
  if (!compact && !wide_) Widen();
  std::size_t at = kinds_.size();
  kinds_.push_back(kinds);
  if (wide_) {
    wideValues_.resize_for_overwrite((at + 1) * width_);
    for (std::size_t c = 0; c < width_; ++c) wideValues_[at * width_ + c] = row[c].payload;
  } else {
    narrow_.resize_for_overwrite((at + 1) * width_);
    for (std::size_t c = 0; c < width_; ++c) narrow_[at * width_ + c] = NarrowValue(row[c]);
  }
}

std::uint64_t JsonRows::PayloadAt(std::size_t row, std::size_t column) const {
  if (wide_) return wideValues_[row * width_ + column];
  return NarrowPayload(KindAt(row, column), narrow_[row * width_ + column]);
}

void JsonRows::Widen() {
  wideValues_.resize_for_overwrite(narrow_.size());
  for (std::size_t row = 0; row < kinds_.size(); ++row) {
    for (std::size_t c = 0; c < width_; ++c) wideValues_[row * width_ + c] = PayloadAt(row, c);
  }
  wide_ = true;
  narrow_ = {};
}

void JsonRows::Trim() {
  narrow_.shrink_to_fit();
  wideValues_.shrink_to_fit();
  kinds_.shrink_to_fit();
}

}  // namespace sim
