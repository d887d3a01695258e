// Template definitions, read from either encoding, and whole template sets as RegisterTemplates
// and files carry them.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "xof/template_model.h"
#include "xof/tokens.h"

namespace xof {

// Parses one definition after its `template` token. Member types must already be known to
// `known`, so definitions can never refer to themselves. Throws FormatError.
std::shared_ptr<Template> ParseTemplateDefinition(Lexer& lexer, const TemplateRegistry& known);

// Parses a template set (a "xof " file holding only template definitions, text or binary) and
// adds its templates to `registry`. Throws FormatError; on failure `registry` is unchanged.
void ParseTemplateSet(std::string_view data, TemplateRegistry& registry);

}  // namespace xof
