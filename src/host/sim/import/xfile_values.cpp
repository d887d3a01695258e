#include "host/sim/import/xfile_values.h"

#include <cstring>

#include "xof/data_walk.h"

namespace sim::import {
namespace {

class Collector : public xof::DataVisitorBase {
 public:
  explicit Collector(std::vector<XMemberValues>& members) : members_(members) {}

  void BeginMember(const xof::Member&, int depth, std::uint64_t) {
    if (depth == 0) ++current_;
  }
  void Values(const xof::Member&, xof::PrimitiveType type, const std::uint8_t* values,
              std::size_t count, int) {
    if (count == 0) return;  // an empty array has no values to copy, and may have no pointer
    XMemberValues& into = members_[current_];
    if (type == xof::PrimitiveType::Float) {
      std::size_t at = into.floats.size();
      into.floats.resize(at + count);
      std::memcpy(into.floats.data() + at, values, count * sizeof(float));
    } else if (type == xof::PrimitiveType::Double) {
      for (std::size_t i = 0; i < count; ++i) {
        double value;
        std::memcpy(&value, values + i * 8, 8);
        into.floats.push_back(static_cast<float>(value));
      }
    } else {
      std::size_t width = xof::PrimitiveSize(type);
      std::size_t at = into.integers.size();
      into.integers.resize(at + count);
      for (std::size_t i = 0; i < count; ++i) {
        into.integers[at + i] =
            static_cast<std::uint32_t>(xof::ReadIntegerValue(type, values + i * width));
      }
    }
  }
  void String(const xof::Member&, const char* text, std::size_t length, std::uint64_t,
              std::uint64_t, int) {
    members_[current_].strings.emplace_back(text, length);
  }

 private:
  std::vector<XMemberValues>& members_;
  std::size_t current_ = static_cast<std::size_t>(-1);
};

}  // namespace

XObjectValues::XObjectValues(const xof::DataObject& object) {
  if (!object.type) return;
  members_.resize(object.type->members.size());
  Collector collector(members_);
  xof::DataWalker<Collector> walker(object.data.data(), object.data.size(), collector);
  walker.Walk(*object.type);
}

const XMemberValues& XObjectValues::Member(std::size_t index) const {
  static const XMemberValues kNone;
  return index < members_.size() ? members_[index] : kNone;
}

std::uint32_t XObjectValues::Integer(std::size_t index, std::uint32_t fallback) const {
  const XMemberValues& member = Member(index);
  return member.integers.empty() ? fallback : member.integers.front();
}

std::string XObjectValues::String(std::size_t index) const {
  const XMemberValues& member = Member(index);
  return member.strings.empty() ? std::string() : member.strings.front();
}

}  // namespace sim::import
