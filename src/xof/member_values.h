// An object's data decoded into named values along its template, for printing and for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xof/data_object.h"

namespace xof {

struct MemberValue {
  enum class Kind { Integer, Float, String, Struct, Array };
  Kind kind = Kind::Integer;
  std::string name;  // the member's name; empty for array elements
  std::int64_t integer = 0;
  double real = 0;
  bool doublePrecision = false;  // a DOUBLE member (else a FLOAT, printed at float precision)
  std::string text;
  std::vector<MemberValue> items;  // members of a Struct, elements of an Array
};

// The object's members in template order. Throws FormatError if the data does not fit.
std::vector<MemberValue> DecodeMembers(const DataObject& object);

}  // namespace xof
