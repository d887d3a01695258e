#include "xof/template_encoding.h"

#include "xof/binary_tokens.h"

namespace xof {
namespace {

binary::Code TypeCode(PrimitiveType type) {
  switch (type) {
    case PrimitiveType::Word:
      return binary::kWord;
    case PrimitiveType::Dword:
      return binary::kDword;
    case PrimitiveType::Float:
      return binary::kFloat;
    case PrimitiveType::Double:
      return binary::kDouble;
    case PrimitiveType::Char:
      return binary::kChar;
    case PrimitiveType::Uchar:
      return binary::kUchar;
    case PrimitiveType::Sword:
      return binary::kSword;
    case PrimitiveType::Sdword:
      return binary::kSdword;
    case PrimitiveType::String:
      return binary::kLpstr;
    case PrimitiveType::Cstring:
      return binary::kCstring;
    case PrimitiveType::Unicode:
      return binary::kUnicode;
  }
  return binary::kDword;
}

}  // namespace

void AppendTextTemplate(std::string& out, const Template& definition) {
  out += "template ";
  out += definition.name;
  out += " {\n <";
  out += FormatGuid(definition.id);
  out += ">\n";
  for (const Member& member : definition.members) {
    out += ' ';
    if (member.isArray) out += "array ";
    out += member.primitive ? std::string(PrimitiveKeyword(*member.primitive)) : member.type->name;
    out += ' ';
    out += member.name;
    for (const ArrayDimension& d : member.dimensions) {
      out += '[';
      out += d.member >= 0 ? definition.members[d.member].name : std::to_string(d.size);
      out += ']';
    }
    out += ";\n";
  }
  if (definition.kind == TemplateKind::Open) {
    out += " [...]\n";
  } else if (definition.kind == TemplateKind::Restricted) {
    out += " [";
    for (std::size_t i = 0; i < definition.restrictions.size(); ++i) {
      const TemplateRestriction& r = definition.restrictions[i];
      if (i > 0) out += ", ";
      out += r.name;
      if (r.id) out += " <" + FormatGuid(*r.id) + ">";
    }
    out += "]\n";
  }
  out += "}\n";
}

void AppendBinaryTemplate(std::string& out, const Template& definition) {
  using namespace binary;
  PutCode(out, kTemplate);
  PutName(out, definition.name);
  PutCode(out, kOBrace);
  PutGuid(out, definition.id);
  for (const Member& member : definition.members) {
    if (member.isArray) PutCode(out, kArray);
    if (member.primitive) {
      PutCode(out, TypeCode(*member.primitive));
    } else {
      PutName(out, member.type->name);
    }
    PutName(out, member.name);
    for (const ArrayDimension& d : member.dimensions) {
      PutCode(out, kOBracket);
      if (d.member >= 0) {
        PutName(out, definition.members[d.member].name);
      } else {
        PutCode(out, kInteger);
        PutDword(out, d.size);
      }
      PutCode(out, kCBracket);
    }
    PutCode(out, kSemicolon);
  }
  if (definition.kind == TemplateKind::Open) {
    PutCode(out, kOBracket);
    for (int i = 0; i < 3; ++i) PutCode(out, kDot);
    PutCode(out, kCBracket);
  } else if (definition.kind == TemplateKind::Restricted) {
    PutCode(out, kOBracket);
    for (std::size_t i = 0; i < definition.restrictions.size(); ++i) {
      if (i > 0) PutCode(out, kComma);
      PutName(out, definition.restrictions[i].name);
      if (definition.restrictions[i].id) PutGuid(out, *definition.restrictions[i].id);
    }
    PutCode(out, kCBracket);
  }
  PutCode(out, kCBrace);
}

}  // namespace xof
