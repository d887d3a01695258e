// Material extraction on small stand-in materials: names, slots, transforms, kinds and lists.
#include "ruv/material/material_extraction.h"

#include <gtest/gtest.h>

#include "fake_materials.h"
#include "ruv/core/xnode.h"
#include "ruv/material/map_slots.h"
#include "ruv/material/map_uv_transform.h"
#include "ruv/material/node_materials.h"
#include "ruv/options/export_options.h"

namespace {

class MaterialTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    node_.name = L"Box01";
    mesh_.setNumFaces(1);
    mesh_.setNumVerts(3);
    mesh_.setMapSupport(1);
    node_.mesh = &mesh_;
  }
  void TearDown() override { gExportOptions = saved_; }

  const XMaterial& Entry(std::size_t i) {
    return *ResolveMaterial(*node_.materials.at(i), shared_);
  }

  ExportOptions saved_;
  Mesh mesh_;
  XRenderableNode node_;
  SharedMaterials shared_;
};

Point2 Apply(const Matrix2& m, float u, float v) { return Point2(u, v) * m; }

}  // namespace

TEST_F(MaterialTest, MultiMaterialWithAnEmptySlot) {
  fakes::Material a(DMTL_CLASS_ID, L"Wood"), b(DMTL_CLASS_ID, L"Steel");
  fakes::Material multi(MULTI_CLASS_ID, L"Multi");
  multi.subs = {&a, nullptr, &b};
  ASSERT_TRUE(ExtractNodeMaterials(&node_, shared_, &multi));
  ASSERT_EQ(node_.materials.size(), 3u);
  EXPECT_EQ(Entry(0).name, L"Wood");
  EXPECT_EQ(Entry(1).name, L"Material_NULL");
  EXPECT_EQ(Entry(2).name, L"Steel");
  EXPECT_EQ(shared_.size(), 3u);
  EXPECT_FALSE(ExtractNodeMaterials(&node_, shared_, nullptr));
}

TEST_F(MaterialTest, NamesAreCleanedAndKeptApartFromTheNode) {
  fakes::Material sameAsNode(DMTL_CLASS_ID, L"Box01"), digit(DMTL_CLASS_ID, L"7up"),
      odd(DMTL_CLASS_ID, L"a.b c");
  fakes::Material reserved(DMTL_CLASS_ID, L"string");
  for (fakes::Material* m : {&sameAsNode, &digit, &odd, &reserved})
    ExtractNodeMaterials(&node_, shared_, m);
  EXPECT_EQ(Entry(0).name, L"Mat_Box01");
  EXPECT_EQ(Entry(1).name, L"_7up");
  EXPECT_EQ(Entry(2).name, L"a_b_c");
  EXPECT_EQ(Entry(3).name, L"_string");
}

TEST_F(MaterialTest, SharedByHostMaterialUnlessInline) {
  fakes::Material first(DMTL_CLASS_ID, L"Paint"), second(DMTL_CLASS_ID, L"Paint");
  second.diffuse = {1, 0, 0};
  ExtractNodeMaterials(&node_, shared_, &first);
  ExtractNodeMaterials(&node_, shared_, &second);
  ExtractNodeMaterials(&node_, shared_, &first);
  ASSERT_EQ(shared_.size(), 2u) << "a different material with a taken name gets a name of its own";
  EXPECT_EQ(node_.materials[1]->type, kMaterialReference);
  EXPECT_EQ(Entry(1).name, L"Paint_");
  EXPECT_EQ(Entry(1).faceColor[0], 1.0f);
  EXPECT_EQ(Entry(2).name, L"Paint") << "the same material is the same record";

  gExportOptions.InlineMtl = 1;
  XRenderableNode other;
  other.name = L"Other";
  fakes::Material multi(MULTI_CLASS_ID, L"Multi");
  multi.subs = {nullptr, nullptr};
  ExtractNodeMaterials(&other, shared_, &multi);
  EXPECT_EQ(static_cast<XMaterial&>(*other.materials[0]).name, L"Material_NULL");
  EXPECT_EQ(static_cast<XMaterial&>(*other.materials[1]).name, L"Material_NULL_");
}

TEST_F(MaterialTest, MapNamesAreUniqueWithinTheMaterial) {
  XMaterial record;
  record.maps[0].name = MakeMapName(record, L"Map #1");
  record.maps[1].name = MakeMapName(record, L"Map #1");
  EXPECT_EQ(record.maps[0].name, L"Map__1");
  EXPECT_EQ(record.maps[1].name, L"Map__1_");
  XMaterial unnamed;
  unnamed.maps[0].name = MakeMapName(unnamed, L"");
  unnamed.maps[1].name = MakeMapName(unnamed, nullptr);
  EXPECT_EQ(unnamed.maps[0].name, L"_");
  EXPECT_EQ(unnamed.maps[1].name, L"__");
}

TEST_F(MaterialTest, TilingGivesAddressingAndMirrorScale) {
  fakes::Map map(BMTEX_CLASS_ID, L"Wood");
  map.tiling = U_WRAP | V_MIRROR;
  TextureAddressing addressing = AddressingOf(&map);
  EXPECT_EQ(addressing.u, 1u);
  EXPECT_EQ(addressing.v, 2u);
  Matrix2 m = ComputeMapUVTransform(&map);
  EXPECT_EQ(Apply(m, 0.25f, 0.25f), Point2(0.25f, 0.5f)) << "v doubled, then flipped";
  EXPECT_EQ(Apply(ComputeMapUVTransform(nullptr), 0.25f, 0.25f), Point2(0.25f, 0.75f));
}

TEST_F(MaterialTest, CropAppliesOnlyWithAnIdentityTransform) {
  fakes::Map map(BMTEX_CLASS_ID, L"Cropped");
  map.block = std::make_unique<fakes::ParamBlock>();
  map.block->Add(0, L"clipu", TYPE_FLOAT).f = 0.25f;
  map.block->Add(1, L"clipv", TYPE_FLOAT).f = 0.0f;
  map.block->Add(2, L"clipw", TYPE_FLOAT).f = 0.5f;
  map.block->Add(3, L"cliph", TYPE_FLOAT).f = 0.5f;
  map.block->Add(6, L"apply", TYPE_BOOL).i = 1;
  map.block->Add(7, L"cropPlace", TYPE_INT).i = 0;
  // (0, 0) lands on the crop's corner (0.25, 1 - 0.5 - 0) and is then flipped.
  EXPECT_EQ(Apply(ComputeMapUVTransform(&map), 0, 0), Point2(0.25f, 0.5f));
  EXPECT_EQ(Apply(ComputeMapUVTransform(&map), 1, 1), Point2(0.75f, 0.0f));
  map.uvTransform.SetTrans({0.1f, 0, 0});
  EXPECT_EQ(Apply(ComputeMapUVTransform(&map), 0, 0), Point2(0.1f, 1.0f))
      << "an offset ignores the crop";
}

TEST_F(MaterialTest, StandardMaterialSlotsAndColours) {
  fakes::Map diffuse(BMTEX_CLASS_ID, L"Diffuse"), bump(GNORMAL_CLASS_ID, L"Bump"),
      normals(BMTEX_CLASS_ID, L"Normals");
  diffuse.file = L"C:\\old\\wood.jpg";
  normals.file = L"maps/normals.png";
  bump.sub = &normals;
  fakes::Material wood(DMTL_CLASS_ID, L"Wood");
  wood.maps[1] = &diffuse;  // map 1 is slot 0
  wood.maps[9] = &bump;
  wood.transparency = 0.25f;
  ExtractNodeMaterials(&node_, shared_, &wood);
  const XMaterial& record = Entry(0);
  EXPECT_EQ(record.type, kPlainMaterial) << "FX off: plain";
  EXPECT_EQ(record.maps[0].role, XTextureSlot::kPrimary);
  EXPECT_EQ(record.maps[0].fileName, L"wood.jpg");
  EXPECT_EQ(record.maps[8].role, XTextureSlot::kNormalMap);
  EXPECT_EQ(record.maps[8].fileName, L"normals.png");
  EXPECT_EQ(record.faceColor, (std::array<float, 4>{1, 1, 1, 0.75f}))
      << "the diffuse map whitens the colour";

  gExportOptions.DiffuseMapColor = 1;
  gExportOptions.FX = 1;
  ExtractNodeMaterials(&node_, shared_, &wood);
  const XMaterial& effect = Entry(1);
  EXPECT_EQ(effect.type, kEffectMaterial) << "two used slots on a mesh with one channel";
  EXPECT_EQ(effect.faceColor[0], 0.5f);
}

TEST_F(MaterialTest, ProceduralSlotsAreRenderedFiles) {
  fakes::Map checker(Class_ID(0x200, 0x1), L"Checker");
  checker.uvTransform = ScaleMatrix({4, 4, 1});  // a repeat of 4: the rendered bitmap holds it
  fakes::Material mat(DMTL_CLASS_ID, L"Checkered");
  mat.maps[1] = &checker;
  ExtractNodeMaterials(&node_, shared_, &mat);
  const XTextureSlot& slot = Entry(0).maps[0];
  EXPECT_EQ(slot.uvTransform, ComputeMapUVTransform(nullptr))
      << "the tiling applies once, in the render";
  EXPECT_EQ(slot.fileName, L"Checker.bmp");
  EXPECT_EQ(slot.filePath, L"Checker.bmp");
  EXPECT_EQ(slot.proceduralMap, &checker);
  checker.channel = 0;
  fakes::Material other(DMTL_CLASS_ID, L"Other");
  other.maps[1] = &checker;
  ExtractNodeMaterials(&node_, shared_, &other);
  EXPECT_FALSE(Entry(1).maps[0].Used()) << "no channel, no slot";
}

TEST_F(MaterialTest, DirectXShaderMaterialKeepsItsEffectAndParameters) {
  BaseInterface marker;
  fakes::ParamBlock parameters, files;
  parameters.Add(1, L"g_Glow", TYPE_FLOAT).f = 0.75f;
  parameters.Add(2, L"g_Tint", TYPE_FRGBA).color = AColor(1, 0.5f, 0.25f, 1);
  parameters.Add(3, L"g_On", TYPE_BOOL).i = 1;
  parameters.Add(4, L"g_Label", TYPE_STRING).str = L"glow";
  parameters.Add(5, L"g_Count", TYPE_INT).i = 3;  // integers are not effect parameters
  fakes::Material dx(Class_ID(0x0ed995e4, 0x6133daf2), L"Glow Shader");
  dx.dxMarker = &marker;
  dx.blocks = {&parameters};
  // Without an effect file the material is unusable: a white error record in its place.
  ExtractNodeMaterials(&node_, shared_, &dx);
  EXPECT_EQ(Entry(0).name, L"Glow_Shader_ErrorDxMaterial");
  EXPECT_EQ(Entry(0).type, kPlainMaterial);

  files.Add(1, L"EffectFile", TYPE_FILENAME).str = L"C:\\fx\\glow.fx";
  dx.blocks = {&parameters, &files};
  ExtractNodeMaterials(&node_, shared_, &dx);
  ASSERT_EQ(node_.materials.back()->type, kEffectMaterial);
  const auto& effect = static_cast<const XEffectMaterial&>(*node_.materials.back());
  EXPECT_TRUE(effect.isDxMaterial);
  EXPECT_EQ(effect.name, L"Glow_Shader");
  ASSERT_EQ(effect.floatParams.size(), 2u);
  EXPECT_EQ(effect.floatParams[0].count, 1u);
  EXPECT_EQ(effect.floatParams[1].count, 4u);
  EXPECT_EQ(effect.floatParams[1].values[2], 0.25f);
  ASSERT_EQ(effect.dwordParams.size(), 1u);
  EXPECT_EQ(effect.dwordParams[0].name, L"g_On");
  ASSERT_EQ(effect.stringParams.size(), 1u);
  EXPECT_EQ(effect.stringParams[0].value, L"glow");
}
