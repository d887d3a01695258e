// Reading a .x file of any encoding (text, binary, and both compressed forms; versions 0302 and
// 0303; float size 32 or 64; with or without template definitions) into a tree of data objects.
//
// Nothing in the input is trusted: every count is checked against what remains of the input
// before anything is allocated for it, nesting is bounded, and any fault ends the read with a
// message and the byte offset where it was found (in the decompressed stream for compressed files,
// which is the offset the same file would have uncompressed).
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xof/data_object.h"
#include "xof/file_header.h"
#include "xof/template_model.h"

namespace xof {

struct XFileDocument {
  FileHeader header;
  // The registry the objects were read with: the built-in sets plus the file's own definitions.
  TemplateRegistry templates;
  std::vector<const Template*> definedInFile;
  // Objects carry their data in the packed layout of data_object.h; floats of 64-bit files are
  // narrowed to 32 bits for FLOAT members, as the templates declare them.
  DataObjectList objects;
};

struct ReadResult {
  std::unique_ptr<XFileDocument> document;  // null on failure
  std::string error;                        // what is wrong
  std::size_t errorOffset = 0;              // where
  bool errorInDecompressedData = false;
  bool errorHasOffset = true;  // false when the file could not be read at all
  bool ok() const { return document != nullptr; }
  // "byte 123: expected '{', found ..." (with "of the decompressed data" when that applies).
  std::string Describe() const;
};

struct ReadOptions {
  // Each object's segments (data_object.h), which the writers need; a reader of values alone (an
  // importer) can do without them, and without the second walk through every block they take.
  bool segments = true;
};

ReadResult ReadXFile(std::string_view bytes);
ReadResult ReadXFile(std::string_view bytes, const TemplateRegistry& knownTemplates);
ReadResult ReadXFile(std::string_view bytes, const TemplateRegistry& knownTemplates,
                     const ReadOptions& options);
// Reads a file from disk; a file that cannot be opened is reported like malformed input.
ReadResult ReadXFileAt(const std::filesystem::path& path);
ReadResult ReadXFileAt(const std::filesystem::path& path, const ReadOptions& options);

}  // namespace xof
