// Option values as text: the forms the options file holds, and the stricter forms a person types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text values are read from the file through a buffer of this many characters, so they are cut to
// one less.
inline constexpr std::size_t kProfileStringBufferSize = 260;

// An integer option as the file holds it: decimal, '-' for negatives.
std::wstring FormatIntegerOption(std::int32_t value);

// A float option as the file holds it: printf's "%g" of the value widened to double (1.0 is "1",
// 0.5 is "0.5", 1234567 is "1.23457e+06"), always with '.' whatever the locale.
std::wstring FormatFloatOption(float value);

// A float option from the file, read the way the C runtime's string-to-float call reads it: leading
// blanks skipped, the longest number that starts the text (decimal, exponent, hexadecimal, "inf",
// "nan"), 0 when none does; values beyond the float range become infinite, '.' is the decimal point
// whatever the locale.
float ReadFloatOption(std::wstring_view text);

// Strict forms for values a person types: the whole text must be the number.
// A 32-bit decimal integer with an optional sign.
std::optional<std::int32_t> ParseIntegerText(std::wstring_view text);
// A finite decimal number within the float range.
std::optional<float> ParseFloatText(std::wstring_view text);
