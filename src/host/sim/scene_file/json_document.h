// A parsed scene file, compact enough for files of hundreds of megabytes: every value is one byte
// of kind and eight bytes of payload, held in chunks so that the document grows without copying.
// The values of one array or object sit side by side, so an element is found in constant time; an
// object's keys are sorted, so a member is found by binary search. A large array of number rows
// (the bulk of a mesh) is held packed apart, and its rows and numbers are values all the same,
// with indices of their own. Internal to the loader.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/sim/scene_file/json_rows.h"

namespace sim {

class JsonDocument {
 public:
  enum class Kind : std::uint8_t {
    kNull,
    kFalse,
    kTrue,
    kUnsigned,  // a non-negative integer that fits 64 bits
    kSigned,    // a negative integer (or -0) that fits 64 bits
    kFloat,     // any other number
    kString,
    kArray,
    kObject,
  };
  using Index = std::uint64_t;
  static constexpr Index kNotFound = UINT64_MAX;

  Index Root() const { return static_cast<Index>(size_ - 1); }
  Kind KindOf(Index value) const {
    if (value & kPacked) return PackedKind(value);
    std::uint8_t kind = RawKind(value);
    return kind == kRowsKind ? Kind::kArray : static_cast<Kind>(kind);
  }
  std::uint64_t Payload(Index value) const {
    return value & kPacked ? PackedPayload(value) : Chunk(value).payloads[value & kMask];
  }

  std::uint64_t Unsigned(Index value) const { return Payload(value); }
  std::int64_t Signed(Index value) const { return static_cast<std::int64_t>(Payload(value)); }
  double Float(Index value) const { return std::bit_cast<double>(Payload(value)); }
  // Any number as a double.
  double Number(Index value) const;
  // A number as messages print it: integers in full, others in their shortest form.
  std::string NumberText(Index value) const;
  std::string_view String(Index value) const;

  // Arrays hold Size() elements, objects Size() members in key order.
  std::size_t Size(Index container) const {
    if (container & kPacked) return rows_[RowsOf(container)].Width();
    return static_cast<std::uint32_t>(Payload(container));
  }
  Index Element(Index array, std::size_t i) const {
    if (array & kPacked) return array | kPackedNumber | Index{i} << kColumnShift;
    if (RawKind(array) == kRowsKind) return kPacked | (Payload(array) >> 32 << 32) | Index{i};
    return First(array) + static_cast<Index>(i);
  }
  // The packed rows an array holds, or null for any other value.
  const JsonRows* Rows(Index array) const {
    if ((array & kPacked) || RawKind(array) != kRowsKind) return nullptr;
    return &rows_[Payload(array) >> 32];
  }
  // A number that fits a finite float, as one: what every reader of floats turns it into.
  bool FiniteFloat(Index value, float& out) const;
  std::string_view Key(Index object, std::size_t i) const {
    return String(First(object) + static_cast<Index>(i));
  }
  Index MemberValue(Index object, std::size_t i) const {
    return First(object) + static_cast<Index>(Size(object) + i);
  }
  // The member's value, or kNotFound.
  Index Find(Index object, std::string_view key) const;

 private:
  friend class JsonDocumentWriter;
  // A chunk's payloads fill one 2 MiB huge page exactly; its kinds lie apart.
  static constexpr unsigned kShift = 18;
  static constexpr std::size_t kChunkSize = std::size_t{1} << kShift;
  static constexpr std::size_t kMask = kChunkSize - 1;
  class Slots {
   public:
    // The first chunk of a document is plain memory, touched page by page as it fills: most
    // documents are small. Later ones are large-memory blocks.
    explicit Slots(bool first);
    Slots(Slots&& other) noexcept
        : payloads(std::exchange(other.payloads, nullptr)),
          kinds(std::exchange(other.kinds, nullptr)) {}
    Slots& operator=(Slots&&) = delete;
    Slots(const Slots&) = delete;
    ~Slots();

    std::uint64_t* payloads;
    std::uint8_t* kinds;
  };

  // An array of packed rows: its payload is the rows' number << 32 | their count.
  static constexpr std::uint8_t kRowsKind = static_cast<std::uint8_t>(Kind::kObject) + 1;
  // A packed row is kPacked | rows << 32 | row, a number in it kPacked | kPackedNumber | its
  // column << kColumnShift | the same.
  static constexpr Index kPacked = Index{1} << 63;
  static constexpr Index kPackedNumber = Index{1} << 62;
  static constexpr unsigned kColumnShift = 60;
  static std::size_t RowsOf(Index packed) { return (packed >> 32) & 0x0FFFFFFF; }
  Kind PackedKind(Index packed) const;
  std::uint64_t PackedPayload(Index packed) const;

  std::uint8_t RawKind(Index value) const { return Chunk(value).kinds[value & kMask]; }
  const Slots& Chunk(Index value) const { return chunks_[value >> kShift]; }
  // An array's elements (an object's keys, then its values) start at First.
  Index First(Index container) const { return static_cast<Index>(Payload(container) >> 32); }

  std::vector<Slots> chunks_;
  std::size_t size_ = 0;
  std::vector<JsonRows> rows_;
  // Every string and key, decoded, one after another; a string's payload is offset << 32 | length.
  std::string strings_;
};

// Fills a document bottom-up: the values of one container are appended together, the container
// after them, the root last.
class JsonDocumentWriter {
 public:
  explicit JsonDocumentWriter(JsonDocument& document) : document_(document) {}

  void Append(JsonDocument::Kind kind, std::uint64_t payload) {
    std::size_t at = document_.size_;
    if ((at & JsonDocument::kMask) == 0) AddChunk();
    JsonDocument::Slots& slots = document_.chunks_.back();
    slots.payloads[at & JsonDocument::kMask] = payload;
    slots.kinds[at & JsonDocument::kMask] = static_cast<std::uint8_t>(kind);
    document_.size_ = at + 1;
  }
  // `count` values at once, kinds as JsonDocument::Kind bytes.
  void Append(const std::uint8_t* kinds, const std::uint64_t* payloads, std::size_t count);
  // Keeps an array of packed rows; the array's value is then of RowsKind() with the payload
  // returned.
  std::uint64_t AddRows(JsonRows rows);
  static JsonDocument::Kind RowsKind() {
    return static_cast<JsonDocument::Kind>(JsonDocument::kRowsKind);
  }
  std::size_t Size() const { return document_.size_; }
  std::string& Strings() { return document_.strings_; }
  std::string_view String(std::uint64_t payload) const {
    return std::string_view(document_.strings_).substr(payload >> 32, payload & UINT32_MAX);
  }

 private:
  void AddChunk();

  JsonDocument& document_;
};

}  // namespace sim
