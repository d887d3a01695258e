// Decoding an object's data from the token stream into the packed layout of data_object.h, member
// by member along the template. Text separators are optional between values; binary values come
// from integer and float lists whose runs may span members.
#pragma once

#include <cstdint>
#include <vector>

#include "xof/data_object.h"
#include "xof/tokens.h"

namespace xof {

// Reads the values of one object of `definition` and appends them to `out`. Throws FormatError.
void DecodeObjectData(Lexer& lexer, const Template& definition, DataBlock& out);

}  // namespace xof
