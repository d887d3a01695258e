// Text conversions between the host's wide strings and the byte strings of files and terminals.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Wide text to the system's 8-bit ANSI code page, which on this platform is Windows-1252.
// Characters the code page cannot hold become '?', as the system conversion does by default.
std::string WideToAnsi(std::wstring_view text);

// Windows-1252 bytes back to wide text (the five unassigned bytes map to themselves).
std::wstring AnsiToWide(std::string_view text);

// UTF-8 for terminals, file names and scene files. Invalid input yields U+FFFD per bad byte.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
// How many bytes at the start of `text` are whole, valid UTF-8.
std::size_t ValidUtf8Prefix(std::string_view text);

}  // namespace platform
