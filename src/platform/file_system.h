// The file-system calls the exporter makes, with the results the host's own platform gives them.
// Functions named after a system call take host paths ('\'-separated wide text, see host_path.h);
// the whole-file helpers take native paths.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

// Attributes of the file or folder at `path`: FILE_ATTRIBUTE_DIRECTORY for a folder,
// FILE_ATTRIBUTE_READONLY when its owner may not write it, FILE_ATTRIBUTE_NORMAL when neither
// applies; INVALID_FILE_ATTRIBUTES when nothing is there (or `path` is null).
DWORD GetFileAttributesW(const wchar_t* path);

// True when a file or folder exists at `path`.
BOOL PathFileExistsW(const wchar_t* path);

// The long form of an existing path. This platform has no short names, so the long form is the
// path as given (relative paths stay relative). Returns 0 when nothing exists at `shortPath`, so
// the caller keeps the name it has; the required size in characters, terminator included, when
// `buffer` holds fewer than that; otherwise the length copied into `buffer`, terminator excluded.
DWORD GetLongPathNameW(const wchar_t* shortPath, wchar_t* buffer, DWORD size);

namespace platform {

// Larger files are refused by ReadWholeFile: nothing the exporter reads whole is anywhere near it,
// and a wrong path must not exhaust memory.
constexpr std::uintmax_t kMaxWholeFileSize = 64u << 20;

// A descriptor open for reading `path`, or -1 when it is absent, not a regular file, unreadable
// or larger than `limit` bytes. The file is opened without waiting, so that a pipe or device under
// the name cannot hang the caller. `problem`, when given, says why there is none: empty when
// nothing is at `path`, otherwise what keeps an existing file from being read. The caller closes
// the descriptor.
int OpenRegularFile(const std::filesystem::path& path, std::uintmax_t limit,
                    std::string* problem = nullptr);

// The bytes of a regular file; nothing when it is absent, not a regular file, unreadable or larger
// than `limit`. `problem` as for OpenRegularFile.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::string* problem = nullptr,
                                         std::uintmax_t limit = kMaxWholeFileSize);
// The same into a byte vector, read straight into it (a model's buffers are large). False when
// there is nothing, `problem` saying why.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes,
                   std::string* problem = nullptr, std::uintmax_t limit = kMaxWholeFileSize);

// Replaces `target` with `bytes` whole or not at all (see file_replacement.h: the file keeps its
// permissions, a read-only file is refused, a symbolic link is written through), flushed to disk.
// On failure the old target is left as it was, the result is false and `error`, when given, says
// why. The folder must exist.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace platform
