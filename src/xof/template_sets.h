// The three template sets the exporter registers, in this order: the standard retained-mode
// templates (binary form, header "xof 0302bin 0064"), the skinning and effect extensions and the
// vertex-data extensions (both text, header "xof 0303txt 0032"). Each is the exact byte
// sequence to hand to XFile::RegisterTemplates(data, size); the text sets carry no terminating
// zero.
#pragma once

#include <string_view>

#include "xof/template_model.h"

namespace xof {

std::string_view StandardTemplateSet();
std::string_view SkinningTemplateSet();
std::string_view VertexDataTemplateSet();

// The three sets registered in order; readers start from this to understand files that use the
// templates without defining them.
const TemplateRegistry& BuiltInTemplates();

}  // namespace xof
