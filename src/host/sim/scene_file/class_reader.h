// Class identities in a scene file: super class IDs and two-part class IDs, written as numbers or
// as hexadecimal strings ("0x0095C723"), since JSON has no hexadecimal numbers.
#pragma once

#include <string_view>
#include <utility>

#include "host/class_id.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// A 32-bit unsigned value: an integer 0 to 4294967295 or a string "0x" followed by 1 to 8
// hexadecimal digits.
std::uint32_t ReadClassNumber(const JsonPlace& number);

// [first part, second part], each as ReadClassNumber reads it.
Class_ID ReadClassId(const JsonPlace& parts);

struct NamedClass {
  std::string_view name;
  Class_ID classId;
};

// A class given by one of `names` or as ReadClassId reads it. An unknown name is an error that
// lists the known ones.
template <std::size_t N>
Class_ID ReadNamedClass(const JsonPlace& value, const NamedClass (&names)[N]);

Class_ID ReadNamedClass(const JsonPlace& value, const NamedClass* names, std::size_t count);

template <std::size_t N>
Class_ID ReadNamedClass(const JsonPlace& value, const NamedClass (&names)[N]) {
  return ReadNamedClass(value, names, N);
}

}  // namespace sim
