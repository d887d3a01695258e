// A value of a parsed scene file together with where it sits, so that every check of its type,
// range or keys fails with the file name, the JSON pointer and the problem. Internal to the loader.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/point3.h"
#include "host/sim/scene_file/json_document.h"

namespace sim {

class JsonPlace {
 public:
  // The document's root.
  JsonPlace(const JsonDocument& document, std::string pointer, const std::string& fileName)
      : document_(&document),
        value_(document.Root()),
        base_(std::make_shared<const std::string>(std::move(pointer))),
        fileName_(&fileName) {}
  // A place with null behind it, whatever `value` is, for checks that only report against a
  // pointer (the scene budget's).
  template <class Value>
  requires(!std::same_as<Value, JsonDocument>)
      JsonPlace(const Value& value, std::string pointer, const std::string& fileName)
      : JsonPlace(NullDocument(), std::move(pointer), fileName) {
    static_cast<void>(value);
  }

  std::string Pointer() const;
  [[noreturn]] void Fail(const std::string& problem) const;

  // An object with no keys but these (and "comment", free for notes anywhere).
  void ExpectObject(std::initializer_list<std::string_view> allowedKeys) const;
  void ExpectObject(std::span<const std::string_view> allowedKeys) const;
  bool IsString() const { return ValueKind() == JsonDocument::Kind::kString; }
  bool IsObject() const { return ValueKind() == JsonDocument::Kind::kObject; }
  bool IsNumber() const;
  bool IsNull() const { return ValueKind() == JsonDocument::Kind::kNull; }
  // A member that must be there / may be missing. A member set to null counts as missing.
  JsonPlace Field(std::string_view key) const;
  std::optional<JsonPlace> OptionalField(std::string_view key) const;
  // Every member of an object, in key order, for objects whose keys are data (folder numbers).
  std::vector<std::pair<std::string, JsonPlace>> Members() const;

  // An array of minSize to maxSize elements; returns its size.
  std::size_t ExpectArray(std::size_t minSize, std::size_t maxSize) const {
    if (ValueKind() == JsonDocument::Kind::kArray) {
      std::size_t size = document_->Size(value_);
      if (size >= minSize && size <= maxSize) return size;
    }
    FailArray(minSize, maxSize);
  }
  JsonPlace Element(std::size_t index) const;
  // Element(index).Integer(min, max) and .Float() without making a place for the element unless it
  // fails.
  long long ElementInteger(std::size_t index, long long min, long long max) const {
    JsonDocument::Index element = document_->Element(value_, index);
    JsonDocument::Kind kind = document_->KindOf(element);
    if (kind == JsonDocument::Kind::kUnsigned) {
      std::uint64_t u = document_->Unsigned(element);
      if (max >= 0 && u <= static_cast<std::uint64_t>(max) && static_cast<long long>(u) >= min) {
        return static_cast<long long>(u);
      }
    } else if (kind == JsonDocument::Kind::kSigned) {
      long long value = document_->Signed(element);
      if (value >= min && value <= max) return value;
    }
    return Element(index).Integer(min, max);
  }
  float ElementFloat(std::size_t index) const {
    float value = 0;
    if (document_->FiniteFloat(document_->Element(value_, index), value)) return value;
    return Element(index).Float();
  }

  // Element `index` as an array of `minSize` to `maxSize` numbers that fit a float, into `out`
  // (`size` of them), without making a place for it: the vertices of a mesh are millions. False,
  // with nothing reported, for anything else: the caller then reads the element the checked way,
  // which says what is wrong.
  bool TryElementFloats(std::size_t index, std::size_t minSize, std::size_t maxSize, float* out,
                        std::size_t& size) const {
    if (const JsonRows* rows = document_->Rows(value_)) {
      size = rows->Width();
      return size >= minSize && size <= maxSize && rows->Floats(index, out);
    }
    JsonDocument::Index element = document_->Element(value_, index);
    if (document_->KindOf(element) != JsonDocument::Kind::kArray) return false;
    size = document_->Size(element);
    if (size < minSize || size > maxSize) return false;
    for (std::size_t i = 0; i < size; ++i) {
      if (!document_->FiniteFloat(document_->Element(element, i), out[i])) return false;
    }
    return true;
  }
  // Element `index` as three whole numbers below `limit`, the same way (a mesh's faces).
  bool TryElementIndices(std::size_t index, std::uint64_t limit, std::uint32_t out[3]) const {
    if (const JsonRows* rows = document_->Rows(value_)) {
      return rows->Width() == 3 && rows->Indices(index, limit, out);
    }
    JsonDocument::Index element = document_->Element(value_, index);
    if (document_->KindOf(element) != JsonDocument::Kind::kArray || document_->Size(element) != 3) {
      return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
      JsonDocument::Index number = document_->Element(element, i);
      if (document_->KindOf(number) != JsonDocument::Kind::kUnsigned) return false;
      std::uint64_t value = document_->Unsigned(number);
      if (value >= limit || value > UINT32_MAX) return false;
      out[i] = static_cast<std::uint32_t>(value);
    }
    return true;
  }

  // UTF-8 text of at most SceneLimits::kMaxStringBytes bytes.
  std::string String() const;
  std::wstring WideString() const;
  bool Bool() const;
  long long Integer(long long min, long long max) const;
  // A number that fits a float: NaN, infinities and overflowing values are refused.
  float Float() const;
  // [x, y, z]
  Point3 Point() const;

 private:
  static const JsonDocument& NullDocument();
  JsonPlace(const JsonPlace& parent, JsonDocument::Index value, std::string_view key);
  JsonDocument::Kind ValueKind() const { return document_->KindOf(value_); }
  [[noreturn]] void FailType(const char* expected) const;
  [[noreturn]] void FailArray(std::size_t minSize, std::size_t maxSize) const;

  static constexpr std::size_t kNoIndex = SIZE_MAX;

  const JsonDocument* document_;
  JsonDocument::Index value_;
  // The pointer is the shared base, then "/index" when the place is an array element: the elements
  // of a mesh's arrays (millions of them) share their array's pointer, and their own is only made
  // for an error or for a place below them.
  std::shared_ptr<const std::string> base_;
  std::size_t index_ = kNoIndex;
  const std::string* fileName_;
};

// Refuses, at the first one present, a key of `object` that format version `since` added, when the
// file states an older `version`: a file must say which version it needs.
void RefuseLaterKeys(const JsonPlace& object, int version, int since,
                     std::initializer_list<std::string_view> keys);

}  // namespace sim
