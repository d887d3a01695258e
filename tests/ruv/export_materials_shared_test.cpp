// Shared materials are told apart by the host material they come from, not by their clean name.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "export_folder.h"
#include "host/sim/material_builder.h"
#include "ruv/core/shared_materials.h"

namespace {

using SharedMaterialTest = ExportFolderTest;

// The name of the material the mesh of `node` references (or holds) first.
std::string MaterialOf(const xof::XFileDocument& document, const std::string& node) {
  const xof::DataObject* frame = FindNamed(document, node);
  if (!frame) return "<no frame>";
  for (const auto& child : frame->children) {
    if (!child.object || child.object->type->name != "Mesh") continue;
    for (const auto& meshChild : child.object->children) {
      if (!meshChild.object || meshChild.object->type->name != "MeshMaterialList") continue;
      for (const auto& entry : meshChild.object->children) {
        return entry.IsReference() ? entry.reference.name : entry.object->name;
      }
    }
  }
  return "<no material>";
}

}  // namespace

TEST_F(SharedMaterialTest, MaterialsWhoseNamesCleanAlikeStayApart) {
  Options("");
  builder_.Root().AddChild(L"A").Box(1, 1, 1).Material(
      sim::StandardMaterial(L"\u6728\u5934").Diffuse({1, 0, 0}));
  builder_.Root().AddChild(L"B").Box(1, 1, 1).Material(
      sim::StandardMaterial(L"\u94a2\u94c1").Diffuse({0, 1, 0}));
  builder_.Root().AddChild(L"C").Box(1, 1, 1).Material(
      sim::StandardMaterial(L"Material #1").Diffuse({0, 0, 1}));
  builder_.Root().AddChild(L"D").Box(1, 1, 1).Material(
      sim::StandardMaterial(L"Material #1").Diffuse({1, 1, 0}));
  auto scene = builder_.Build();
  auto document = Export(*scene);
  ASSERT_TRUE(document);
  EXPECT_EQ(MaterialOf(*document, "A"), "__");
  EXPECT_EQ(MaterialOf(*document, "B"), "___");
  EXPECT_EQ(MaterialOf(*document, "C"), "Material__1");
  EXPECT_EQ(MaterialOf(*document, "D"), "Material__1_");
  const xof::DataObject* second = FindNamed(*document, "___");
  ASSERT_TRUE(second);
  std::vector<float> color(4);
  std::memcpy(color.data(), second->data.data(), 16);
  EXPECT_EQ(color[1], 1.0f) << "B keeps its own green";
}

TEST_F(SharedMaterialTest, OneHostMaterialIsOneSharedRecord) {
  Options("");
  sim::MaterialBuilder paint = sim::StandardMaterial(L"Paint").Diffuse({1, 0, 0});
  builder_.Root().AddChild(L"A").Box(1, 1, 1).Material(paint);
  builder_.Root().AddChild(L"B").Box(1, 1, 1).Material(paint);
  auto scene = builder_.Build();
  auto document = Export(*scene);
  ASSERT_TRUE(document);
  EXPECT_EQ(MaterialOf(*document, "A"), "Paint");
  EXPECT_EQ(MaterialOf(*document, "B"), "Paint");
  EXPECT_FALSE(FindNamed(*document, "Paint_"));
}

// Names already given stay taken, so the search for a free name may resume where the last one for
// the same name stopped; a name another material holds literally is still passed over.
TEST(SharedMaterialList, FreeNamesAndLookupBySource) {
  SharedMaterials shared;
  int sources[4] = {};
  auto enter = [&](int source, const wchar_t* name) {
    auto record = std::make_unique<XMaterial>();
    record->source = &sources[source];
    record->sourceName = name;
    record->name = shared.FreeName(name);
    std::wstring given = record->name;
    shared.Add(std::move(record));
    return given;
  };
  EXPECT_EQ(enter(0, L"Paint"), L"Paint");
  EXPECT_EQ(enter(1, L"Paint__"), L"Paint__");
  EXPECT_EQ(enter(2, L"Paint"), L"Paint_");
  EXPECT_EQ(enter(3, L"Paint"), L"Paint___") << "Paint__ is held by another material";
  EXPECT_EQ(shared.Find(&sources[2], L"Paint"), 2u);
  EXPECT_EQ(shared.Find(&sources[1], L"Paint"), shared.size()) << "same source, other name";
  EXPECT_EQ(shared.Find(&sources[3], L"Paint___"), shared.size()) << "found by the name asked for";
}
