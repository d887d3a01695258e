#include "ruv/options/dialog_controls.h"

#include <algorithm>
#include <array>

namespace {

using O = ExportOptions;

constexpr std::array kCheckBoxes{
    CheckBoxOption{kIdSceneRoot, &O::SceneRoot},
    CheckBoxOption{kIdMaterial, &O::Mtl},
    CheckBoxOption{kIdInline, &O::InlineMtl},
    CheckBoxOption{kIdBone, &O::Bones},
    CheckBoxOption{kIdBoneMesh, &O::BoneMesh},
    CheckBoxOption{kIdMesh, &O::Meshs},
    CheckBoxOption{kIdSkin, &O::Skin},
    CheckBoxOption{kIdWeightFix, &O::SkinFix},
    CheckBoxOption{kIdAnimation, &O::Animation},
    CheckBoxOption{kIdOnlyAnimationSet, &O::OnlyAnimationSet},
    CheckBoxOption{kIdDummy, &O::Dummy},
    CheckBoxOption{kIdOtherNodes, &O::OTHER},
    CheckBoxOption{kIdDuplicateName, &O::DuplicateNodeName},
    CheckBoxOption{kIdVertexDuplication, &O::VertexDup},
    CheckBoxOption{kIdDeclData, &O::DeclData},
    CheckBoxOption{kIdNormal, &O::Normal},
    CheckBoxOption{kIdTangent, &O::Tangent},
    CheckBoxOption{kIdBitangent, &O::BiTangent},
    CheckBoxOption{kIdVertexColor, &O::VertexColor},
    CheckBoxOption{kIdTexCoords, &O::TexCoords},
    CheckBoxOption{kIdAnimationType, &O::AnimationOptions},
    CheckBoxOption{kIdTextures, &O::TextureFiles},
    CheckBoxOption{kIdTextureOverwrite, &O::OverwriteTexture},
    CheckBoxOption{kIdMultiTextures, &O::MultiTextures},
    CheckBoxOption{kIdConvertTo, &O::TextureConvert},
    CheckBoxOption{kIdPowerOf2, &O::PowerOf2},
    CheckBoxOption{kIdRemoveDuplicates, &O::MultiTexCoordsOptimize},
    CheckBoxOption{kIdCreateShader, &O::FX},
    CheckBoxOption{kIdNormalMap, &O::NormalMapCode},
    CheckBoxOption{kIdKeyFrames, &O::KeyFrames},
    CheckBoxOption{kIdDiffuseMapColor, &O::DiffuseMapColor},
    CheckBoxOption{kIdEffectParameters, &O::EffectParam},
    CheckBoxOption{kIdFx, &O::DxFx},
    CheckBoxOption{kIdFxOverwrite, &O::OverwriteFX},
    CheckBoxOption{kIdXRotEnable, &O::XRotEnable},
    CheckBoxOption{kIdZRotEnable, &O::ZRotEnable},
    CheckBoxOption{kIdScaleEnable, &O::SpaceScaleEnable},
    CheckBoxOption{kIdRightHanded, &O::RightHand},
    CheckBoxOption{kIdWorldSpace, &O::WorldSpace},
};

constexpr std::array<int, 9> kTextureGroup{kIdConvertTo,    kIdTextureFormat, kIdTextureOverwrite,
                                           kIdProcMapX,     kIdProcMapY,      kIdRemoveDuplicates,
                                           kIdCreateShader, kIdNormalMap,     kIdMultiTextures};

constexpr std::array kSpinners{
    SpinnerField{kIdPrecisionEdit, kIdPrecisionSpinner, 0.0, 1.0, 0.1, false},
    SpinnerField{kIdCustomUnitEdit, kIdCustomUnitSpinner, 1, 999999, 1, true},
    SpinnerField{kIdOptimizeEdit, kIdOptimizeSpinner, 1, 3, 1, true},
};

}  // namespace

std::span<const CheckBoxOption> CheckBoxOptions() { return kCheckBoxes; }

std::span<const int> TextureGroupIds() { return kTextureGroup; }

std::span<const SpinnerField> SpinnerFields() { return kSpinners; }

const SpinnerField* FindSpinner(int spinnerId) {
  auto it = std::find_if(kSpinners.begin(), kSpinners.end(),
                         [spinnerId](const SpinnerField& s) { return s.spinnerId == spinnerId; });
  return it == kSpinners.end() ? nullptr : &*it;
}
