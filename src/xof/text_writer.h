// The text encoding of templates and data objects, laid out as files saved by the DirectX library:
// one space of indentation per level, one line per top-level member and per top-level array
// element, floats with six decimals, an empty line before each child object, no final newline.
#pragma once

#include <vector>

#include "xof/data_object.h"
#include "xof/sink.h"

namespace xof {

// Everything after the 16-byte header: the line break that ends the header line, the template
// definitions, then the objects. Throws WriteError.
void WriteTextBody(const std::vector<const Template*>& templates, const DataObjectList& objects,
                   Sink& sink);

}  // namespace xof
