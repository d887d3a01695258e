// The tree of data objects, as a save object collects it and as the reader returns it.
//
// Data blocks use the in-memory layout of the DirectX library's callers: members packed in template
// order without padding, little-endian; WORD/SWORD 2 bytes, DWORD/SDWORD/FLOAT 4, DOUBLE 8,
// CHAR/UCHAR 1; a STRING (also CSTRING, UNICODE) member is held inline as its characters followed
// by one zero byte, so "Bone" takes 5 bytes and the next member starts right after the zero. Arrays
// are their elements back to back; a template-typed member is that template's members, packed the
// same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/heap_array.h"
#include "xof/guid.h"
#include "xof/template_model.h"

namespace xof {

// A data block. Its storage can be handed on without a copy, to and from arrays of other plain
// values (a record made in place from a generated array).
using DataBlock = platform::HeapArray<std::uint8_t>;

// A run of values of one primitive type in a data block. Scanning a block against its template
// yields these; writers emit them without walking the template again.
struct DataSegment {
  PrimitiveType type;
  bool arrayElementFollows = false;  // strings only: another element of the same array follows
  std::size_t offset = 0;            // into the data block
  std::size_t count = 0;             // values (strings: always 1)
  std::size_t bytes = 0;             // strings: characters without the zero byte
};

struct DataReference {
  std::string name;
  std::optional<Guid> id;
};

struct DataObject;

// A child of a data object: either a nested object or a reference to an object by name.
struct DataChild {
  std::unique_ptr<DataObject> object;
  DataReference reference;
  bool IsReference() const { return object == nullptr; }
};

struct DataObject {
  const Template* type = nullptr;
  // The template name as the file spells it, when that differs from `type->name` in letter case.
  std::string typeSpelling;
  std::string name;
  std::optional<Guid> id;
  DataBlock data;
  std::vector<DataSegment> segments;
  std::vector<DataChild> children;
  std::size_t fileOffset = 0;  // set by the reader: where the object starts in the decoded file
};

using DataObjectList = std::vector<std::unique_ptr<DataObject>>;

}  // namespace xof
