#include "host/sim/import/xfile_values.h"

#include <algorithm>
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
  // Meshes call this twice per face (the corner count, then the corners): small runs are
  // appended value by value, long ones copied whole.
  void Values(const xof::Member&, xof::PrimitiveType type, const std::uint8_t* values,
              std::size_t count, int) {
    if (count == 0) return;  // an empty array has no values to copy, and may have no pointer
    XMemberValues& into = members_[current_];
    if (type == xof::PrimitiveType::Float) {
      Append(into.floats, values, count);
    } else if (type == xof::PrimitiveType::Double) {
      for (std::size_t i = 0; i < count; ++i) {
        double value;
        std::memcpy(&value, values + i * 8, 8);
        into.floats.push_back(static_cast<float>(value));
      }
    } else if (type == xof::PrimitiveType::Dword) {
      Append(into.integers, values, count);
    } else {
      std::size_t width = xof::PrimitiveSize(type);
      for (std::size_t i = 0; i < count; ++i) {
        into.integers.push_back(
            static_cast<std::uint32_t>(xof::ReadIntegerValue(type, values + i * width)));
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

namespace {

bool IsDword(const xof::Member& member) {
  return member.primitive == xof::PrimitiveType::Dword && !member.isArray;
}

// An array of one dimension counted by member `counter`, of elements of `type`.
bool IsCountedArray(const xof::Member& member, int counter) {
  return member.isArray && member.type && member.dimensions.size() == 1 &&
         member.dimensions[0].member == counter;
}

bool IsFloatRow(const xof::Template& type, std::size_t width) {
  return type.members.size() == width &&
         std::all_of(type.members.begin(), type.members.end(), [](const xof::Member& m) {
           return m.primitive == xof::PrimitiveType::Float && !m.isArray;
         });
}

bool IsVector(const xof::Template& type) { return IsFloatRow(type, 3); }

bool IsFace(const xof::Template& type) {
  return type.members.size() == 2 && IsDword(type.members[0]) &&
         type.members[1].primitive == xof::PrimitiveType::Dword && type.members[1].isArray &&
         type.members[1].dimensions.size() == 1 && type.members[1].dimensions[0].member == 0;
}

}  // namespace

bool ReadStandardMeshArrays(const xof::DataObject& object, XMeshArrays& out) {
  if (!object.type) return false;
  const std::vector<xof::Member>& m = object.type->members;
  if (m.size() != 4 || !IsDword(m[0]) || !IsCountedArray(m[1], 0) || !IsVector(*m[1].type) ||
      !IsDword(m[2]) || !IsCountedArray(m[3], 2) || !IsFace(*m[3].type)) {
    return false;
  }
  const std::vector<std::uint8_t>& data = object.data;
  std::uint32_t points = 0;
  if (data.size() < 4) return false;
  std::memcpy(&points, data.data(), 4);
  std::size_t facesAt = 4 + 12 * static_cast<std::size_t>(points);
  // The reader checked the block against the template; a block that still does not fit is read
  // the slow way, which says what is wrong.
  if (data.size() < facesAt + 4 || (data.size() - facesAt - 4) % 4 != 0) return false;
  out.points = XPackedArray<float>(data.data() + 4, 3 * static_cast<std::size_t>(points));
  std::memcpy(&out.faceCount, data.data() + facesAt, 4);
  out.faces =
      XPackedArray<std::uint32_t>(data.data() + facesAt + 4, (data.size() - facesAt - 4) / 4);
  return true;
}

bool ReadStandardTexcoords(const xof::DataObject& object, XPackedArray<float>& out) {
  if (!object.type) return false;
  const std::vector<xof::Member>& m = object.type->members;
  if (m.size() != 2 || !IsDword(m[0]) || !IsCountedArray(m[1], 0) || !IsFloatRow(*m[1].type, 2)) {
    return false;
  }
  const std::vector<std::uint8_t>& data = object.data;
  std::uint32_t count = 0;
  if (data.size() < 4) return false;
  std::memcpy(&count, data.data(), 4);
  if (data.size() != 4 + 8 * static_cast<std::size_t>(count)) return false;
  out = XPackedArray<float>(data.data() + 4, 2 * static_cast<std::size_t>(count));
  return true;
}

}  // namespace sim::import
