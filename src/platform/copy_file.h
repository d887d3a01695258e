// File copy as the exporter puts textures and effect files beside its output. Paths are host
// paths ('\'-separated wide text, see host_path.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win_types.h"

// Copies the regular file at `existingFile` to `newFile` byte for byte. The copy is written whole
// or not at all, as file_replacement.h replaces files: a replaced file keeps its permissions, a
// read-only one is refused, a link is written through. With `failIfExists` the call refuses when
// anything exists at `newFile`, checked at the rename so that a file appearing meanwhile is not
// replaced either. A new file gets the default permissions, not the source's. Returns FALSE, and
// leaves `newFile` as it was, when the source is absent, unreadable or no regular file (a folder,
// a pipe, a device, a file of /proc, /sys or /dev), when `newFile` is a folder or read-only, or on
// any write failure.
BOOL CopyFileW(const wchar_t* existingFile, const wchar_t* newFile, BOOL failIfExists);

// The bytes of the file at `existingFile` (a host path), for what is made from a texture instead of
// a copy: nothing for a file CopyFileW would not copy (above), or one larger than `limit`.
std::optional<std::string> ReadCopyableFile(const wchar_t* existingFile, std::uintmax_t limit);
