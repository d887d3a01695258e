// The values of one data object, gathered per top-level member of its template: every number
// inside the member (nested templates and arrays flattened in order) and its strings. Members are
// taken by position, so a file that defines a standard template again with other member names
// still reads. What reads documents rather than writing them (the preview, the importer) uses it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xof/data_object.h"

namespace xof {

struct MemberValues {
  std::vector<float> floats;
  std::vector<std::uint32_t> integers;
  std::vector<std::string> strings;
};

class ObjectValues {
 public:
  // Throws FormatError when the block does not fit its template (the reader checked it, so only a
  // hand-made document can fail).
  explicit ObjectValues(const DataObject& object);
  // An empty set for a member the template does not have.
  const MemberValues& Member(std::size_t index) const;
  std::size_t MemberCount() const { return members_.size(); }
  // The first integer of a member, or `fallback`.
  std::uint32_t Integer(std::size_t index, std::uint32_t fallback = 0) const;
  // The first string of a member, or empty.
  std::string String(std::size_t index) const;

 private:
  std::vector<MemberValues> members_;
};

}  // namespace xof
