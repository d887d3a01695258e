// One thing the export was asked to write and could not: the entry the export context lists for
// the message at the end (refused_records.h gathers them).
#pragma once

#include <string>

struct RefusedRecord {
  std::wstring record;  // what was not written: Mesh "Box", TextureFilename "wood.bmp"
  std::wstring node;    // the node it belongs to; empty for a top-level record
  std::wstring reason;
};
