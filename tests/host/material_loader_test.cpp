// Scene files of version 4: materials and maps arrive in the in-memory host as the file states
// them, texture paths reach the exporter in host form (stale ones of other machines as written),
// and every broken material list is refused with the place and the problem.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/bitmap.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/scene_loader.h"
#include "host/sim/scene_file/texture_path.h"
#include "host/sim/sim_material.h"
#include "host/sim/sim_shade_context.h"
#include "host/sim/sim_texmap.h"
#include "platform/host_path.h"
#include "scene_file_expectations.h"

namespace {

namespace fs = std::filesystem;
using test::BadScene;
using test::ExpectRefused;
using test::Scene;

const fs::path kExamples = fs::path(RUV_SOURCE_DIR) / "examples";

// A version 4 scene of `materials` and one node "N" using `material` (none when empty).
std::string WithMaterials(const std::string& materials, const std::string& material = "") {
  std::string node =
      material.empty() ? R"({"name": "N"})" : R"({"name": "N", "material": ")" + material + R"("})";
  return Scene(R"(, "materials": [)" + materials + R"(], "nodes": [)" + node + "]", 4);
}

TEST(MaterialLoader, MaterialsExampleHoldsWhatItDescribes) {
  auto scene = sim::LoadSceneFile(kExamples / "materials.json");
  fs::path folder = fs::absolute(kExamples).lexically_normal();

  Mtl* crate = scene->FindNode(L"Crate")->GetMtl();
  ASSERT_NE(crate, nullptr);
  EXPECT_EQ(crate->ClassID(), MULTI_CLASS_ID);
  ASSERT_EQ(crate->NumSubMtls(), 3);
  EXPECT_EQ(crate->GetSubMtl(1), nullptr);
  Mtl* wood = scene->FindNode(L"Table")->GetMtl();
  EXPECT_EQ(crate->GetSubMtl(0), wood);
  EXPECT_EQ(scene->FindNode(L"Shelf")->GetMtl(), wood);
  EXPECT_EQ(scene->FindNode(L"Floor")->GetMtl(), nullptr);

  // The stale path of another machine is handed over as written.
  auto* grain = dynamic_cast<BitmapTex*>(wood->GetSubTexmap(sim::kDiffuseSlot));
  ASSERT_NE(grain, nullptr);
  EXPECT_STREQ(grain->GetName(), L"Wood Grain");
  EXPECT_STREQ(grain->GetMapName(), L"C:\\old\\wood.bmp");
  EXPECT_EQ(grain->GetTextureTiling(), U_WRAP | V_MIRROR);
  // The scene folder, where the exporter's search starts, holds the texture in a subfolder.
  EXPECT_TRUE(fs::exists(platform::ToNativePath(scene->Host().GetCurFilePath()).parent_path() /
                         "textures" / "wood.bmp"));

  Texmap* checker = crate->GetSubMtl(2)->GetSubTexmap(1);
  // Repeated four times, checks an eighth of a tile wide: (0.01, 0.01) and (0.13, 0.01) differ.
  sim::SimShadeContext first({0.01f, 0.01f, 0}, {}), second({0.13f, 0.01f, 0}, {});
  EXPECT_NE(checker->EvalColor(first), checker->EvalColor(second));

  // Relative paths of the effect and its bitmap resolve against the file's folder.
  Mtl* glow = scene->FindNode(L"Lamp")->GetMtl();
  IParamBlock2* effectBlock = glow->GetParamBlock(1);
  EXPECT_EQ(std::wstring(effectBlock->GetStr(effectBlock->IndextoID(0))),
            platform::ToHostPath(folder / "effects" / "glow.fx"));
  auto* effect = dynamic_cast<IDxMaterial*>(glow->GetInterface(IDXMATERIAL_INTERFACE_ID));
  ASSERT_NE(effect, nullptr);
  ASSERT_EQ(effect->GetNumberOfEffectBitmaps(), 1);
  EXPECT_EQ(std::wstring(effect->GetEffectBitmap(0)->bi.Name()),
            platform::ToHostPath(folder / "textures" / "wood.bmp"));
  IParamBlock2* params = glow->GetParamBlock(0);
  EXPECT_FLOAT_EQ(params->GetAColor(params->IndextoID(1)).g, 0.5f);
}

TEST(MaterialLoader, TexturePathsOfThisAndOtherMachines) {
  const fs::path base = "/work/scenes";
  struct Case {
    const wchar_t* written;
    const wchar_t* handedOver;
  };
  const Case cases[] = {
      {L"C:\\old\\wood.jpg", L"C:\\old\\wood.jpg"},
      {L"C:/old/../wood.jpg", L"C:\\old\\..\\wood.jpg"},  // not folded: not a path of this machine
      {L"d:wood.jpg", L"d:wood.jpg"},
      {L"\\\\server/maps\\a.png", L"\\\\server\\maps\\a.png"},
      {L"textures/../maps/./a.png", L"\\work\\scenes\\maps\\a.png"},
      {L"maps\\a.png", L"\\work\\scenes\\maps\\a.png"},
      {L"/srv/maps/a.png", L"\\srv\\maps\\a.png"},
      {L"", L""},
      // A colon later in the name is no drive.
      {L"ab:c.png", L"\\work\\scenes\\ab:c.png"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::ResolveTexturePath(c.written, base), c.handedOver) << c.written;
  }
}

TEST(MaterialLoader, MapsAndParametersFromAFile) {
  auto scene = sim::LoadSceneText(WithMaterials(R"(
    {"id": "s", "name": "S", "type": "standard", "classId": [3, 0], "transparency": 0.25,
     "maps": {"1": {"type": "bitmap", "file": "w.png", "crop": {"u": 0.5, "width": 0.5, "mode": "place"},
                    "offset": [0.25, 0], "mapChannel": 3},
              "bump": {"type": "normalBump", "map": {"type": "bitmap", "file": "n.png"}, "enabled": false},
              "opacity": null}},
    {"id": "fx", "name": "Fx", "type": "directx",
     "parameters": [{"name": "on", "type": "bool", "value": true},
                    {"name": "v", "type": "point4", "value": [1, 2, 3, 4]},
                    {"name": "none", "type": "texmap"},
                    {"name": "tex", "type": "bitmap", "value": "C:\\t.png", "mapChannel": 0}]},
    {"id": "m", "name": "M", "type": "multi", "subMaterials": ["s", "fx"]})",
                                                "m"),
                                  "text", "/work/a");
  Mtl* multi = scene->FindNode(L"N")->GetMtl();
  auto* standard = dynamic_cast<StdMat*>(multi->GetSubMtl(0));
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->ClassID(), DMTL2_CLASS_ID);
  EXPECT_FLOAT_EQ(standard->GetXParency(0, FALSE), 0.25f);
  auto* bitmap = dynamic_cast<BitmapTex*>(standard->GetSubTexmap(1));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_STREQ(bitmap->GetMapName(), L"\\work\\a\\w.png");
  EXPECT_EQ(bitmap->GetMapChannel(), 3);
  IParamBlock2* crop = bitmap->GetParamBlock(0);
  EXPECT_FLOAT_EQ(crop->GetFloat(sim::kBitmapCropU), 0.5f);
  EXPECT_FLOAT_EQ(crop->GetFloat(sim::kBitmapCropHeight), 1.0f);
  EXPECT_EQ(crop->GetInt(sim::kBitmapCropApply), 1);
  EXPECT_EQ(crop->GetInt(sim::kBitmapCropPlace), 1);
  Matrix3 transform;
  bitmap->GetUVTransform(transform);
  EXPECT_FLOAT_EQ(transform.GetTrans().x, 0.25f);
  EXPECT_FALSE(standard->MapEnabled(8));
  EXPECT_EQ(standard->GetSubTexmap(8)->ClassID(), GNORMAL_CLASS_ID);
  EXPECT_EQ(standard->GetSubTexmap(6), nullptr);

  Mtl* fx = multi->GetSubMtl(1);
  IParamBlock2* params = fx->GetParamBlock(0);
  EXPECT_EQ(params->GetInt(0), 1);
  EXPECT_FLOAT_EQ(params->GetPoint4(1).w, 4);
  EXPECT_EQ(params->GetParamDef(2).type, TYPE_TEXMAP);
  EXPECT_EQ(params->GetTexmap(2), nullptr);
  auto* effect = dynamic_cast<IDxMaterial*>(fx->GetInterface(IDXMATERIAL_INTERFACE_ID));
  EXPECT_STREQ(effect->GetEffectBitmap(0)->bi.Name(), L"C:\\t.png");
  EXPECT_EQ(effect->GetBitmapMappingChannel(0), 0);
  // No "effectFile": the block is there, without the parameter.
  EXPECT_EQ(fx->GetParamBlock(1)->NumParams(), 0);
}

TEST(MaterialLoader, BrokenMaterialListsAreRefusedAtTheirPlace) {
  std::string chain;
  for (int i = 0; i <= sim::SceneLimits::kMaxMaterialDepth; ++i) {
    chain += (i ? ", " : "") + std::string(R"({"name": "c)") + std::to_string(i) +
             R"(", "type": "other", "subMaterials": [)" +
             (i < sim::SceneLimits::kMaxMaterialDepth ? "\"c" + std::to_string(i + 1) + "\"" : "") +
             "]}";
  }
  const BadScene cases[] = {
      // References.
      {WithMaterials(R"({"name": "Wood", "type": "standard"})", "Wod"), "/nodes/0/material",
       "no material has the id \"Wod\""},
      {WithMaterials(R"({"name": "M", "type": "multi", "subMaterials": ["A"]})"),
       "/materials/0/subMaterials/0", "no material has the id \"A\""},
      {WithMaterials(R"({"name": "A", "type": "standard"}, {"name": "A", "type": "multi"})"),
       "/materials/1", "the material id \"A\" is already used by /materials/0"},
      // Materials that contain themselves, directly or through others.
      {WithMaterials(R"({"name": "M", "type": "multi", "subMaterials": [null, "M"]})"),
       "/materials/0/subMaterials/1", "the material contains itself: M -> M"},
      {WithMaterials(R"({"name": "A", "type": "other", "subMaterials": ["B"]},
                        {"name": "B", "type": "multi", "subMaterials": ["C", "A"]},
                        {"name": "C", "type": "standard"})"),
       "/materials/1/subMaterials/1", "the material contains itself: A -> B -> A"},
      {WithMaterials(chain), "/materials/0", "more than 100 levels deep"},
      // Slots.
      {WithMaterials(R"({"name": "S", "type": "standard", "maps": {"12": {"type": "checker"}}})"),
       "/materials/0/maps/12", "unknown map slot \"12\""},
      {WithMaterials(
           R"({"name": "S", "type": "standard", "maps": {"difuse": {"type": "checker"}}})"),
       "/materials/0/maps/difuse", "a slot is a number from 0 to 11 or one of"},
      {WithMaterials(
           R"({"name": "S", "type": "standard", "maps": {"1": {"type": "checker"}, "diffuse": {"type": "noise"}}})"),
       "/materials/0/maps/diffuse", "map slot 1 is given twice"},
      {WithMaterials(
           R"({"name": "O", "type": "other", "subMaps": [{"type": "checker", "enabled": false}]})"),
       "/materials/0/subMaps/0/enabled", "unknown key \"enabled\""},
      {WithMaterials(R"({"name": "S", "type": "multi", "maps": {}})"), "/materials/0/maps",
       "unknown key \"maps\""},
      // Types and values.
      {WithMaterials(R"({"name": "S", "type": "phong"})"), "/materials/0/type",
       "unknown material type \"phong\""},
      {WithMaterials(R"({"name": "S", "type": "standard", "classId": [512, 0]})"),
       "/materials/0/classId", "[2, 0] or [3, 0]"},
      // Impostors: an object answers only a class it implements.
      {WithMaterials(R"({"name": "S", "type": "other", "classId": [2, 0]})"),
       "/materials/0/classId", "cannot claim the standard material's class"},
      {WithMaterials(R"({"name": "S", "type": "other", "classId": [3, 0]})"),
       "/materials/0/classId", "cannot claim the standard material's class"},
      {WithMaterials(
           R"({"name": "S", "type": "other", "subMaps": [{"type": "custom", "classId": [576, 0]}]})"),
       "/materials/0/subMaps/0/classId", "cannot claim the bitmap's class"},
      {WithMaterials(
           R"({"name": "S", "type": "other", "subMaps": [{"type": "custom", "classId": ["0x243e22c6", "0x63f6a014"]}]})"),
       "/materials/0/subMaps/0/classId", "normal bump"},
      {WithMaterials(R"({"name": "S", "type": "other", "subMaps": [{"type": "marble"}]})"),
       "/materials/0/subMaps/0/type", "unknown map type \"marble\""},
      {WithMaterials(R"({"name": "S", "type": "other", "subMaps": [{"type": "bitmap"}]})"),
       "/materials/0/subMaps/0", "\"file\" is missing"},
      {WithMaterials(
           R"({"name": "S", "type": "other", "subMaps": [{"type": "checker", "tiling": ["uWarp"]}]})"),
       "/materials/0/subMaps/0/tiling/0", "unknown tiling flag \"uWarp\""},
      {WithMaterials(
           R"({"name": "S", "type": "other", "subMaps": [{"type": "checker", "mapChannel": 100}]})"),
       "/materials/0/subMaps/0/mapChannel", "outside 0 to 99"},
      {WithMaterials(
           R"({"name": "S", "type": "other", "subMaps": [{"type": "checker", "colors": [[1, 0, 0]]}]})"),
       "/materials/0/subMaps/0/colors", "expected 2 elements, found 1"},
      {WithMaterials(
           R"({"name": "D", "type": "directx", "parameters": [{"name": "p", "type": "matrix"}]})"),
       "/materials/0/parameters/0/type", "unknown parameter type \"matrix\""},
      {WithMaterials(
           R"({"name": "D", "type": "directx", "parameters": [{"name": "p", "type": "int", "value": 1.5}]})"),
       "/materials/0/parameters/0/value", "expected an integer"},
      {WithMaterials(
           R"({"name": "D", "type": "directx", "parameters": [{"name": "p", "type": "float", "mapChannel": 1}]})"),
       "/materials/0/parameters/0/mapChannel", "only a bitmap parameter"},
      {WithMaterials(R"({"name": "S", "type": "standard", "transparency": 2})"),
       "/materials/0/transparency", "between 0 and 1"},
      // Versions.
      {Scene(R"(, "materials": [])", 3), "/materials", "needs format version 4"},
      {Scene(R"(, "nodes": [{"name": "N", "material": "M"}])", 3), "/nodes/0/material",
       "needs format version 4"},
  };
  for (const BadScene& bad : cases) ExpectRefused(bad.text, bad.place, bad.problem);
}

}  // namespace
