// A whole .x file from a tree of data objects, in any of the save formats.
#pragma once

#include <vector>

#include "xof/data_object.h"
#include "xof/sink.h"
#include "xof/template_model.h"

namespace xof {

// The save formats, numbered as the DirectX library numbers them (text = 1, compressed = 2,
// combinable): 0 binary, 1 text, 2 compressed binary, 3 compressed text.
enum class FileFormat : DWORD { Binary = 0, Text = 1, Compressed = 2, CompressedText = 3 };

// The templates a file defines before its objects: every non-standard template the objects use,
// with the templates those depend on, in registration order (as the DirectX library saves them).
std::vector<const Template*> TemplatesToDefine(const TemplateRegistry& registry,
                                               const DataObjectList& objects);

// Writes header, template definitions and objects ("xof 0303txt 0032", "xof 0303bin 0032",
// "xof 0303bzip0032" or "xof 0303tzip0032"). Objects must have been scanned (KeepSegmentsIfFew).
// Throws WriteError.
void WriteXFile(const TemplateRegistry& registry, const DataObjectList& objects, FileFormat format,
                Sink& sink);

}  // namespace xof
