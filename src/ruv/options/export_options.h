// The export options: every choice about an export, one process-wide set of values that every
// stage reads directly, and the list of animation clips. Each member is named as its key in the
// options file (Multi-Textures is MultiTextures); option_table.h says what each key defaults to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ExportOptions {
  std::int32_t SceneRoot = 0;
  std::wstring SceneRootName;
  std::int32_t Meshs = 0;
  std::int32_t Bones = 0;
  std::int32_t BoneMesh = 0;
  std::int32_t Mtl = 0;
  std::int32_t Normal = 0;
  std::int32_t Tangent = 0;
  std::int32_t BiTangent = 0;
  std::int32_t VertexColor = 0;
  std::int32_t TexCoords = 0;
  std::int32_t MultiTexCoordsOptimize = 0;
  std::int32_t DeclData = 0;
  std::int32_t InlineMtl = 0;
  std::int32_t FX = 0;
  std::int32_t NormalMapCode = 0;
  std::int32_t EffectParam = 0;
  std::int32_t DiffuseMapColor = 0;
  std::int32_t MultiTextures = 0;
  std::int32_t DxFx = 0;
  std::int32_t OverwriteFX = 0;
  std::int32_t TextureFiles = 0;
  std::int32_t OverwriteTexture = 0;
  std::int32_t ProcMapX = 0;
  std::int32_t ProcMapY = 0;
  std::int32_t PowerOf2 = 0;
  std::int32_t TextureFormat = 0;
  std::int32_t TextureConvert = 0;
  std::int32_t VertexDup = 0;
  std::int32_t WorldSpace = 0;
  std::int32_t XFileType = 0;
  std::int32_t Animation = 0;
  std::int32_t OnlyAnimationSet = 0;
  std::int32_t OTHER = 0;
  std::int32_t Dummy = 0;
  std::int32_t Skin = 0;
  std::int32_t SkinFix = 0;
  std::int32_t Precision = 0;
  std::int32_t AnimationOptions = 0;
  std::int32_t AnimationOpenClose = 0;
  std::int32_t AnimationQuality = 0;
  std::int32_t SampleRate = 0;
  std::int32_t Timeline = 0;
  std::int32_t TimelineCustom = 0;
  std::int32_t KeyFrames = 0;
  std::int32_t KeyOptimizeLevel = 0;
  std::int32_t KeyType = 0;
  std::int32_t DuplicateNodeName = 0;
  std::int32_t RightHand = 0;
  std::int32_t SpaceScaleEnable = 0;
  float SpaceScale = 0.0f;
  std::int32_t XRotEnable = 0;
  float XRot = 0.0f;
  std::int32_t ZRotEnable = 0;
  float ZRot = 0.0f;
};

// One animation set of the output: a span of host frames, both ends included.
struct AnimationClip {
  std::wstring name;
  std::int32_t startKey = 0;
  std::int32_t endKey = 0;
};

// In the order of the animation sets in the file; a clip's index here is its index everywhere.
using AnimationClips = std::vector<AnimationClip>;

// Live as long as the module; every export loads them, the dialog edits them, the save writes them.
extern ExportOptions gExportOptions;
extern AnimationClips gAnimationClips;
