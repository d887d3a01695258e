#include "host/sim/import/xfile_values.h"

#include <algorithm>
#include <cstring>

namespace sim::import {
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
  const xof::DataBlock& data = object.data;
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
  const xof::DataBlock& data = object.data;
  std::uint32_t count = 0;
  if (data.size() < 4) return false;
  std::memcpy(&count, data.data(), 4);
  if (data.size() != 4 + 8 * static_cast<std::size_t>(count)) return false;
  out = XPackedArray<float>(data.data() + 4, 2 * static_cast<std::size_t>(count));
  return true;
}

}  // namespace sim::import
