#include "xof/document_printer.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <set>

#include "xof/file_header.h"
#include "xof/member_values.h"

namespace xof {
namespace {

using Json = nlohmann::ordered_json;

// Shortest text that reads back to the same float (or double): exact, and short for round values.
std::string FormatReal(const MemberValue& value) {
  char buffer[64];
  auto result = value.doublePrecision
                    ? std::to_chars(buffer, buffer + sizeof buffer, value.real)
                    : std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value.real));
  return std::string(buffer, result.ptr);
}

void PrintValue(const MemberValue& value, std::ostream& out) {
  switch (value.kind) {
    case MemberValue::Kind::Integer:
      out << value.integer;
      break;
    case MemberValue::Kind::Float:
      out << FormatReal(value);
      break;
    case MemberValue::Kind::String:
      out << '"' << value.text << '"';
      break;
    case MemberValue::Kind::Struct:
      out << '{';
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0) out << ", ";
        out << value.items[i].name << " = ";
        PrintValue(value.items[i], out);
      }
      out << '}';
      break;
    case MemberValue::Kind::Array:
      out << '[';
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0) out << ", ";
        PrintValue(value.items[i], out);
      }
      out << ']';
      break;
  }
}

void CollectUsed(const DataObject& object, std::set<std::string>& used) {
  used.insert(object.type->name);
  for (const DataChild& child : object.children) {
    if (!child.IsReference()) CollectUsed(*child.object, used);
  }
}

std::set<std::string> TemplatesUsed(const XFileDocument& document) {
  std::set<std::string> used;
  for (const auto& object : document.objects) CollectUsed(*object, used);
  return used;
}

void PrintObjectText(const DataObject& object, int depth, std::ostream& out) {
  std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  out << indent << (object.typeSpelling.empty() ? object.type->name : object.typeSpelling);
  if (!object.name.empty()) out << ' ' << object.name;
  if (object.id) out << " <" << FormatGuid(*object.id) << '>';
  out << " {\n";
  for (const MemberValue& member : DecodeMembers(object)) {
    out << indent << "  " << member.name << " = ";
    PrintValue(member, out);
    out << '\n';
  }
  for (const DataChild& child : object.children) {
    if (child.IsReference()) {
      out << indent << "  -> " << child.reference.name;
      if (child.reference.id) out << " <" << FormatGuid(*child.reference.id) << '>';
      out << '\n';
    } else {
      PrintObjectText(*child.object, depth + 1, out);
    }
  }
  out << indent << "}\n";
}

Json ValueJson(const MemberValue& value) {
  switch (value.kind) {
    case MemberValue::Kind::Integer:
      return value.integer;
    case MemberValue::Kind::Float:
      return value.doublePrecision ? value.real
                                   : static_cast<double>(static_cast<float>(value.real));
    case MemberValue::Kind::String:
      return value.text;
    case MemberValue::Kind::Struct: {
      Json fields = Json::object();
      for (const MemberValue& item : value.items) fields[item.name] = ValueJson(item);
      return fields;
    }
    case MemberValue::Kind::Array: {
      Json items = Json::array();
      for (const MemberValue& item : value.items) items.push_back(ValueJson(item));
      return items;
    }
  }
  return nullptr;
}

Json ObjectJson(const DataObject& object) {
  Json json;
  json["template"] = object.typeSpelling.empty() ? object.type->name : object.typeSpelling;
  json["templateGuid"] = FormatGuid(object.type->id);
  json["name"] = object.name;
  if (object.id) json["id"] = FormatGuid(*object.id);
  json["offset"] = object.fileOffset;
  Json members = Json::object();
  for (const MemberValue& member : DecodeMembers(object)) members[member.name] = ValueJson(member);
  json["members"] = std::move(members);
  Json children = Json::array();
  for (const DataChild& child : object.children) {
    if (child.IsReference()) {
      Json reference;
      reference["reference"] = child.reference.name;
      if (child.reference.id) reference["id"] = FormatGuid(*child.reference.id);
      children.push_back(std::move(reference));
    } else {
      children.push_back(ObjectJson(*child.object));
    }
  }
  json["children"] = std::move(children);
  return json;
}

}  // namespace

void PrintDocumentText(const XFileDocument& document, std::ostream& out) {
  const FileHeader& header = document.header;
  out << FormatFileHeader(header) << " (" << (header.binary ? "binary" : "text")
      << (header.compressed ? ", compressed" : "") << ", float size " << header.floatSize << ")\n";
  out << "templates defined in the file:";
  for (const Template* definition : document.definedInFile) out << ' ' << definition->name;
  out << "\ntemplates used:";
  for (const std::string& name : TemplatesUsed(document)) out << ' ' << name;
  out << "\n\n";
  for (const auto& object : document.objects) PrintObjectText(*object, 0, out);
}

void PrintDocumentJson(const XFileDocument& document, std::ostream& out) {
  Json json;
  const FileHeader& header = document.header;
  json["header"] = {{"text", FormatFileHeader(header)},
                    {"version", header.majorVersion * 100 + header.minorVersion},
                    {"encoding", header.binary ? "binary" : "text"},
                    {"compressed", header.compressed},
                    {"floatSize", header.floatSize}};
  Json defined = Json::array();
  for (const Template* definition : document.definedInFile) {
    defined.push_back({{"name", definition->name}, {"guid", FormatGuid(definition->id)}});
  }
  json["templatesDefined"] = std::move(defined);
  json["templatesUsed"] = TemplatesUsed(document);
  Json objects = Json::array();
  for (const auto& object : document.objects) objects.push_back(ObjectJson(*object));
  json["objects"] = std::move(objects);
  // Replace invalid UTF-8 (8-bit ANSI names and strings) rather than fail the whole dump.
  out << json.dump(1, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace xof
