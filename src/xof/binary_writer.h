// The binary encoding of templates and data objects. Data values go out as lists, one list per
// run of integers or floats within an object's own data, as the DirectX library writes them; WORD
// and other small integers are widened to 4 bytes, as in its files.
#pragma once

#include <vector>

#include "xof/data_object.h"
#include "xof/sink.h"

namespace xof {

// Everything after the 16-byte header. Floats are written 32 bits wide. Throws WriteError.
void WriteBinaryBody(const std::vector<const Template*>& templates, const DataObjectList& objects,
                     Sink& sink);

}  // namespace xof
