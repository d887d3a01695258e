// The values of one `.x` data object, gathered per top-level member of its template: every number
// inside the member (nested templates and arrays flattened in order) and its strings. Members are
// taken by position, so a file that defines a standard template again with other member names
// still reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xof/data_object.h"

namespace sim::import {

struct XMemberValues {
  std::vector<float> floats;
  std::vector<std::uint32_t> integers;
  std::vector<std::string> strings;
};

class XObjectValues {
 public:
  // Throws xof::FormatError when the block does not fit its template (the reader checked it, so
  // only a hand-made document can fail).
  explicit XObjectValues(const xof::DataObject& object);
  // An empty set for a member the template does not have.
  const XMemberValues& Member(std::size_t index) const;
  // The first integer of a member, or `fallback`.
  std::uint32_t Integer(std::size_t index, std::uint32_t fallback = 0) const;
  // The first string of a member, or empty.
  std::string String(std::size_t index) const;

 private:
  std::vector<XMemberValues> members_;
};

}  // namespace sim::import
