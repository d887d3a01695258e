// What real files get wrong, read soundly: a mesh skinned to itself alone stays where it was as a
// rigid mesh (ruvx_model_options_test.cpp exports Assimp's sample of it), weights that sum above 1
// are scaled to 1 (and those below are left alone), and zero normals are left for the exporter to
// compute.
#include "host/sim/import/model_repair.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/iskin.h"
#include "host/object.h"
#include "import_test_support.h"

namespace {

using json = nlohmann::json;
using sim::import::ImportedModel;

bool Warned(const std::vector<std::string>& warnings, const std::string& text) {
  for (const std::string& line : warnings) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(ModelRepair, AMeshSkinnedToItselfAloneIsBakedRigidWhereItWas) {
  sim::import::ImportedMeshPart part;
  part.positions = {{0, 0, 2}, {1, 0, 2}, {0, 1, 2}};
  part.normals = {{1, 0, 0}, {0, 0, 0}, {1, 0, 0}};
  part.triangles = {{0, 1, 2}};
  part.influences = {{0, 1.0f}, {0, 1.0f}, {0, 1.0f}};
  part.influenceStarts = {0, 1, 2, 3};
  ImportedModel model;
  model.parts = {part};
  model.nodes.resize(2);
  model.nodes[0].name = L"Body";
  model.nodes[0].parts = {0};
  model.nodes[0].skin = 0;
  // An instance of the same mesh, which no skin moves: it keeps the part as it was.
  model.nodes[1].name = L"Copy";
  model.nodes[1].parts = {0};
  // The bone's bind takes the mesh a quarter turn about Z, then down by 2.
  Matrix3 bind = RotateZMatrix(1.5707964f) * TransMatrix(Point3(0, 0, -2));
  model.skins.push_back({{0}, {bind}});

  sim::import::RepairModel(model);
  EXPECT_EQ(model.nodes[0].skin, -1);
  ASSERT_EQ(model.nodes[0].parts.size(), 1u);
  ASSERT_NE(model.nodes[0].parts[0], 0);
  const auto& rigid = model.parts[static_cast<std::size_t>(model.nodes[0].parts[0])];
  EXPECT_TRUE(rigid.influences.empty());
  EXPECT_LT(Length(rigid.positions[1] - Point3(0, 1, 0)), 1e-5f);
  EXPECT_LT(Length(rigid.normals[0] - Point3(0, 1, 0)), 1e-5f);
  EXPECT_TRUE(sim::import::IsAbsentNormal(rigid.normals[1]));
  EXPECT_EQ(model.parts[0].positions[1], Point3(1, 0, 2));
  EXPECT_TRUE(Warned(model.warnings, "mesh \"Body\" is skinned to its own node alone"));

  // With a second bone among the weights the skin stays.
  ImportedModel two;
  two.parts.push_back(part);
  two.parts[0].influences[2].joint = 1;
  two.nodes.resize(2);
  two.nodes[0].parts = {0};
  two.nodes[0].skin = 0;
  two.skins.push_back({{0, 1}, {bind, bind}});
  sim::import::RepairModel(two);
  EXPECT_EQ(two.nodes[0].skin, 0);
  EXPECT_EQ(two.parts[0].positions[0], Point3(0, 0, 2));
}

// A triangle skinned to joints A and B of node Mesh, every attribute in its own accessor of one
// buffer file; `weights` four per vertex.
class RepairedImport : public testing::Test {
 protected:
  sim::import::ImportedScene Import(const std::vector<float>& normals,
                                    const std::vector<float>& weights) {
    std::string bytes;
    json accessors = json::array(), views = json::array();
    auto add = [&](const void* data, std::size_t size, int type, int count, const char* shape) {
      views.push_back({{"buffer", 0}, {"byteOffset", bytes.size()}, {"byteLength", size}});
      accessors.push_back({{"bufferView", views.size() - 1},
                           {"componentType", type},
                           {"count", count},
                           {"type", shape}});
      bytes.append(static_cast<const char*>(data), size);
      return static_cast<int>(accessors.size()) - 1;
    };
    const float positions[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const unsigned char joints[] = {0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0};
    json attributes = {{"POSITION", add(positions, sizeof positions, 5126, 3, "VEC3")},
                       {"JOINTS_0", add(joints, sizeof joints, 5121, 3, "VEC4")},
                       {"WEIGHTS_0", add(weights.data(), weights.size() * 4, 5126, 3, "VEC4")}};
    if (!normals.empty()) attributes["NORMAL"] = add(normals.data(), 36, 5126, 3, "VEC3");
    folder_.Write("tri.bin", bytes);
    json document = {
        {"asset", {{"version", "2.0"}}},
        {"scenes", {{{"nodes", {0, 1, 2}}}}},
        {"nodes", {{{"name", "Mesh"}, {"mesh", 0}, {"skin", 0}}, {{"name", "A"}}, {{"name", "B"}}}},
        {"skins", {{{"joints", {1, 2}}}}},
        {"meshes", {{{"primitives", {{{"attributes", attributes}}}}}}},
        {"accessors", accessors},
        {"bufferViews", views},
        {"buffers", {{{"uri", "tri.bin"}, {"byteLength", bytes.size()}}}}};
    return test::Import(folder_.Write("tri.gltf", document.dump()), folder_.Path());
  }

  test::TempFolder folder_{"repair"};
};

TEST_F(RepairedImport, WeightsAbove1AreScaledAndThoseBelowLeftAlone) {
  auto imported = Import({}, {0.75f, 0.5f, 0, 0, 0.5f, 0.25f, 0, 0, 1.2f, 0.3f, 0, 0});
  INode* mesh = imported.scene->FindNode(L"Mesh");
  auto* derived = static_cast<IDerivedObject*>(mesh->GetObjectRef());
  auto* skin = static_cast<ISkin*>(derived->GetModifier(0)->GetInterface(I_SKIN));
  ISkinContextData* data = skin->GetContextInterface(mesh);
  ASSERT_EQ(data->GetNumPoints(), 3);
  const float expected[3][2] = {{0.6f, 0.4f}, {0.5f, 0.25f}, {0.8f, 0.2f}};
  for (int p = 0; p < 3; ++p) {
    ASSERT_EQ(data->GetNumAssignedBones(p), 2) << p;
    for (int k = 0; k < 2; ++k) EXPECT_NEAR(data->GetBoneWeight(p, k), expected[p][k], 1e-6f);
  }
  EXPECT_TRUE(Warned(imported.warnings, "2 vertices have skin weights that sum above 1"));
}

TEST_F(RepairedImport, ZeroNormalsAreLeftToTheExporter) {
  auto imported = Import({0, 0, 1, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
  Mesh mesh = test::MeshOf(imported.scene->FindNode(L"Mesh"));
  MeshNormalSpec* normals = mesh.GetSpecifiedNormals();
  ASSERT_NE(normals, nullptr);
  normals->CheckNormals();
  // The corner without a normal takes the face's; the others keep what the file gives.
  EXPECT_LT(Length(normals->GetNormal(0, 1) - Point3(0, 0, 1)), 1e-6f);
  EXPECT_EQ(normals->GetNormal(0, 2), Point3(1, 0, 0));
  EXPECT_TRUE(Warned(imported.warnings, "1 normal has zero length"));
}

}  // namespace
