// The values of one data object, gathered per top-level member of its template: every number
// inside the member (nested templates and arrays flattened in order) and its strings. Members are
// taken by position, so a file that defines a standard template again with other member names
// still reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xof/data_object.h"

namespace preview {

struct MemberNumbers {
  std::vector<float> floats;
  std::vector<std::uint32_t> integers;
  std::vector<std::string> strings;
};

class ObjectValues {
 public:
  // Throws xof::FormatError when the block does not fit its template (the reader checked it, so
  // only a hand-made document can fail).
  explicit ObjectValues(const xof::DataObject& object);
  // An empty set for a member the template does not have.
  const MemberNumbers& Member(std::size_t index) const;
  std::size_t MemberCount() const { return members_.size(); }

 private:
  std::vector<MemberNumbers> members_;
};

}  // namespace preview
