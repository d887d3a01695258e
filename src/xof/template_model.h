// Templates: the record types of a .x file. A template names its members in order; a data object
// of the template holds their values. Registries map names and GUIDs to templates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xof/guid.h"

namespace xof {

enum class PrimitiveType : std::uint8_t {
  Word,
  Dword,
  Float,
  Double,
  Char,
  Uchar,
  Sword,
  Sdword,
  String,  // STRING / LPSTR
  Cstring,
  Unicode,  // held as 8-bit text like the other strings
};

// Bytes a value takes in a data block; 0 for the zero-terminated string types. Inline: the data
// walk asks for every value run.
constexpr std::size_t PrimitiveSize(PrimitiveType type) {
  switch (type) {
    case PrimitiveType::Char:
    case PrimitiveType::Uchar:
      return 1;
    case PrimitiveType::Word:
    case PrimitiveType::Sword:
      return 2;
    case PrimitiveType::Dword:
    case PrimitiveType::Sdword:
    case PrimitiveType::Float:
      return 4;
    case PrimitiveType::Double:
      return 8;
    default:
      return 0;
  }
}
constexpr bool IsStringType(PrimitiveType type) {
  return type == PrimitiveType::String || type == PrimitiveType::Cstring ||
         type == PrimitiveType::Unicode;
}
constexpr bool IsFloatType(PrimitiveType type) {
  return type == PrimitiveType::Float || type == PrimitiveType::Double;
}
constexpr bool IsIntegerType(PrimitiveType type) {
  return !IsStringType(type) && !IsFloatType(type);
}
// The keyword of a type in text template definitions ("DWORD", "STRING", ...).
std::string_view PrimitiveKeyword(PrimitiveType type);

struct Template;

struct ArrayDimension {
  std::uint32_t size = 0;  // a literal dimension, used when `member` < 0
  int member = -1;         // index of the earlier integer member holding the count
};

struct Member {
  std::string name;
  std::optional<PrimitiveType> primitive;  // set for primitive members
  const Template* type = nullptr;          // set for template-typed members
  bool isArray = false;
  std::vector<ArrayDimension> dimensions;
};

enum class TemplateKind : std::uint8_t { Closed, Open, Restricted };

struct TemplateRestriction {
  std::string name;
  std::optional<Guid> id;
};

struct Template {
  std::string name;
  Guid id;
  std::vector<Member> members;
  TemplateKind kind = TemplateKind::Closed;
  std::vector<TemplateRestriction> restrictions;
  // Fewest data bytes a value of this template takes (arrays counted empty, strings as "").
  std::size_t minimumSize = 0;

  // Whether an object of `child` may be a child (or the target of a reference) of this one.
  bool AllowsChild(const Template& child) const;
};

// Structural equality: same name, GUID, members and restrictions.
bool SameDefinition(const Template& a, const Template& b);

// Templates in registration order. Copies share the template objects, which stay alive as long as
// any registry or object refers to them.
class TemplateRegistry {
 public:
  const Template* FindByName(std::string_view name) const;
  // The one template whose name equals `name` apart from letter case (other writers spell
  // `TextureFilename` as `TextureFileName`); null when none or more than one does.
  const Template* FindByNameIgnoringCase(std::string_view name) const;
  const Template* FindById(const Guid& id) const;
  // Adds a template. A template with the GUID of a registered one replaces it when the definitions
  // differ and is dropped when they are the same; either way the returned pointer is the one in
  // use.
  const Template* Add(std::shared_ptr<const Template> definition);
  const std::vector<const Template*>& InOrder() const { return order_; }

 private:
  std::vector<std::shared_ptr<const Template>> storage_;
  std::vector<const Template*> order_;
  std::map<std::string, const Template*, std::less<>> byName_;
  std::map<Guid, const Template*> byId_;
};

}  // namespace xof
