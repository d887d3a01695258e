// The object tree of a read file, for people (indented text) and for scripts (JSON).
#pragma once

#include <ostream>

#include "xof/file_reader.h"

namespace xof {

// Header, templates defined and used, then every object with its name, member values, children
// and references, two spaces of indentation per level.
void PrintDocumentText(const XFileDocument& document, std::ostream& out);

// The same as one JSON document: {"header": {...}, "templatesDefined": [...], "templatesUsed":
// [...], "objects": [{"template", "templateGuid", "name", "id", "offset", "members", "children"}]};
// a reference child is {"reference": name} (with "id" when it has one).
void PrintDocumentJson(const XFileDocument& document, std::ostream& out);

}  // namespace xof
