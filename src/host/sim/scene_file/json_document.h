// A parsed scene file, compact enough for files of hundreds of megabytes: every value is one byte
// of kind and eight bytes of payload, held in chunks so that the document grows without copying.
// The values of one array or object sit side by side, so an element is found in constant time; an
// object's keys are sorted, so a member is found by binary search. Internal to the loader.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  using Index = std::uint32_t;
  static constexpr Index kNotFound = UINT32_MAX;

  Index Root() const { return static_cast<Index>(size_ - 1); }
  Kind KindOf(Index value) const { return static_cast<Kind>(Chunk(value).kinds[value & kMask]); }
  std::uint64_t Payload(Index value) const { return Chunk(value).payloads[value & kMask]; }

  std::uint64_t Unsigned(Index value) const { return Payload(value); }
  std::int64_t Signed(Index value) const { return static_cast<std::int64_t>(Payload(value)); }
  double Float(Index value) const { return std::bit_cast<double>(Payload(value)); }
  // Any number as a double.
  double Number(Index value) const;
  // A number as messages print it: integers in full, others in their shortest form.
  std::string NumberText(Index value) const;
  std::string_view String(Index value) const;

  // Arrays hold Size() elements, objects Size() members in key order.
  std::size_t Size(Index container) const { return static_cast<std::uint32_t>(Payload(container)); }
  Index Element(Index array, std::size_t i) const { return First(array) + static_cast<Index>(i); }
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

  const Slots& Chunk(Index value) const { return chunks_[value >> kShift]; }
  // An array's elements (an object's keys, then its values) start at First.
  Index First(Index container) const { return static_cast<Index>(Payload(container) >> 32); }

  std::vector<Slots> chunks_;
  std::size_t size_ = 0;
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
