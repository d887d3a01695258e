#include "xof/object_values.h"

#include <cstring>

#include "xof/data_walk.h"

namespace xof {
namespace {

class Collector : public DataVisitorBase {
 public:
  explicit Collector(std::vector<MemberValues>& members) : members_(members) {}

  void BeginMember(const Member&, int depth, std::uint64_t) {
    if (depth == 0) ++current_;
  }
  // Meshes call this twice per face (the corner count, then the corners): small runs are
  // appended value by value, long ones copied whole.
  void Values(const Member&, PrimitiveType type, const std::uint8_t* values, std::size_t count,
              int) {
    if (count == 0) return;  // an empty array has no values to copy, and may have no pointer
    MemberValues& into = members_[current_];
    if (type == PrimitiveType::Float) {
      Append(into.floats, values, count);
    } else if (type == PrimitiveType::Double) {
      for (std::size_t i = 0; i < count; ++i) {
        double value;
        std::memcpy(&value, values + i * 8, 8);
        into.floats.push_back(static_cast<float>(value));
      }
    } else if (type == PrimitiveType::Dword) {
      Append(into.integers, values, count);
    } else {
      std::size_t width = PrimitiveSize(type);
      for (std::size_t i = 0; i < count; ++i) {
        into.integers.push_back(
            static_cast<std::uint32_t>(ReadIntegerValue(type, values + i * width)));
      }
    }
  }

  // Four-byte values, packed without alignment.
  template <class T>
  static void Append(std::vector<T>& to, const std::uint8_t* values, std::size_t count) {
    static_assert(sizeof(T) == 4);
    if (count <= 4) {
      for (std::size_t i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, values + 4 * i, 4);
        to.push_back(value);
      }
      return;
    }
    std::size_t at = to.size();
    to.resize(at + count);
    std::memcpy(to.data() + at, values, count * 4);
  }
  void String(const Member&, const char* text, std::size_t length, std::uint64_t, std::uint64_t,
              int) {
    members_[current_].strings.emplace_back(text, length);
  }

 private:
  std::vector<MemberValues>& members_;
  std::size_t current_ = static_cast<std::size_t>(-1);
};

}  // namespace

ObjectValues::ObjectValues(const DataObject& object) {
  if (!object.type) return;
  members_.resize(object.type->members.size());
  Collector collector(members_);
  DataWalker<Collector> walker(object.data.data(), object.data.size(), collector);
  walker.Walk(*object.type);
}

const MemberValues& ObjectValues::Member(std::size_t index) const {
  static const MemberValues kNone;
  return index < members_.size() ? members_[index] : kNone;
}

std::uint32_t ObjectValues::Integer(std::size_t index, std::uint32_t fallback) const {
  const MemberValues& member = Member(index);
  return member.integers.empty() ? fallback : member.integers.front();
}

std::string ObjectValues::String(std::size_t index) const {
  const MemberValues& member = Member(index);
  return member.strings.empty() ? std::string() : member.strings.front();
}

}  // namespace xof
