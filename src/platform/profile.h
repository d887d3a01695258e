// The INI profile functions of the host platform, taking host paths ('\'-separated wide text).
// Every call reads the file afresh; a writing call rewrites the whole file atomically, so a reader
// never sees it half-written. Files are read as profile_document.h decodes them and written as
// UTF-8 with CR LF line ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/profile_document.h"
#include "platform/win_types.h"

// The value of `key` in `section` as an integer: `defaultValue` when the file, the section or the
// key is absent or the value is empty; otherwise the value's leading decimal integer (0 when it
// starts with no digit). Negative numbers come back as their 32-bit pattern, as on the host
// platform; store the result in a signed integer.
UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue,
                           const wchar_t* path);

// Copies the value of `key` in `section` (or `defaultValue` when the file, section or key is
// absent) into `buffer`, without its surrounding blanks and one pair of surrounding quotes, cut to
// `size` - 1 characters and terminated. Returns the number of characters copied. A null section or
// key (the host platform's name listings) is not supported and copies nothing.
DWORD GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key,
                               const wchar_t* defaultValue, wchar_t* buffer, DWORD size,
                               const wchar_t* path);

// Sets `key` in `section` to `value`, creating the file and the section as needed. A null value
// removes the key; a null key removes the section. Returns FALSE when the file cannot be written
// or exists but cannot be read (the old file then stays as it was), or the section is null.
BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* path);

namespace platform {

// The whole profile at a host path; an empty document when the file is absent or unreadable.
ProfileDocument ReadProfile(std::wstring_view hostPath);
// The same, telling an absent file (an empty document) from one that exists but cannot be read:
// then nothing, and `problem` says why ("Permission denied", "it is larger than 64 MiB").
std::optional<ProfileDocument> ReadExistingProfile(std::wstring_view hostPath,
                                                   std::string& problem);

// Replaces the file at a host path with the document, whole or not at all.
bool WriteProfile(std::wstring_view hostPath, const ProfileDocument& document);

}  // namespace platform
