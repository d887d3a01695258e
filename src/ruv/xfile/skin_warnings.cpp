#include "ruv/xfile/skin_warnings.h"

#include <unordered_set>
#include <vector>

#include "host/inode.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"

namespace {

constexpr std::size_t kListedBones = 20;

// Each bone once, in the order the skins name them.
class BoneNames {
 public:
  void Add(INode* bone, std::wstring name) {
    if (seen_.insert(bone).second) names_.push_back(std::move(name));
  }
  bool empty() const { return names_.empty(); }
  std::wstring List() const {
    std::wstring text;
    for (std::size_t i = 0; i < names_.size() && i < kListedBones; ++i)
      text += (i ? L", " : L"") + names_[i];
    if (names_.size() > kListedBones)
      text += L" and " + std::to_wstring(names_.size() - kListedBones) + L" more";
    return text;
  }

 private:
  std::unordered_set<INode*> seen_;
  std::vector<std::wstring> names_;
};

}  // namespace

std::wstring SkinBoneWarning(const ExportContext& context) {
  BoneNames unposed, flat;
  for (XNode* node : context.processedNodes) {
    const XRenderableNode* skinned = AsRenderable(node);
    if (!skinned || !skinned->hasSkin || !skinned->skin || !IsMeshNode(*skinned)) continue;
    for (const auto& [bone, info] : skinned->skin->bones) {
      auto found = context.nodeMap.find(bone);
      const XNode* boneNode = found != context.nodeMap.end() ? found->second : nullptr;
      // The export node's name is the one the records carry; a bone without one has only its own.
      std::wstring name = boneNode ? boneNode->name : std::wstring(bone ? bone->GetName() : L"");
      if (!boneNode || !boneNode->processed) unposed.Add(bone, name);
      if (info.flatBindPose) flat.Add(bone, name);
    }
  }
  std::wstring text;
  if (!unposed.empty()) {
    text +=
        L"Skin weights name bones that have no frame in the file (the Bones option is off, or "
        L"the export leaves the node out), so no reader can pose the vertices they carry: " +
        unposed.List() + L".";
  }
  if (!flat.empty()) {
    text += (text.empty() ? L"" : L"\n") +
            std::wstring(L"Bones bound with a scale of 0 (a flat bind pose): ") + flat.List() +
            L". Their vertices lie flat in the bone's plane wherever the bone is flat.";
  }
  return text;
}
