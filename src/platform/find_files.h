// Folder enumeration with the calls and data the exporter's texture search is written against.
// Paths are host paths ('\'-separated wide text, see host_path.h).
//
// Order: this platform's folders have no order of their own, so a listing is made deterministic:
// "." and ".." come first, then every other entry sorted by the bytes of its UTF-8 name. A listing
// is read whole when it is opened, so an open handle holds no operating-system resource and sees
// the folder as it was at FindFirstFileW.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_system.h"
#include "platform/win_types.h"

using HANDLE = void*;

// The handle FindFirstFileW answers when it cannot list anything.
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr std::size_t MAX_PATH = 260;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;

struct WIN32_FIND_DATAW {
  // FILE_ATTRIBUTE_DIRECTORY for a folder, also when it is reached through a symbolic link;
  // FILE_ATTRIBUTE_REPARSE_POINT for a symbolic link; FILE_ATTRIBUTE_READONLY when its owner may
  // not write it; FILE_ATTRIBUTE_NORMAL when none applies.
  DWORD dwFileAttributes;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  wchar_t cFileName[MAX_PATH];     // the entry's name without folder, zero-terminated
  wchar_t cAlternateFileName[14];  // always empty: this platform has no short names
};

// Opens a listing of the folder part of `pattern` and fills `data` with its first entry whose name
// matches the last part of `pattern`. "*.*" and "*" match every entry; otherwise '*' matches any
// run of characters and '?' any one, case-sensitively as the file system compares names.
// Entries whose names cannot be written as host text (bytes that are not UTF-8) are left out,
// because no host path could reach them. Returns INVALID_HANDLE_VALUE when the folder cannot be
// read (absent, not a folder, no permission, path too long) or nothing matches.
HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data);

// Fills `data` with the next matching entry; FALSE when the listing is exhausted.
BOOL FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* data);

// Releases a handle from FindFirstFileW. FALSE for INVALID_HANDLE_VALUE or null.
BOOL FindClose(HANDLE handle);
