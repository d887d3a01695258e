#include "host/sim/json_place.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "host/sim/json_prescan.h"
#include "host/sim/scene_file_error.h"
#include "host/sim/scene_limits.h"
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

namespace {
const char* KindOf(const nlohmann::json& value) {
  if (value.is_object()) return "an object";
  if (value.is_array()) return "an array";
  if (value.is_string()) return "a string";
  if (value.is_boolean()) return "a boolean";
  if (value.is_number()) return "a number";
  return "null";
}
}  // namespace

void JsonPlace::FailType(const char* expected) const {
  Fail(std::string("expected ") + expected + ", found " + KindOf(*value_));
}

void JsonPlace::ExpectObject(std::initializer_list<std::string_view> allowedKeys) const {
  ExpectObject(std::span<const std::string_view>(allowedKeys.begin(), allowedKeys.size()));
}

void JsonPlace::ExpectObject(std::span<const std::string_view> allowedKeys) const {
  if (!value_->is_object()) FailType("an object");
  for (const auto& [key, value] : value_->items()) {
    if (key == "comment") continue;
    if (std::find(allowedKeys.begin(), allowedKeys.end(), key) != allowedKeys.end()) continue;
    std::string known;
    for (std::string_view allowed : allowedKeys) {
      known += (known.empty() ? "" : ", ") + std::string(allowed);
    }
    JsonPlace(value, Pointer() + "/" + EscapePointerSegment(key), *fileName_)
        .Fail("unknown key \"" + key + "\" (known keys: " + known + ")");
  }
}

std::optional<JsonPlace> JsonPlace::OptionalField(std::string_view key) const {
  if (!value_->is_object()) FailType("an object");
  auto found = value_->find(key);
  if (found == value_->end() || found->is_null()) return std::nullopt;
  return JsonPlace(*found, Pointer() + "/" + EscapePointerSegment(key), *fileName_);
}

JsonPlace JsonPlace::Field(std::string_view key) const {
  std::optional<JsonPlace> field = OptionalField(key);
  if (!field) Fail("the key \"" + std::string(key) + "\" is missing");
  return *field;
}

std::vector<std::pair<std::string, JsonPlace>> JsonPlace::Members() const {
  if (!value_->is_object()) FailType("an object");
  std::vector<std::pair<std::string, JsonPlace>> members;
  for (const auto& [key, value] : value_->items()) {
    members.emplace_back(key,
                         JsonPlace(value, Pointer() + "/" + EscapePointerSegment(key), *fileName_));
  }
  return members;
}

std::size_t JsonPlace::ExpectArray(std::size_t minSize, std::size_t maxSize) const {
  if (!value_->is_array()) FailType("an array");
  std::size_t size = value_->size();
  if (size < minSize || size > maxSize) {
    Fail(minSize == maxSize
             ? "expected " + std::to_string(minSize) + " elements, found " + std::to_string(size)
             : "expected " + std::to_string(minSize) + " to " + std::to_string(maxSize) +
                   " elements, found " + std::to_string(size));
  }
  return size;
}

JsonPlace JsonPlace::Element(std::size_t index) const {
  JsonPlace element(*this);
  element.value_ = &(*value_)[index];
  if (index_ != kNoIndex) element.base_ = std::make_shared<const std::string>(Pointer());
  element.index_ = index;
  return element;
}

namespace {

// The checks of Integer and Float on their passing side, for the elements of large arrays.
bool IntegerInRange(const nlohmann::json& value, long long min, long long max, long long& out) {
  if (value.is_number_unsigned()) {
    auto u = value.get<unsigned long long>();
    if (max < 0 || u > static_cast<unsigned long long>(max) || static_cast<long long>(u) < min)
      return false;
    out = static_cast<long long>(u);
    return true;
  }
  if (!value.is_number_integer()) return false;
  out = value.get<long long>();
  return out >= min && out <= max;
}

bool FiniteFloat(const nlohmann::json& value, float& out) {
  if (!value.is_number()) return false;
  double d = value.get<double>();
  if (!std::isfinite(d) || std::fabs(d) > FLT_MAX) return false;
  out = static_cast<float>(d);
  return true;
}

}  // namespace

long long JsonPlace::ElementInteger(std::size_t index, long long min, long long max) const {
  long long value = 0;
  if (IntegerInRange((*value_)[index], min, max, value)) return value;
  return Element(index).Integer(min, max);
}

float JsonPlace::ElementFloat(std::size_t index) const {
  float value = 0;
  if (FiniteFloat((*value_)[index], value)) return value;
  return Element(index).Float();
}

std::string JsonPlace::String() const {
  if (!value_->is_string()) FailType("a string");
  const auto& text = value_->get_ref<const std::string&>();
  if (text.size() > SceneLimits::kMaxStringBytes) {
    Fail("a string of " + std::to_string(text.size()) + " bytes is longer than the limit of " +
         std::to_string(SceneLimits::kMaxStringBytes));
  }
  return text;
}

std::wstring JsonPlace::WideString() const { return platform::Utf8ToWide(String()); }

bool JsonPlace::Bool() const {
  if (!value_->is_boolean()) FailType("true or false");
  return value_->get<bool>();
}

long long JsonPlace::Integer(long long min, long long max) const {
  if (!value_->is_number_integer()) FailType("an integer");
  bool inRange;
  long long value = 0;
  if (value_->is_number_unsigned()) {
    auto u = value_->get<unsigned long long>();
    inRange =
        max >= 0 && u <= static_cast<unsigned long long>(max) && static_cast<long long>(u) >= min;
    if (inRange) value = static_cast<long long>(u);
  } else {
    value = value_->get<long long>();
    inRange = value >= min && value <= max;
  }
  if (!inRange) {
    Fail("the value " + value_->dump() + " is outside " + std::to_string(min) + " to " +
         std::to_string(max));
  }
  return value;
}

float JsonPlace::Float() const {
  if (!value_->is_number()) FailType("a number");
  double value = value_->get<double>();
  if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
    Fail("the number " + value_->dump() + " does not fit a finite float");
  }
  return static_cast<float>(value);
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
