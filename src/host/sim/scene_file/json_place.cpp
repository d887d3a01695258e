#include "host/sim/scene_file/json_place.h"

#include <algorithm>

#include "host/sim/scene_file/json_text.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/text_encoding.h"

namespace sim {

std::string JsonPlace::Pointer() const {
  if (index_ == kNoIndex) return *base_;
  return *base_ + "/" + std::to_string(index_);
}

void JsonPlace::Fail(const std::string& problem) const {
  std::string pointer = Pointer();
  throw SceneFileError(*fileName_, pointer.empty() ? "top level" : pointer, problem);
}

const JsonDocument& JsonPlace::NullDocument() {
  static const JsonDocument document = [] {
    JsonDocument null;
    JsonDocumentWriter(null).Append(JsonDocument::Kind::kNull, 0);
    return null;
  }();
  return document;
}

JsonPlace::JsonPlace(const JsonPlace& parent, JsonDocument::Index value, std::string_view key)
    : document_(parent.document_),
      value_(value),
      base_(
          std::make_shared<const std::string>(parent.Pointer() + "/" + EscapePointerSegment(key))),
      fileName_(parent.fileName_) {}

namespace {

using Kind = JsonDocument::Kind;

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kObject:
      return "an object";
    case Kind::kArray:
      return "an array";
    case Kind::kString:
      return "a string";
    case Kind::kTrue:
    case Kind::kFalse:
      return "a boolean";
    case Kind::kNull:
      return "null";
    default:
      return "a number";
  }
}

bool IsNumberKind(Kind kind) {
  return kind == Kind::kUnsigned || kind == Kind::kSigned || kind == Kind::kFloat;
}

}  // namespace

bool JsonPlace::IsNumber() const { return IsNumberKind(ValueKind()); }

void JsonPlace::FailType(const char* expected) const {
  Fail(std::string("expected ") + expected + ", found " + KindName(ValueKind()));
}

void JsonPlace::ExpectObject(std::initializer_list<std::string_view> allowedKeys) const {
  ExpectObject(std::span<const std::string_view>(allowedKeys.begin(), allowedKeys.size()));
}

void JsonPlace::ExpectObject(std::span<const std::string_view> allowedKeys) const {
  if (!IsObject()) FailType("an object");
  std::size_t size = document_->Size(value_);
  for (std::size_t i = 0; i < size; ++i) {
    std::string_view key = document_->Key(value_, i);
    if (key == "comment") continue;
    if (std::find(allowedKeys.begin(), allowedKeys.end(), key) != allowedKeys.end()) continue;
    std::string known;
    for (std::string_view allowed : allowedKeys) {
      known += (known.empty() ? "" : ", ") + std::string(allowed);
    }
    JsonPlace(*this, document_->MemberValue(value_, i), key)
        .Fail("unknown key \"" + std::string(key) + "\" (known keys: " + known + ")");
  }
}

std::optional<JsonPlace> JsonPlace::OptionalField(std::string_view key) const {
  if (!IsObject()) FailType("an object");
  JsonDocument::Index found = document_->Find(value_, key);
  if (found == JsonDocument::kNotFound || document_->KindOf(found) == Kind::kNull) {
    return std::nullopt;
  }
  return JsonPlace(*this, found, key);
}

JsonPlace JsonPlace::Field(std::string_view key) const {
  std::optional<JsonPlace> field = OptionalField(key);
  if (!field) Fail("the key \"" + std::string(key) + "\" is missing");
  return *field;
}

std::vector<std::pair<std::string, JsonPlace>> JsonPlace::Members() const {
  if (!IsObject()) FailType("an object");
  std::vector<std::pair<std::string, JsonPlace>> members;
  std::size_t size = document_->Size(value_);
  members.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    std::string_view key = document_->Key(value_, i);
    members.emplace_back(std::string(key),
                         JsonPlace(*this, document_->MemberValue(value_, i), key));
  }
  return members;
}

void JsonPlace::FailArray(std::size_t minSize, std::size_t maxSize) const {
  if (ValueKind() != Kind::kArray) FailType("an array");
  std::size_t size = document_->Size(value_);
  Fail(minSize == maxSize
           ? "expected " + std::to_string(minSize) + " elements, found " + std::to_string(size)
           : "expected " + std::to_string(minSize) + " to " + std::to_string(maxSize) +
                 " elements, found " + std::to_string(size));
}

JsonPlace JsonPlace::Element(std::size_t index) const {
  JsonPlace element(*this);
  element.value_ = document_->Element(value_, index);
  if (index_ != kNoIndex) element.base_ = std::make_shared<const std::string>(Pointer());
  element.index_ = index;
  return element;
}

namespace {

// The checks of Integer and Float on their passing side, for the elements of large arrays.
bool IntegerInRange(const JsonDocument& document, JsonDocument::Index value, long long min,
                    long long max, long long& out) {
  Kind kind = document.KindOf(value);
  if (kind == Kind::kUnsigned) {
    std::uint64_t u = document.Unsigned(value);
    if (max < 0 || u > static_cast<std::uint64_t>(max) || static_cast<long long>(u) < min) {
      return false;
    }
    out = static_cast<long long>(u);
    return true;
  }
  if (kind != Kind::kSigned) return false;
  out = document.Signed(value);
  return out >= min && out <= max;
}

}  // namespace

std::string JsonPlace::String() const {
  if (!IsString()) FailType("a string");
  std::string_view text = document_->String(value_);
  if (text.size() > SceneLimits::kMaxStringBytes) {
    Fail("a string of " + std::to_string(text.size()) + " bytes is longer than the limit of " +
         std::to_string(SceneLimits::kMaxStringBytes));
  }
  return std::string(text);
}

std::wstring JsonPlace::WideString() const { return platform::Utf8ToWide(String()); }

bool JsonPlace::Bool() const {
  Kind kind = ValueKind();
  if (kind != Kind::kTrue && kind != Kind::kFalse) FailType("true or false");
  return kind == Kind::kTrue;
}

long long JsonPlace::Integer(long long min, long long max) const {
  Kind kind = ValueKind();
  if (kind != Kind::kUnsigned && kind != Kind::kSigned) FailType("an integer");
  long long value = 0;
  if (!IntegerInRange(*document_, value_, min, max, value)) {
    Fail("the value " + document_->NumberText(value_) + " is outside " + std::to_string(min) +
         " to " + std::to_string(max));
  }
  return value;
}

float JsonPlace::Float() const {
  if (!IsNumber()) FailType("a number");
  float value = 0;
  if (!document_->FiniteFloat(value_, value)) {
    Fail("the number " + document_->NumberText(value_) + " does not fit a finite float");
  }
  return value;
}

Point3 JsonPlace::Point() const {
  ExpectArray(3, 3);
  // Read in order, so that the first bad component is the one reported.
  Point3 p;
  for (int i = 0; i < 3; ++i) p[i] = ElementFloat(static_cast<std::size_t>(i));
  return p;
}

void RefuseLaterKeys(const JsonPlace& object, int version, int since,
                     std::initializer_list<std::string_view> keys) {
  if (version >= since) return;
  for (std::string_view key : keys) {
    if (auto field = object.OptionalField(key)) {
      field->Fail("\"" + std::string(key) + "\" needs format version " + std::to_string(since) +
                  " or later");
    }
  }
}

}  // namespace sim
