#include "xof/template_model.h"

#include <algorithm>

#include "xof/template_ids.h"

namespace xof {

std::string_view PrimitiveKeyword(PrimitiveType type) {
  switch (type) {
    case PrimitiveType::Word:
      return "WORD";
    case PrimitiveType::Dword:
      return "DWORD";
    case PrimitiveType::Float:
      return "FLOAT";
    case PrimitiveType::Double:
      return "DOUBLE";
    case PrimitiveType::Char:
      return "CHAR";
    case PrimitiveType::Uchar:
      return "UCHAR";
    case PrimitiveType::Sword:
      return "SWORD";
    case PrimitiveType::Sdword:
      return "SDWORD";
    case PrimitiveType::String:
      return "STRING";
    case PrimitiveType::Cstring:
      return "CSTRING";
    case PrimitiveType::Unicode:
      return "UNICODE";
  }
  return "?";
}

bool Template::AllowsChild(const Template& child) const {
  if (kind == TemplateKind::Open) return true;
  if (kind == TemplateKind::Closed) return false;
  return std::any_of(restrictions.begin(), restrictions.end(), [&](const TemplateRestriction& r) {
    return r.id ? *r.id == child.id : r.name == child.name;
  });
}

bool SameDefinition(const Template& a, const Template& b) {
  if (a.name != b.name || a.id != b.id || a.kind != b.kind ||
      a.members.size() != b.members.size() || a.restrictions.size() != b.restrictions.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.members.size(); ++i) {
    const Member& x = a.members[i];
    const Member& y = b.members[i];
    if (x.name != y.name || x.primitive != y.primitive || x.isArray != y.isArray ||
        x.dimensions.size() != y.dimensions.size()) {
      return false;
    }
    if ((x.type == nullptr) != (y.type == nullptr) || (x.type && x.type->id != y.type->id)) {
      return false;
    }
    for (std::size_t d = 0; d < x.dimensions.size(); ++d) {
      if (x.dimensions[d].size != y.dimensions[d].size ||
          x.dimensions[d].member != y.dimensions[d].member) {
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < a.restrictions.size(); ++i) {
    if (a.restrictions[i].name != b.restrictions[i].name) return false;
  }
  return true;
}

const Template* TemplateRegistry::FindByName(std::string_view name) const {
  auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : found->second;
}

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

const Template* TemplateRegistry::FindByNameIgnoringCase(std::string_view name) const {
  const Template* found = nullptr;
  for (const Template* t : order_) {
    if (!EqualIgnoringCase(t->name, name)) continue;
    if (found) return nullptr;
    found = t;
  }
  return found;
}

const Template* TemplateRegistry::FindById(const Guid& id) const {
  auto found = byId_.find(id);
  return found == byId_.end() ? nullptr : found->second;
}

const Template* TemplateRegistry::Add(std::shared_ptr<const Template> definition) {
  if (const Template* existing = FindById(definition->id)) {
    if (SameDefinition(*existing, *definition)) return existing;
    order_.erase(std::find(order_.begin(), order_.end(), existing));
    if (FindByName(existing->name) == existing) byName_.erase(existing->name);
  }
  const Template* added = definition.get();
  storage_.push_back(std::move(definition));
  order_.push_back(added);
  byName_[added->name] = added;
  byId_[added->id] = added;
  return added;
}

bool IsStandardTemplate(const Guid& id) {
  static constexpr Guid kStandard[] = {tid::Header,
                                       tid::Vector,
                                       tid::Coords2d,
                                       tid::Matrix4x4,
                                       tid::ColorRGBA,
                                       tid::ColorRGB,
                                       tid::IndexedColor,
                                       tid::Boolean,
                                       tid::Boolean2d,
                                       tid::MaterialWrap,
                                       tid::TextureFilename,
                                       tid::Material,
                                       tid::MeshFace,
                                       tid::MeshFaceWraps,
                                       tid::MeshTextureCoords,
                                       tid::MeshMaterialList,
                                       tid::MeshNormals,
                                       tid::MeshVertexColors,
                                       tid::Mesh,
                                       tid::FrameTransformMatrix,
                                       tid::Frame,
                                       tid::FloatKeys,
                                       tid::TimedFloatKeys,
                                       tid::AnimationKey,
                                       tid::AnimationOptions,
                                       tid::Animation,
                                       tid::AnimationSet,
                                       tid::InlineData,
                                       tid::Url,
                                       tid::ProgressiveMesh,
                                       tid::GuidTemplate,
                                       tid::StringProperty,
                                       tid::PropertyBag,
                                       tid::ExternalVisual,
                                       tid::RightHanded};
  return std::find(std::begin(kStandard), std::end(kStandard), id) != std::end(kStandard);
}

}  // namespace xof
