// Template definitions written out in the text and binary encodings, from the parsed model (as
// saved files do: the text is regenerated, not copied from what was registered).
#pragma once

#include <string>

#include "xof/template_model.h"

namespace xof {

// "template Name {\n <guid>\n members...\n}\n" with one space of indentation.
void AppendTextTemplate(std::string& out, const Template& definition);
// TEMPLATE NAME OBRACE GUID members [option] CBRACE.
void AppendBinaryTemplate(std::string& out, const Template& definition);

}  // namespace xof
