// Identifiers of the templates the exporter writes, and of every standard template, so that
// record writers and tests name them instead of spelling GUIDs.
#pragma once

#include <string_view>

#include "xof/guid.h"

namespace xof {
namespace detail {

constexpr unsigned HexDigit(char c) {
  return c >= '0' && c <= '9'   ? unsigned(c - '0')
         : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
         : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                : throw "not a hex digit";
}

constexpr std::uint64_t HexField(std::string_view text, std::size_t pos, std::size_t digits) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) value = value * 16 + HexDigit(text[pos + i]);
  return value;
}

}  // namespace detail

// Compile-time GUID from its 8-4-4-4-12 text.
constexpr Guid MakeGuid(std::string_view text) {
  if (text.size() != 36) throw "GUID text must have 36 characters";
  Guid id;
  id.data1 = static_cast<DWORD>(detail::HexField(text, 0, 8));
  id.data2 = static_cast<WORD>(detail::HexField(text, 9, 4));
  id.data3 = static_cast<WORD>(detail::HexField(text, 14, 4));
  id.data4[0] = static_cast<std::uint8_t>(detail::HexField(text, 19, 2));
  id.data4[1] = static_cast<std::uint8_t>(detail::HexField(text, 21, 2));
  for (std::size_t i = 0; i < 6; ++i) {
    id.data4[2 + i] = static_cast<std::uint8_t>(detail::HexField(text, 24 + 2 * i, 2));
  }
  return id;
}

namespace tid {

// The standard retained-mode templates (the first template set).
inline constexpr Guid Header = MakeGuid("3d82ab43-62da-11cf-ab39-0020af71e433");
inline constexpr Guid Vector = MakeGuid("3d82ab5e-62da-11cf-ab39-0020af71e433");
inline constexpr Guid Coords2d = MakeGuid("f6f23f44-7686-11cf-8f52-0040333594a3");
inline constexpr Guid Matrix4x4 = MakeGuid("f6f23f45-7686-11cf-8f52-0040333594a3");
inline constexpr Guid ColorRGBA = MakeGuid("35ff44e0-6c7c-11cf-8f52-0040333594a3");
inline constexpr Guid ColorRGB = MakeGuid("d3e16e81-7835-11cf-8f52-0040333594a3");
inline constexpr Guid IndexedColor = MakeGuid("1630b820-7842-11cf-8f52-0040333594a3");
inline constexpr Guid Boolean = MakeGuid("4885ae61-78e8-11cf-8f52-0040333594a3");
inline constexpr Guid Boolean2d = MakeGuid("4885ae63-78e8-11cf-8f52-0040333594a3");
inline constexpr Guid MaterialWrap = MakeGuid("4885ae60-78e8-11cf-8f52-0040333594a3");
inline constexpr Guid TextureFilename = MakeGuid("a42790e1-7810-11cf-8f52-0040333594a3");
inline constexpr Guid Material = MakeGuid("3d82ab4d-62da-11cf-ab39-0020af71e433");
inline constexpr Guid MeshFace = MakeGuid("3d82ab5f-62da-11cf-ab39-0020af71e433");
inline constexpr Guid MeshFaceWraps = MakeGuid("4885ae62-78e8-11cf-8f52-0040333594a3");
inline constexpr Guid MeshTextureCoords = MakeGuid("f6f23f40-7686-11cf-8f52-0040333594a3");
inline constexpr Guid MeshMaterialList = MakeGuid("f6f23f42-7686-11cf-8f52-0040333594a3");
inline constexpr Guid MeshNormals = MakeGuid("f6f23f43-7686-11cf-8f52-0040333594a3");
inline constexpr Guid MeshVertexColors = MakeGuid("1630b821-7842-11cf-8f52-0040333594a3");
inline constexpr Guid Mesh = MakeGuid("3d82ab44-62da-11cf-ab39-0020af71e433");
inline constexpr Guid FrameTransformMatrix = MakeGuid("f6f23f41-7686-11cf-8f52-0040333594a3");
inline constexpr Guid Frame = MakeGuid("3d82ab46-62da-11cf-ab39-0020af71e433");
inline constexpr Guid FloatKeys = MakeGuid("10dd46a9-775b-11cf-8f52-0040333594a3");
inline constexpr Guid TimedFloatKeys = MakeGuid("f406b180-7b3b-11cf-8f52-0040333594a3");
inline constexpr Guid AnimationKey = MakeGuid("10dd46a8-775b-11cf-8f52-0040333594a3");
inline constexpr Guid AnimationOptions = MakeGuid("e2bf56c0-840f-11cf-8f52-0040333594a3");
inline constexpr Guid Animation = MakeGuid("3d82ab4f-62da-11cf-ab39-0020af71e433");
inline constexpr Guid AnimationSet = MakeGuid("3d82ab50-62da-11cf-ab39-0020af71e433");
inline constexpr Guid InlineData = MakeGuid("3a23eea0-94b1-11d0-ab39-0020af71e433");
inline constexpr Guid Url = MakeGuid("3a23eea1-94b1-11d0-ab39-0020af71e433");
inline constexpr Guid ProgressiveMesh = MakeGuid("8a63c360-997d-11d0-941c-0080c80cfa7b");
inline constexpr Guid GuidTemplate = MakeGuid("a42790e0-7810-11cf-8f52-0040333594a3");
inline constexpr Guid StringProperty = MakeGuid("7f0f21e0-bfe1-11d1-82c0-00a0c9697271");
inline constexpr Guid PropertyBag = MakeGuid("7f0f21e1-bfe1-11d1-82c0-00a0c9697271");
inline constexpr Guid ExternalVisual = MakeGuid("98116aa0-bdba-11d1-82c0-00a0c9697271");
inline constexpr Guid RightHanded = MakeGuid("7f5d5ea0-d53a-11d1-82c0-00a0c9697271");

// The skinning and effect extension templates (the second set).
inline constexpr Guid XSkinMeshHeader = MakeGuid("3cf169ce-ff7c-44ab-93c0-f78f62d172e2");
inline constexpr Guid VertexDuplicationIndices = MakeGuid("b8d65549-d7c9-4995-89cf-53a9a8b031e3");
inline constexpr Guid FaceAdjacency = MakeGuid("a64c844a-e282-4756-8b80-250cde04398c");
inline constexpr Guid SkinWeights = MakeGuid("6f0d123b-bad2-4167-a0d0-80224f25fabb");
inline constexpr Guid Patch = MakeGuid("a3eb5d44-fc22-429d-9afb-3221cb9719a6");
inline constexpr Guid PatchMesh = MakeGuid("d02c95cc-edba-4305-9b5d-1820d7704bbf");
inline constexpr Guid PatchMesh9 = MakeGuid("b9ec94e1-b9a6-4251-ba18-94893f02c0ea");
inline constexpr Guid EffectFloats = MakeGuid("f1cfe2b3-0de3-4e28-afa1-155a750a282d");
inline constexpr Guid EffectString = MakeGuid("d55b097e-bdb6-4c52-b03d-6051c89d0e42");
inline constexpr Guid EffectDWord = MakeGuid("622c0ed0-956e-4da9-908a-2af94f3ce716");
inline constexpr Guid EffectParamFloats = MakeGuid("3014b9a0-62f5-478c-9b86-e4ac9f4e418b");
inline constexpr Guid EffectParamString = MakeGuid("1dbc4c88-94c1-46ee-9076-2c28818c9481");
inline constexpr Guid EffectParamDWord = MakeGuid("e13963bc-ae51-4c5d-b00f-cfa3a9d97ce5");
inline constexpr Guid EffectInstance = MakeGuid("e331f7e4-0559-4cc2-8e99-1cec1657928f");
inline constexpr Guid AnimTicksPerSecond = MakeGuid("9e415a43-7ba6-4a73-8743-b73d47e88476");
inline constexpr Guid CompressedAnimationSet = MakeGuid("7f9b00b3-f125-4890-876e-1c42bf697c4d");

// The vertex-data extension templates (the third set).
inline constexpr Guid FVFData = MakeGuid("b6e70a0e-8ef9-4e83-94ad-ecc8b0c04897");
inline constexpr Guid VertexElement = MakeGuid("f752461c-1e23-48f6-b9f8-8350850f336f");
inline constexpr Guid DeclData = MakeGuid("bf22e553-292c-4781-9fea-62bd554bdd93");
inline constexpr Guid PMAttributeRange = MakeGuid("917e0427-c61e-4a14-9c64-afe65f9e9844");
inline constexpr Guid PMVSplitRecord = MakeGuid("574ccc14-f0b3-4333-822d-93e8a8a08e4c");
inline constexpr Guid PMInfo = MakeGuid("b6c3e656-ec8b-4b92-9b62-681659522947");

}  // namespace tid

// True for the templates of the standard retained-mode set. Saved files leave their definitions
// out, as readers know them; every other template used is defined at the top of the file.
bool IsStandardTemplate(const Guid& id);

}  // namespace xof
