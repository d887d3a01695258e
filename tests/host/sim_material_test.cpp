// The in-memory host's materials and maps as the exporter queries them: procedural maps evaluated
// at known points, placements, parameter blocks asked for the wrong type, the kinds of material,
// and sharing of materials between nodes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "host/sim/scene_builder.h"
#include "host/sim/sim_shade_context.h"

namespace {

using namespace sim;

const AColor kRed{1, 0, 0, 1}, kGreen{0, 1, 0, 1}, kBlue{0, 0, 1, 0.5f};

// The scene's object for `material`, given to a node of a fresh scene.
struct OneMaterial {
  explicit OneMaterial(const MaterialBuilder& material) {
    SceneBuilder b;
    b.Root().AddChild(L"Node").Material(material);
    scene = b.Build();
    mtl = scene->FindNode(L"Node")->GetMtl();
  }
  std::unique_ptr<SimScene> scene;
  Mtl* mtl = nullptr;
};

// `map` as slot 0 of an "other" material of its own scene.
struct OneMap {
  explicit OneMap(const MapBuilder& map) : holder(OtherMaterial(L"Holder").SubMap(0, map)) {
    texmap = holder.mtl->GetSubTexmap(0);
  }
  AColor At(float u, float v, const Point3& objectPoint = {}) {
    SimShadeContext context({u, v, 0}, objectPoint);
    return texmap->EvalColor(context);
  }
  OneMaterial holder;
  Texmap* texmap = nullptr;
};

void ExpectColor(const AColor& actual, const AColor& expected) {
  EXPECT_NEAR(actual.r, expected.r, 1e-5);
  EXPECT_NEAR(actual.g, expected.g, 1e-5);
  EXPECT_NEAR(actual.b, expected.b, 1e-5);
  EXPECT_NEAR(actual.a, expected.a, 1e-5);
}

TEST(SimMaps, CheckerAlternatesEveryHalfTileAndRepeats) {
  OneMap checker(Checker(kRed, kGreen));
  ASSERT_EQ(checker.texmap->ClassID(), kCheckerMapClass);
  // The four samples of a 2 x 2 rendering: the diagonal checks agree.
  EXPECT_EQ(checker.At(0, 1), kRed);
  EXPECT_EQ(checker.At(0.5f, 1), kGreen);
  EXPECT_EQ(checker.At(0, 0.5f), kGreen);
  EXPECT_EQ(checker.At(0.5f, 0.5f), kRed);

  // Repeated twice about the centre, (0.375, 0.25) lands on (0.25, 0) and (0.5, 0.25) on
  // (0.5, 0): the checks are a quarter tile wide now.
  OneMap twice(Checker(kRed, kGreen).Repeat(2, 2));
  EXPECT_EQ(twice.At(0.375f, 0.25f), kRed);
  EXPECT_EQ(twice.At(0.5f, 0.25f), kGreen);
  // Coordinates far outside 0..1 and not-a-number still answer one of the two colours.
  AColor far = twice.At(-1e30f, std::numeric_limits<float>::quiet_NaN());
  EXPECT_TRUE(far == kRed || far == kGreen);
}

TEST(SimMaps, GradientBlendsThroughItsMiddleAndTilesAsItsFlagsSay) {
  OneMap gradient(Gradient(kRed, kGreen, kBlue));
  ExpectColor(gradient.At(0.3f, 1), kRed);
  ExpectColor(gradient.At(0.3f, 0.5f), kGreen);
  ExpectColor(gradient.At(0.3f, 0), kBlue);
  ExpectColor(gradient.At(0.3f, 0.75f), {0.5f, 0.5f, 0, 1});

  // Moved up by 0.5, v = 0.75 reads 1.25: mirrored that is 0.75, wrapped 0.25, held 1.
  auto at = [](int tiling) {
    OneMap map(Gradient(kRed, kGreen, kBlue).Offset(0, 0.5f).Tiling(tiling));
    return map.At(0, 0.75f);
  };
  ExpectColor(at(V_MIRROR), {0.5f, 0.5f, 0, 1});
  ExpectColor(at(V_WRAP), {0, 0.5f, 0.5f, 0.75f});
  ExpectColor(at(0), kRed);

  // A middle at the top leaves one blend from the bottom colour up to it.
  OneMap top(Gradient(kRed, kGreen, kBlue, 1.0f));
  ExpectColor(top.At(0, 1), kRed);
  ExpectColor(top.At(0, 0.5f), {0, 0.5f, 0.5f, 0.75f});
}

TEST(SimMaps, NoiseFollowsTheObjectPointAndIsTheSameInEveryScene) {
  OneMap noise(Noise(kRed, kGreen, 10));
  OneMap again(Noise(kRed, kGreen, 10));
  int differing = 0;
  AColor first = noise.At(0, 0, {0, 100, 0});
  for (int i = 0; i < 20; ++i) {
    Point3 p(i * 3.7f, 100 - i * 4.1f, 0);
    AColor color = noise.At(0, 0, p);
    EXPECT_EQ(color, again.At(0, 0, p));
    // Texture coordinates play no part.
    EXPECT_EQ(color, noise.At(0.9f, 0.1f, p));
    // Between the two colours: red fades as green grows.
    EXPECT_GE(color.g, 0);
    EXPECT_LE(color.g, 1);
    EXPECT_NEAR(color.r + color.g, 1, 1e-5);
    if (!(color == first)) ++differing;
  }
  EXPECT_GT(differing, 10);
  // Points no lattice can hold stay in range.
  for (float c : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN()}) {
    AColor color = noise.At(0, 0, {c, c, c});
    EXPECT_GE(color.g, 0);
    EXPECT_LE(color.g, 1);
  }
}

TEST(SimMaps, NormalBumpShowsItsNormalMapAndOtherMapsTheirFlatColour) {
  OneMap bump(NormalBump(Checker(kRed, kGreen)));
  EXPECT_EQ(bump.texmap->ClassID(), GNORMAL_CLASS_ID);
  ASSERT_NE(bump.texmap->GetSubTexmap(0), nullptr);
  EXPECT_EQ(bump.texmap->GetSubTexmap(0)->ClassID(), kCheckerMapClass);
  EXPECT_EQ(bump.texmap->GetSubTexmap(1), nullptr);
  EXPECT_EQ(bump.At(0.5f, 1), kGreen);

  OneMap vertexColor(VertexColorMap().Channel(0));
  EXPECT_EQ(vertexColor.texmap->ClassID(), VERTEX_COLOR_CLASS_ID);
  EXPECT_EQ(vertexColor.texmap->GetMapChannel(), 0);
  EXPECT_EQ(vertexColor.At(0.2f, 0.2f), AColor(1, 1, 1, 1));
}

TEST(SimMaps, PlacementComposesAboutTheCentreAndDefaultsToTheExactIdentity) {
  Matrix3 transform;
  transform.Zero();
  OneMap plain(BitmapTexture(L"a.png"));
  plain.texmap->GetUVTransform(transform);
  // The exporter compares with the identity exactly.
  EXPECT_TRUE(transform.IsIdentity());
  EXPECT_EQ(plain.texmap->GetTextureTiling(), U_WRAP | V_WRAP);
  EXPECT_EQ(plain.texmap->GetMapChannel(), 1);

  auto place = [](const UVPlacement& placement, Point3 uv) {
    return uv * UVTransformOf(placement);
  };
  auto expectNear = [](Point3 a, Point3 b) {
    EXPECT_NEAR(a.x, b.x, 1e-5);
    EXPECT_NEAR(a.y, b.y, 1e-5);
  };
  // The centre stays put under repeats and turns; the offset moves everything.
  expectNear(place({.offsetU = 0.1f, .repeatU = 2, .repeatV = 2}, {0.5f, 0.5f, 0}),
             {0.6f, 0.5f, 0});
  expectNear(place({.offsetU = 0.1f, .repeatU = 2, .repeatV = 2}, {1, 0.5f, 0}), {1.6f, 0.5f, 0});
  expectNear(place({.angle = 90}, {1, 0.5f, 0}), {0.5f, 1, 0});
  // Repeats apply before the turn: U stretched, then turned onto V.
  expectNear(place({.repeatU = 2, .angle = 90}, {1, 0.5f, 0}), {0.5f, 1.5f, 0});
}

TEST(SimParamBlocks, AWrongTypeOrAnUnknownIdAnswersZeroEmptyOrNull) {
  OneMap bitmap(BitmapTexture(L"wood.jpg").Place(0.1f, 0.2f, 0.5f, 0.25f));
  IParamBlock2* block = bitmap.texmap->GetParamBlock(0);
  ASSERT_NE(block, nullptr);
  // IDs are not positions: the apply flag is ID 6 at position 4.
  ASSERT_EQ(block->NumParams(), 6);
  EXPECT_EQ(block->IndextoID(4), kBitmapCropApply);
  EXPECT_EQ(block->IndextoID(6), -1);
  EXPECT_EQ(block->IndextoID(-1), -1);
  EXPECT_FLOAT_EQ(block->GetFloat(kBitmapCropV), 0.2f);
  EXPECT_FLOAT_EQ(block->GetFloat(kBitmapCropHeight), 0.25f);
  EXPECT_EQ(block->GetInt(kBitmapCropApply), 1);
  EXPECT_EQ(block->GetInt(kBitmapCropPlace), 1);
  EXPECT_EQ(block->GetParamDef(kBitmapCropApply).type, TYPE_BOOL);
  // Asked as another type: zero, never the bits of the stored value.
  EXPECT_EQ(block->GetInt(kBitmapCropV), 0);
  EXPECT_EQ(block->GetFloat(kBitmapCropApply), 0.0f);
  EXPECT_STREQ(block->GetStr(kBitmapCropU), L"");
  EXPECT_EQ(block->GetTexmap(kBitmapCropU), nullptr);
  EXPECT_EQ(block->GetBitmap(kBitmapCropU), nullptr);
  ParamDef& unknown = block->GetParamDef(5);
  EXPECT_STREQ(unknown.int_name, L"");
  EXPECT_EQ(unknown.type, kNoParamType);
  EXPECT_EQ(bitmap.texmap->GetParamBlock(1), nullptr);

  SimParamBlock direct;
  direct.Add(3, L"tint", TYPE_RGBA, Point3(0.1f, 0.2f, 0.3f));
  direct.Add(4, L"rgba", TYPE_FRGBA, AColor(1, 2, 3, 4));
  // A value that does not suit its type is stored as the type's zero.
  direct.Add(5, L"count", TYPE_INT, 2.5f);
  EXPECT_EQ(direct.GetAColor(3), AColor(0.1f, 0.2f, 0.3f, 1));
  EXPECT_EQ(direct.GetPoint3(3), Point3(0.1f, 0.2f, 0.3f));
  EXPECT_FLOAT_EQ(direct.GetPoint4(4).w, 4);
  EXPECT_EQ(direct.GetPoint3(4), Point3());
  EXPECT_EQ(direct.GetInt(5), 0);
  EXPECT_EQ(direct.GetParamDef(5).type, TYPE_INT);
}

TEST(SimMaterials, StandardMaterialSlotsAndColourQueries) {
  OneMaterial wood(
      StandardMaterial(L"Wood")
          .Diffuse({0.6f, 0.4f, 0.2f})
          .Shininess(0.3f)
          .SelfIllumination({0.1f, 0.1f, 0.1f})
          .Map(kDiffuseSlot, BitmapTexture(L"C:\\old\\wood.jpg").Tiling(U_WRAP | V_MIRROR))
          .Map(kBumpSlot, Checker(), false));
  auto* standard = dynamic_cast<StdMat*>(wood.mtl);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->ClassID(), DMTL_CLASS_ID);
  EXPECT_EQ(standard->SuperClassID(), MATERIAL_CLASS_ID);
  EXPECT_EQ(standard->NumSubMtls(), 0);
  EXPECT_EQ(standard->NumSubTexmaps(), kStandardSlotCount);
  EXPECT_TRUE(standard->MapEnabled(kDiffuseSlot));
  EXPECT_FALSE(standard->MapEnabled(kBumpSlot));
  EXPECT_NE(standard->GetSubTexmap(kBumpSlot), nullptr);
  // An empty slot is on, and slots out of range are off and empty.
  EXPECT_TRUE(standard->MapEnabled(kSpecularSlot));
  EXPECT_EQ(standard->GetSubTexmap(kSpecularSlot), nullptr);
  EXPECT_FALSE(standard->MapEnabled(kStandardSlotCount));
  EXPECT_EQ(standard->GetSubTexmap(-1), nullptr);

  auto* bitmap = dynamic_cast<BitmapTex*>(standard->GetSubTexmap(kDiffuseSlot));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_STREQ(bitmap->GetMapName(), L"C:\\old\\wood.jpg");
  EXPECT_EQ(bitmap->GetTextureTiling(), U_WRAP | V_MIRROR);

  EXPECT_EQ(standard->GetDiffuse(0), Color(0.6f, 0.4f, 0.2f));
  EXPECT_EQ(standard->GetDiffuse(0, FALSE), standard->GetDiffuse(0));
  EXPECT_FLOAT_EQ(standard->GetShininess(0), 0.3f);
  EXPECT_TRUE(standard->GetSelfIllumColorOn(0, FALSE));
}

TEST(SimMaterials, MultiOtherAndDirectXMaterials) {
  MaterialBuilder glass = OtherMaterial(L"Glass").SubMap(2, BitmapTexture(L"glass.png"));
  OneMaterial multi(MultiMaterial(L"Multi", {StandardMaterial(L"A"), nullptr, glass}));
  EXPECT_EQ(multi.mtl->ClassID(), MULTI_CLASS_ID);
  ASSERT_EQ(multi.mtl->NumSubMtls(), 3);
  EXPECT_EQ(multi.mtl->GetSubMtl(1), nullptr);
  EXPECT_EQ(multi.mtl->GetSubMtl(3), nullptr);
  Mtl* other = multi.mtl->GetSubMtl(2);
  EXPECT_EQ(other->ClassID(), kOtherMaterialClass);
  EXPECT_EQ(other->NumSubTexmaps(), 3);
  EXPECT_EQ(other->GetSubTexmap(0), nullptr);
  EXPECT_EQ(other->GetSubTexmap(2)->ClassID(), BMTEX_CLASS_ID);
  EXPECT_EQ(other->GetInterface(DXMATERIAL_INTERFACE_ID), nullptr);

  OneMaterial dx(DxMaterial(L"Fx", L"C:\\fx\\glow.fx")
                     .FloatParam(L"gloss", 0.5f)
                     .BitmapParam(L"diffuseMap", L"\\maps\\wood.jpg", 2)
                     .IntParam(L"diffuseMapChannel", 2)
                     .BitmapParam(L"unset", L"")
                     .MapParam(L"pattern", Checker()));
  ASSERT_NE(dx.mtl->GetInterface(DXMATERIAL_INTERFACE_ID), nullptr);
  auto* effect = dynamic_cast<IDxMaterial*>(dx.mtl->GetInterface(IDXMATERIAL_INTERFACE_ID));
  ASSERT_NE(effect, nullptr);
  ASSERT_EQ(effect->GetNumberOfEffectBitmaps(), 2);
  EXPECT_STREQ(effect->GetEffectBitmap(0)->bi.Name(), L"\\maps\\wood.jpg");
  EXPECT_STREQ(effect->GetEffectBitmap(0)->bi.Filename(), L"wood.jpg");
  EXPECT_EQ(effect->GetBitmapMappingChannel(0), 2);
  EXPECT_EQ(effect->GetEffectBitmap(1), nullptr);
  EXPECT_EQ(effect->GetEffectBitmap(2), nullptr);
  EXPECT_EQ(effect->GetBitmapMappingChannel(-1), 0);

  ASSERT_EQ(dx.mtl->NumParamBlocks(), 2);
  IParamBlock2* params = dx.mtl->GetParamBlock(0);
  ASSERT_EQ(params->NumParams(), 5);
  EXPECT_STREQ(params->GetParamDef(params->IndextoID(2)).int_name, L"diffuseMapChannel");
  EXPECT_EQ(params->GetTexmap(params->IndextoID(4))->ClassID(), kCheckerMapClass);
  IParamBlock2* file = dx.mtl->GetParamBlock(1);
  EXPECT_STREQ(file->GetParamDef(file->IndextoID(0)).int_name, L"effectfile");
  EXPECT_EQ(file->GetParamDef(file->IndextoID(0)).type, TYPE_FILENAME);
  EXPECT_STREQ(file->GetStr(file->IndextoID(0)), L"C:\\fx\\glow.fx");

  OneMaterial broken(
      DxMaterial(L"Broken", L"x.fx").BitmapParam(L"map", L"a.png").WithoutParamBlocks());
  EXPECT_EQ(broken.mtl->NumParamBlocks(), 0);
  EXPECT_EQ(broken.mtl->GetParamBlock(0), nullptr);
  auto* brokenEffect =
      dynamic_cast<IDxMaterial*>(broken.mtl->GetInterface(IDXMATERIAL_INTERFACE_ID));
  EXPECT_EQ(brokenEffect->GetEffectBitmap(0), nullptr);
}

TEST(SimMaterials, OneBuilderMakesOneObjectPerSceneWhereverItIsUsed) {
  MaterialBuilder wood = StandardMaterial(L"Wood").Map(kDiffuseSlot, BitmapTexture(L"w.jpg"));
  SceneBuilder b;
  b.Root().AddChild(L"Table").Material(wood);
  b.Root().AddChild(L"Chair").Material(wood);
  b.Root().AddChild(L"Crate").Material(MultiMaterial(L"Multi", {wood, wood}));
  b.Root().AddChild(L"Bare");
  auto scene = b.Build();
  Mtl* table = scene->FindNode(L"Table")->GetMtl();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(scene->FindNode(L"Chair")->GetMtl(), table);
  Mtl* multi = scene->FindNode(L"Crate")->GetMtl();
  EXPECT_EQ(multi->GetSubMtl(0), table);
  EXPECT_EQ(multi->GetSubMtl(1), table);
  EXPECT_EQ(scene->FindNode(L"Bare")->GetMtl(), nullptr);
  EXPECT_EQ(scene->Materials().MaterialCount(), 2u);
  EXPECT_EQ(scene->Materials().MapCount(), 1u);
  // Every build makes objects of its own.
  EXPECT_NE(b.Build()->FindNode(L"Table")->GetMtl(), table);
}

TEST(SimMaterials, BuilderMistakesAreRefused) {
  MaterialBuilder loop = OtherMaterial(L"Loop");
  loop.SubMaterials({StandardMaterial(L"Inner"), loop});
  SceneBuilder b;
  b.Root().AddChild(L"Node").Material(loop);
  EXPECT_THROW(b.Build(), std::invalid_argument);
  loop.SubMaterials({});  // breaks the reference cycle between the descriptions

  EXPECT_THROW(StandardMaterial(L"S").Map(kStandardSlotCount, Checker()), std::invalid_argument);
  EXPECT_THROW(OtherMaterial(L"O").Map(kDiffuseSlot, Checker()), std::invalid_argument);
  EXPECT_THROW(StandardMaterial(L"S").FloatParam(L"x", 1), std::invalid_argument);
  EXPECT_THROW(MaterialBuilder(nullptr).Diffuse({1, 1, 1}), std::invalid_argument);
  EXPECT_THROW(Checker().Crop(0, 0, 1, 1), std::invalid_argument);
}

}  // namespace

// The exporter calls the methods of the class an object claims: no object claims a class it is not.
TEST(SimMaterials, NoObjectClaimsAClassItDoesNotImplement) {
  EXPECT_THROW(sim::OtherMaterial(L"Fake", DMTL_CLASS_ID), std::invalid_argument);
  EXPECT_THROW(sim::OtherMaterial(L"Fake").ClassId(DMTL2_CLASS_ID), std::invalid_argument);
  EXPECT_THROW(sim::StandardMaterial(L"Real").ClassId(MULTI_CLASS_ID), std::invalid_argument);
  EXPECT_THROW(sim::CustomMap(BMTEX_CLASS_ID), std::invalid_argument);
  EXPECT_THROW(sim::CustomMap(GNORMAL_CLASS_ID), std::invalid_argument);
  EXPECT_NO_THROW(sim::OtherMaterial(L"Glass", Class_ID(0x1234, 0)));
  EXPECT_NO_THROW(sim::StandardMaterial(L"Real").ClassId(DMTL2_CLASS_ID));
}
