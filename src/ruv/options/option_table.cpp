#include "ruv/options/option_table.h"

#include <array>

#include "platform/profile_document.h"

namespace {

using E = ExportOptions;

constexpr OptionKey Integer(std::wstring_view key, std::int32_t E::*member, std::int32_t fallback) {
  return OptionKey{key, member, fallback, L"", false};
}
constexpr OptionKey FrameRateInteger(std::wstring_view key, std::int32_t E::*member) {
  return OptionKey{key, member, 0, L"", true};
}
constexpr OptionKey Float(std::wstring_view key, float E::*member, std::wstring_view fallback) {
  return OptionKey{key, member, 0, fallback, false};
}
constexpr OptionKey Text(std::wstring_view key, std::wstring E::*member,
                         std::wstring_view fallback) {
  return OptionKey{key, member, 0, fallback, false};
}

constexpr std::array<OptionKey, kOptionCount> kOptionTable = {
    Integer(L"SceneRoot", &E::SceneRoot, 0),
    Text(L"SceneRootName", &E::SceneRootName, L""),
    Integer(L"Meshs", &E::Meshs, 1),
    Integer(L"Bones", &E::Bones, 1),
    Integer(L"BoneMesh", &E::BoneMesh, 0),
    Integer(L"Mtl", &E::Mtl, 1),
    Integer(L"Normal", &E::Normal, 1),
    Integer(L"Tangent", &E::Tangent, 0),
    Integer(L"BiTangent", &E::BiTangent, 0),
    Integer(L"VertexColor", &E::VertexColor, 0),
    Integer(L"TexCoords", &E::TexCoords, 1),
    Integer(L"MultiTexCoordsOptimize", &E::MultiTexCoordsOptimize, 0),
    Integer(L"DeclData", &E::DeclData, 0),
    Integer(L"InlineMtl", &E::InlineMtl, 0),
    Integer(L"FX", &E::FX, 0),
    Integer(L"NormalMapCode", &E::NormalMapCode, 0),
    Integer(L"EffectParam", &E::EffectParam, 1),
    Integer(L"DiffuseMapColor", &E::DiffuseMapColor, 0),
    Integer(L"Multi-Textures", &E::MultiTextures, 0),
    Integer(L"DxFx", &E::DxFx, 1),
    Integer(L"OverwriteFX", &E::OverwriteFX, 1),
    Integer(L"TextureFiles", &E::TextureFiles, 1),
    Integer(L"OverwriteTexture", &E::OverwriteTexture, 1),
    Integer(L"ProcMapX", &E::ProcMapX, 256),
    Integer(L"ProcMapY", &E::ProcMapY, 256),
    Integer(L"PowerOf2", &E::PowerOf2, 0),
    Integer(L"TextureFormat", &E::TextureFormat, 0),
    Integer(L"TextureConvert", &E::TextureConvert, 0),
    Integer(L"VertexDup", &E::VertexDup, 0),
    Integer(L"WorldSpace", &E::WorldSpace, 0),
    Integer(L"XFileType", &E::XFileType, 1),
    Integer(L"Animation", &E::Animation, 1),
    Integer(L"OnlyAnimationSet", &E::OnlyAnimationSet, 0),
    Integer(L"OTHER", &E::OTHER, 0),
    Integer(L"Dummy", &E::Dummy, 0),
    Integer(L"Skin", &E::Skin, 1),
    Integer(L"SkinFix", &E::SkinFix, 0),
    Integer(L"Precision", &E::Precision, 10),
    Integer(L"AnimationOptions", &E::AnimationOptions, 0),
    Integer(L"AnimationOpenClose", &E::AnimationOpenClose, 0),
    Integer(L"AnimationQuality", &E::AnimationQuality, 0),
    FrameRateInteger(L"SampleRate", &E::SampleRate),
    Integer(L"Timeline", &E::Timeline, 0),
    Integer(L"TimelineCustom", &E::TimelineCustom, 1),
    Integer(L"KeyFrames", &E::KeyFrames, 0),
    Integer(L"KeyOptimizeLevel", &E::KeyOptimizeLevel, 3),
    Integer(L"KeyType", &E::KeyType, 1),
    Integer(L"DuplicateNodeName", &E::DuplicateNodeName, 0),
    Integer(L"RightHand", &E::RightHand, 0),
    Integer(L"SpaceScaleEnable", &E::SpaceScaleEnable, 0),
    Float(L"SpaceScale", &E::SpaceScale, L"1.0"),
    Integer(L"XRotEnable", &E::XRotEnable, 0),
    Float(L"XRot", &E::XRot, L"0"),
    Integer(L"ZRotEnable", &E::ZRotEnable, 0),
    Float(L"ZRot", &E::ZRot, L"0"),
};

// The integers first, then the scene root name and the three floats.
// clang-format off
constexpr std::array<std::wstring_view, kOptionCount> kReadOrderKeys = {
    L"SceneRoot", L"Meshs", L"Bones", L"Mtl", L"Normal", L"Tangent", L"BiTangent", L"VertexColor",
    L"InlineMtl", L"PowerOf2", L"WorldSpace", L"MultiTexCoordsOptimize", L"XFileType", L"Animation",
    L"OTHER", L"Dummy", L"FX", L"NormalMapCode", L"VertexDup", L"EffectParam", L"DiffuseMapColor",
    L"AnimationOptions", L"AnimationOpenClose", L"AnimationQuality", L"OverwriteTexture",
    L"BoneMesh", L"TexCoords", L"TextureFormat", L"TextureConvert", L"SkinFix", L"Precision",
    L"SampleRate", L"Timeline", L"TimelineCustom", L"KeyFrames", L"KeyOptimizeLevel", L"KeyType",
    L"SpaceScaleEnable", L"RightHand", L"DuplicateNodeName", L"DxFx", L"OverwriteFX",
    L"TextureFiles", L"ProcMapX", L"ProcMapY", L"Skin", L"DeclData", L"OnlyAnimationSet",
    L"Multi-Textures", L"ZRotEnable", L"XRotEnable", L"SceneRootName", L"SpaceScale", L"ZRot",
    L"XRot",
};
// clang-format on

// The integers first, then the three floats and the scene root name.
// clang-format off
constexpr std::array<std::wstring_view, kOptionCount> kSaveOrderKeys = {
    L"SceneRoot", L"Meshs", L"Mtl", L"OTHER", L"Normal", L"Tangent", L"BiTangent", L"InlineMtl",
    L"PowerOf2", L"Bones", L"Precision", L"WorldSpace", L"MultiTexCoordsOptimize", L"XFileType",
    L"Animation", L"Dummy", L"FX", L"VertexDup", L"EffectParam", L"NormalMapCode",
    L"DiffuseMapColor", L"AnimationOptions", L"AnimationOpenClose", L"AnimationQuality",
    L"VertexColor", L"OverwriteFX", L"OverwriteTexture", L"BoneMesh", L"TexCoords",
    L"TextureFormat", L"TextureConvert", L"SkinFix", L"SampleRate", L"Timeline", L"TimelineCustom",
    L"KeyType", L"KeyFrames", L"KeyOptimizeLevel", L"SpaceScaleEnable", L"RightHand",
    L"DuplicateNodeName", L"DxFx", L"TextureFiles", L"ProcMapX", L"ProcMapY", L"Skin", L"DeclData",
    L"OnlyAnimationSet", L"Multi-Textures", L"ZRotEnable", L"XRotEnable", L"SpaceScale", L"ZRot",
    L"XRot", L"SceneRootName",
};
// clang-format on

// Resolves an order's keys to table entries. A key missing from the table, or named twice, is not
// a constant expression, so a mistyped order fails the build instead of losing an option.
constexpr std::array<const OptionKey*, kOptionCount> Resolve(
    const std::array<std::wstring_view, kOptionCount>& keys) {
  std::array<const OptionKey*, kOptionCount> resolved{};
  std::array<bool, kOptionCount> used{};
  for (std::size_t i = 0; i < kOptionCount; ++i) {
    std::size_t found = kOptionCount;
    for (std::size_t k = 0; k < kOptionCount; ++k) {
      if (kOptionTable[k].key == keys[i]) found = k;
    }
    if (found == kOptionCount || used[found])
      throw "an order names a key not in the table, or twice";
    used[found] = true;
    resolved[i] = &kOptionTable[found];
  }
  return resolved;
}

constexpr std::array<const OptionKey*, kOptionCount> kReadOrder = Resolve(kReadOrderKeys);
constexpr std::array<const OptionKey*, kOptionCount> kSaveOrder = Resolve(kSaveOrderKeys);

}  // namespace

std::span<const OptionKey> OptionTable() { return kOptionTable; }
std::span<const OptionKey* const> OptionsInReadOrder() { return kReadOrder; }
std::span<const OptionKey* const> OptionsInSaveOrder() { return kSaveOrder; }

const OptionKey* FindOption(std::wstring_view key) {
  std::wstring folded = platform::FoldProfileName(key);
  for (const OptionKey& option : kOptionTable) {
    if (platform::FoldProfileName(option.key) == folded) return &option;
  }
  return nullptr;
}
