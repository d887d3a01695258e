#include "host/sim/scene_file/json_document.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/large_memory.h"

namespace sim {

double JsonDocument::Number(Index value) const {
  switch (KindOf(value)) {
    case Kind::kUnsigned:
      return static_cast<double>(Unsigned(value));
    case Kind::kSigned:
      return static_cast<double>(Signed(value));
    default:
      return Float(value);
  }
}

std::string JsonDocument::NumberText(Index value) const {
  switch (KindOf(value)) {
    case Kind::kUnsigned:
      return std::to_string(Unsigned(value));
    case Kind::kSigned:
      return std::to_string(Signed(value));
    default:
      // As messages have always printed them: the library's shortest form of the double.
      return nlohmann::json(Float(value)).dump();
  }
}

bool JsonDocument::FiniteFloat(Index value, float& out) const {
  if ((value & kPackedNumber) &&
      rows_[RowsOf(value)].CompactFloat(value & UINT32_MAX, (value >> kColumnShift) & 3, out)) {
    return true;
  }
  // Integers straight to a float, rounded once, as the packed rows convert theirs.
  switch (KindOf(value)) {
    case Kind::kUnsigned:
      out = static_cast<float>(Unsigned(value));
      return true;
    case Kind::kSigned:
      out = static_cast<float>(Signed(value));
      return true;
    case Kind::kFloat: {
      double number = Float(value);
      if (!(std::fabs(number) <= FLT_MAX)) return false;
      out = static_cast<float>(number);
      return true;
    }
    default:
      return false;
  }
}

JsonDocument::Kind JsonDocument::PackedKind(Index packed) const {
  if (!(packed & kPackedNumber)) return Kind::kArray;
  switch (rows_[RowsOf(packed)].KindAt(packed & UINT32_MAX, (packed >> kColumnShift) & 3)) {
    case JsonRows::kUnsigned:
      return Kind::kUnsigned;
    case JsonRows::kSigned:
      return Kind::kSigned;
    default:
      return Kind::kFloat;
  }
}

std::uint64_t JsonDocument::PackedPayload(Index packed) const {
  if (!(packed & kPackedNumber)) return rows_[RowsOf(packed)].Width();
  return rows_[RowsOf(packed)].PayloadAt(packed & UINT32_MAX, (packed >> kColumnShift) & 3);
}

std::string_view JsonDocument::String(Index value) const {
  std::uint64_t payload = Payload(value);
  return std::string_view(strings_).substr(payload >> 32, payload & UINT32_MAX);
}

JsonDocument::Index JsonDocument::Find(Index object, std::string_view key) const {
  std::size_t low = 0, high = Size(object);
  while (low < high) {
    std::size_t middle = low + (high - low) / 2;
    std::string_view at = Key(object, middle);
    if (at == key) return MemberValue(object, middle);
    if (at < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return kNotFound;
}

JsonDocument::Slots::Slots(bool first) : payloads(nullptr), kinds(nullptr) {
  std::size_t bytes = kChunkSize * sizeof *payloads;
  void* block = first ? std::malloc(bytes) : platform::AllocateLargeBlock(bytes);
  if (!block) throw std::bad_alloc();
  payloads = static_cast<std::uint64_t*>(block);
  kinds = static_cast<std::uint8_t*>(std::malloc(kChunkSize));
  if (!kinds) {
    platform::FreeLargeBlock(payloads);
    throw std::bad_alloc();
  }
}

JsonDocument::Slots::~Slots() {
  platform::FreeLargeBlock(payloads);
  std::free(kinds);
}

std::uint64_t JsonDocumentWriter::AddRows(JsonRows rows) {
  auto number = static_cast<std::uint64_t>(document_.rows_.size());
  auto count = static_cast<std::uint64_t>(rows.Count());
  rows.Trim();
  document_.rows_.push_back(std::move(rows));
  return number << 32 | count;
}

void JsonDocumentWriter::AddChunk() { document_.chunks_.emplace_back(document_.chunks_.empty()); }

void JsonDocumentWriter::Append(const std::uint8_t* kinds, const std::uint64_t* payloads,
                                std::size_t count) {
  while (count > 0) {
    std::size_t at = document_.size_;
    if ((at & JsonDocument::kMask) == 0) AddChunk();
    std::size_t offset = at & JsonDocument::kMask;
    std::size_t run = std::min(count, JsonDocument::kChunkSize - offset);
    JsonDocument::Slots& slots = document_.chunks_.back();
    if (run <= 4) {
      // The points and faces of a mesh: too short to be worth a call.
      for (std::size_t i = 0; i < run; ++i) {
        slots.payloads[offset + i] = payloads[i];
        slots.kinds[offset + i] = kinds[i];
      }
    } else {
      std::memcpy(slots.payloads + offset, payloads, run * sizeof *payloads);
      std::memcpy(slots.kinds + offset, kinds, run);
    }
    document_.size_ = at + run;
    kinds += run;
    payloads += run;
    count -= run;
  }
}

}  // namespace sim
