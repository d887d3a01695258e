#include "xof/data_scan.h"

#include <cmath>
#include <cstring>
#include <type_traits>

#include "xof/data_walk.h"
#include "xof/text_lexer.h"

namespace xof {
namespace {

class ScanVisitor : public DataVisitorBase {
 public:
  ScanVisitor(const std::uint8_t* base, bool forWriting) : base_(base), forWriting_(forWriting) {}
  std::vector<DataSegment> segments;

  void Values(const Member& m, PrimitiveType type, const std::uint8_t* values, std::size_t count,
              int) {
    if (count == 0) return;
    if (!forWriting_) {
    } else if (type == PrimitiveType::Float) {
      CheckFinite<float>(m, values, count);
    } else if (type == PrimitiveType::Double) {
      CheckFinite<double>(m, values, count);
    }
    Append(type, values, count);
  }

  // The values of many elements of one type at once; declined when a float among them is not
  // finite, so that the walk member by member names the member and value.
  bool ValuesRun(const Member&, PrimitiveType type, const std::uint8_t* values, std::size_t count,
                 int) {
    if (count == 0) return true;
    if (forWriting_ && ((type == PrimitiveType::Float && !AllFinite<float>(values, count)) ||
                        (type == PrimitiveType::Double && !AllFinite<double>(values, count)))) {
      return false;
    }
    Append(type, values, count);
    return true;
  }

  void String(const Member& m, const char* text, std::size_t length, std::uint64_t index,
              std::uint64_t count, int) {
    if (forWriting_ && std::memchr(text, '"', length)) {
      throw FormatError(text - reinterpret_cast<const char*>(base_),
                        m.name + ": string holds a '\"', which a text file cannot carry");
    }
    segments.push_back(DataSegment{
        PrimitiveType::String, index + 1 < count,
        static_cast<std::size_t>(text - reinterpret_cast<const char*>(base_)), 1, length});
  }

 private:
  void Append(PrimitiveType type, const std::uint8_t* values, std::size_t count) {
    std::size_t offset = values - base_;
    if (!segments.empty()) {
      DataSegment& last = segments.back();
      if (last.type == type && last.offset + last.count * PrimitiveSize(type) == offset) {
        last.count += count;
        return;
      }
    }
    segments.push_back(DataSegment{type, false, offset, count, 0});
  }

  // An exponent of all ones marks NaN and infinity; adding one exponent step carries it into the
  // sign bit, so a run is tested with integer operations the compiler vectorises.
  template <class T>
  static bool AllFinite(const std::uint8_t* values, std::size_t count) {
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    constexpr Bits kExponent = sizeof(T) == 4 ? Bits(0x7F800000u) : Bits(0x7FF0000000000000ull);
    constexpr Bits kStep = sizeof(T) == 4 ? Bits(0x00800000u) : Bits(0x0010000000000000ull);
    constexpr Bits kSign = Bits(1) << (sizeof(T) * 8 - 1);
    Bits flags = 0;
    for (std::size_t i = 0; i < count; ++i) {
      Bits bits;
      std::memcpy(&bits, values + i * sizeof(T), sizeof(T));
      flags |= (bits & kExponent) + kStep;
    }
    return !(flags & kSign);
  }

  template <class T>
  void CheckFinite(const Member& m, const std::uint8_t* values, std::size_t count) {
    if (AllFinite<T>(values, count)) return;
    for (std::size_t i = 0; i < count; ++i) {
      T v;
      std::memcpy(&v, values + i * sizeof(T), sizeof(T));
      if (!std::isfinite(v)) {
        throw NonFiniteError(values + i * sizeof(T) - base_,
                             m.name + ": value " + std::to_string(i) + " is NaN or infinite");
      }
    }
  }

  const std::uint8_t* base_;
  bool forWriting_;
};

}  // namespace

std::vector<DataSegment> ScanDataBlock(const Template& definition, const std::uint8_t* data,
                                       std::size_t size, bool forWriting) {
  static const std::uint8_t kEmpty = 0;
  ScanVisitor visitor(data ? data : &kEmpty, forWriting);
  DataWalker<ScanVisitor> walker(data ? data : &kEmpty, data ? size : 0, visitor);
  walker.Walk(definition);
  return std::move(visitor.segments);
}

void KeepSegmentsIfFew(DataObject& object, std::vector<DataSegment> segments) {
  // A segment per 16 bytes of block at most: a mesh's runs, a frame's matrix and names pass.
  constexpr std::size_t kBytesPerSegment = 16;
  constexpr std::size_t kAlwaysKept = 8;
  if (segments.size() <= kAlwaysKept || segments.size() * kBytesPerSegment <= object.data.size()) {
    object.segments = std::move(segments);
  } else {
    object.segments.clear();
    object.segments.shrink_to_fit();
  }
}

const std::vector<DataSegment>& SegmentsOf(const DataObject& object,
                                           std::vector<DataSegment>& scratch) {
  if (!object.segments.empty() || object.data.empty() || !object.type) return object.segments;
  scratch = ScanDataBlock(*object.type, object.data.data(), object.data.size(),
                          /*forWriting=*/false);
  return scratch;
}

bool IsValidObjectName(std::string_view name) {
  if (name.size() >= 2 && name[0] == '/' && name[1] == '/') return false;
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    // A name must read back as one word: no character that ends a word, none that starts a comment.
    if (byte <= 0x20 || byte == 0x7F || c == '#' || IsTextDelimiter(c)) return false;
  }
  return true;
}

}  // namespace xof
