// Numbers as text files print them: floats like C's "%f" (six decimals, no exponent, negative zero
// keeps its sign), integers in plain decimal. Independent of the process locale.
#pragma once

#include <cstdint>

namespace xof {

// Each writes at most 48 characters at `out` and returns the end.
char* FormatFixed6(float value, char* out);
char* FormatFixed6(double value, char* out);
char* FormatInteger(std::int64_t value, char* out);

}  // namespace xof
