#include "xof/binary_writer.h"

#include <bit>
#include <cstring>

#include "xof/binary_tokens.h"
#include "xof/data_scan.h"
#include "xof/data_walk.h"
#include "xof/template_encoding.h"

namespace xof {
namespace {

static_assert(std::endian::native == std::endian::little,
              "data blocks are copied to the file as they are: a little-endian host is assumed");

// Small records gather in a buffer; long value runs go from the data block straight to the sink.
class BinaryOut {
 public:
  explicit BinaryOut(Sink& sink) : sink_(sink) { buffer_.reserve(kCapacity + 64); }
  std::string& buffer() { return buffer_; }
  void FlushIfFull() {
    if (buffer_.size() >= kCapacity) Flush();
  }
  void Flush() {
    if (!buffer_.empty()) sink_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  void PutRaw(const void* data, std::size_t size) {
    if (size >= kDirect) {
      Flush();
      sink_.Write(data, size);
    } else {
      buffer_.append(static_cast<const char*>(data), size);
      FlushIfFull();
    }
  }

 private:
  static constexpr std::size_t kCapacity = 1 << 16;
  static constexpr std::size_t kDirect = 1 << 12;
  Sink& sink_;
  std::string buffer_;
};

bool IsFloatRun(const DataSegment& s) { return IsFloatType(s.type); }

void WriteIntegerSegment(BinaryOut& out, const DataObject& object, const DataSegment& s) {
  const std::uint8_t* values = object.data.data() + s.offset;
  if (s.type == PrimitiveType::Dword || s.type == PrimitiveType::Sdword) {
    out.PutRaw(values, s.count * 4);
    return;
  }
  std::size_t width = PrimitiveSize(s.type);
  for (std::size_t i = 0; i < s.count; ++i) {
    binary::PutDword(out.buffer(),
                     static_cast<std::uint32_t>(ReadIntegerValue(s.type, values + i * width)));
    out.FlushIfFull();
  }
}

void WriteFloatSegment(BinaryOut& out, const DataObject& object, const DataSegment& s) {
  const std::uint8_t* values = object.data.data() + s.offset;
  if (s.type == PrimitiveType::Float) {
    out.PutRaw(values, s.count * 4);
    return;
  }
  for (std::size_t i = 0; i < s.count; ++i) {
    double v;
    std::memcpy(&v, values + i * 8, 8);
    float narrowed = static_cast<float>(v);
    out.PutRaw(&narrowed, 4);
  }
}

void WriteData(BinaryOut& out, const DataObject& object) {
  std::vector<DataSegment> scratch;
  const std::vector<DataSegment>& segments = SegmentsOf(object, scratch);
  std::size_t i = 0;
  while (i < segments.size()) {
    const DataSegment& first = segments[i];
    if (IsStringType(first.type)) {
      binary::PutString(
          out.buffer(),
          std::string_view(reinterpret_cast<const char*>(object.data.data()) + first.offset,
                           first.bytes),
          first.arrayElementFollows ? binary::kComma : binary::kSemicolon);
      out.FlushIfFull();
      ++i;
      continue;
    }
    bool floats = IsFloatRun(first);
    std::size_t end = i;
    std::size_t count = 0;
    while (end < segments.size() && !IsStringType(segments[end].type) &&
           IsFloatRun(segments[end]) == floats) {
      count += segments[end].count;
      ++end;
    }
    binary::PutCode(out.buffer(), floats ? binary::kFloatList : binary::kIntegerList);
    binary::PutDword(out.buffer(), static_cast<std::uint32_t>(count));
    for (; i < end; ++i) {
      if (floats) {
        WriteFloatSegment(out, object, segments[i]);
      } else {
        WriteIntegerSegment(out, object, segments[i]);
      }
    }
  }
}

void WriteObject(BinaryOut& out, const DataObject& object) {
  std::string& b = out.buffer();
  binary::PutName(b, object.type->name);
  if (!object.name.empty()) binary::PutName(b, object.name);
  binary::PutCode(b, binary::kOBrace);
  if (object.id) binary::PutGuid(b, *object.id);
  WriteData(out, object);
  for (const DataChild& child : object.children) {
    if (child.IsReference()) {
      binary::PutCode(out.buffer(), binary::kOBrace);
      if (!child.reference.name.empty()) binary::PutName(out.buffer(), child.reference.name);
      if (child.reference.id) binary::PutGuid(out.buffer(), *child.reference.id);
      binary::PutCode(out.buffer(), binary::kCBrace);
    } else {
      WriteObject(out, *child.object);
    }
  }
  binary::PutCode(out.buffer(), binary::kCBrace);
  out.FlushIfFull();
}

}  // namespace

void WriteBinaryBody(const std::vector<const Template*>& templates, const DataObjectList& objects,
                     Sink& sink) {
  BinaryOut out(sink);
  for (const Template* definition : templates) AppendBinaryTemplate(out.buffer(), *definition);
  for (const auto& object : objects) WriteObject(out, *object);
  out.Flush();
}

}  // namespace xof
