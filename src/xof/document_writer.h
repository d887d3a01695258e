// Writing a read document again, in any encoding, through the same save calls the exporter uses
// (so everything written is checked the same way).
#pragma once

#include <filesystem>
#include <string>

#include "xof/file_reader.h"
#include "xof/file_writer.h"
#include "xof/sink.h"

namespace xof {

// Registers the three template sets and the file's own definitions, adds every object and
// reference, and writes the file. On failure returns false with `error` naming the object (and
// its offset in the source) that could not be written.
bool WriteDocument(const XFileDocument& document, FileFormat format, Sink& sink,
                   std::string& error);

// The same into a file, replaced whole or not at all.
bool WriteDocumentToFile(const XFileDocument& document, FileFormat format,
                         const std::filesystem::path& path, std::string& error);
// The same, the document's data blocks handed to the save instead of copied (a conversion then
// holds each block once): the document is spent.
bool WriteDocumentToFile(XFileDocument&& document, FileFormat format,
                         const std::filesystem::path& path, std::string& error);

}  // namespace xof
