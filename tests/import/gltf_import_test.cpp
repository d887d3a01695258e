// glTF models arrive in the host as the JSON loader would build them: nodes, one mesh per node
// with its primitives' material ids, normals, coordinates and colours, and standard materials.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/mtl.h"
#include "host/sim/sim_material.h"
#include "import_test_support.h"
#include "platform/host_path.h"

namespace {

using test::Import;
using test::kModels;
using test::MeshOf;

TEST(GltfImport, TexturedBoxStandsUpInTheHost) {
  auto imported = Import(kModels / "textured-box.gltf");
  ASSERT_EQ(imported.scene->NodeCount(), 1u);
  EXPECT_TRUE(imported.warnings.empty());
  EXPECT_TRUE(imported.images.empty());
  INode* box = imported.scene->FindNode(L"Box");
  ASSERT_NE(box, nullptr);
  // glTF's up (+Y, lifted by 0.5) becomes the host's +Z.
  Point3 origin = box->GetNodeTM(0).GetTrans();
  EXPECT_NEAR(origin.x, 0.0f, 1e-6f);
  EXPECT_NEAR(origin.y, 0.0f, 1e-6f);
  EXPECT_NEAR(origin.z, 0.5f, 1e-6f);

  Mesh mesh = MeshOf(box);
  EXPECT_EQ(mesh.getNumVerts(), 24);
  EXPECT_EQ(mesh.getNumFaces(), 12);
  ASSERT_NE(mesh.GetSpecifiedNormals(), nullptr);
  EXPECT_EQ(mesh.GetSpecifiedNormals()->GetNumNormals(), 24);
  // The first side's first corner reads glTF (0, 1), the image's bottom left, which is the host's
  // (0, 0): V runs up in the host.
  ASSERT_TRUE(mesh.mapSupport(1));
  EXPECT_FALSE(mesh.mapSupport(2));
  EXPECT_EQ(mesh.mapVerts(1)[0], Point3(0, 0, 0));
  EXPECT_EQ(mesh.mapVerts(1)[2], Point3(1, 1, 0));

  Mtl* material = box->GetMtl();
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->ClassID(), DMTL_CLASS_ID);
  auto* bitmap = dynamic_cast<BitmapTex*>(material->GetSubTexmap(sim::kDiffuseSlot));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(platform::ToNativePath(bitmap->GetMapName()),
            (kModels / "checker.png").lexically_normal());
  // Roughness 0.5 of a dielectric: 4 % reflectance, glossiness and strength 0.5.
  EXPECT_NEAR(material->GetSpecular(0, FALSE).r, 0.04f, 1e-6f);
  EXPECT_NEAR(material->GetShininess(0, FALSE), 0.5f, 1e-6f);
  EXPECT_NEAR(material->GetShinStr(0, FALSE), 0.5f, 1e-6f);
}

TEST(GltfImport, EmbeddedImageIsWrittenBesideTheOutputUnderItsName) {
  test::TempFolder out("glb");
  auto imported = Import(kModels / "textured-box.glb", out.Path());
  ASSERT_EQ(imported.images.size(), 1u);
  EXPECT_EQ(imported.images[0].fileName, "checker.png");
  std::string png(imported.images[0].bytes.begin(), imported.images[0].bytes.end());
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto* bitmap = dynamic_cast<BitmapTex*>(
      imported.scene->FindNode(L"PackedBox")->GetMtl()->GetSubTexmap(sim::kDiffuseSlot));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(platform::ToNativePath(bitmap->GetMapName()), out.Path() / "checker.png");
}

TEST(GltfImport, TwoPrimitivesOfOneNodeBecomeOneMeshWithAMultiMaterial) {
  auto imported = Import(kModels / "two-primitives.gltf");
  INode* corner = imported.scene->FindNode(L"Corner");
  ASSERT_NE(corner, nullptr);
  EXPECT_EQ(corner->GetParentNode(), imported.scene->FindNode(L"Room"));
  Mesh mesh = MeshOf(corner);
  ASSERT_EQ(mesh.getNumVerts(), 8);
  ASSERT_EQ(mesh.getNumFaces(), 4);
  // The wall's indices follow the floor's four vertices.
  EXPECT_EQ(mesh.faces[2].v[0], 4u);
  std::vector<int> ids;
  for (const Face& face : mesh.faces) ids.push_back(face.getMatID());
  EXPECT_EQ(ids, (std::vector<int>{0, 0, 1, 1}));

  Mtl* multi = corner->GetMtl();
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->ClassID(), MULTI_CLASS_ID);
  ASSERT_EQ(multi->NumSubMtls(), 2);
  EXPECT_STREQ(multi->GetSubMtl(0)->GetName(), L"Floor");
  Mtl* wall = multi->GetSubMtl(1);
  EXPECT_STREQ(wall->GetName(), L"Wall");
  // A metal's highlight takes its base colour.
  EXPECT_NEAR(wall->GetSpecular(0, FALSE).b, 0.9f, 1e-6f);
  EXPECT_TRUE(wall->GetSelfIllumColorOn(0, FALSE));

  // KHR_texture_transform scale 2, offset (0.25, 0): about the tile's centre, V up, the offset is
  // L (0.5, -0.5) - (0.5, -0.5) + (0.25, -0) = (0.75, -0.5).
  Texmap* map = wall->GetSubTexmap(sim::kDiffuseSlot);
  ASSERT_NE(map, nullptr);
  Matrix3 uv;
  map->GetUVTransform(uv);
  Point3 corner0 = Point3(0, 1, 0) * uv;  // the host's top left, glTF's (0, 0)
  // glTF maps (0, 0) to (0.25, 0): in the host's terms (0.25, 1).
  EXPECT_NEAR(corner0.x, 0.25f, 1e-5f);
  EXPECT_NEAR(corner0.y, 1.0f, 1e-5f);
  Point3 corner1 = Point3(1, 0, 0) * uv;  // glTF (1, 1) -> (2.25, 2), the host's (2.25, -1)
  EXPECT_NEAR(corner1.x, 2.25f, 1e-5f);
  EXPECT_NEAR(corner1.y, -1.0f, 1e-5f);

  // Colours on channel 0, alpha on channel -2; the wall, without colours, reads white and opaque.
  ASSERT_TRUE(mesh.mapSupport(0));
  ASSERT_TRUE(mesh.mapSupport(MAP_ALPHA));
  EXPECT_EQ(mesh.mapVerts(0)[1], Point3(0, 1, 0));
  EXPECT_EQ(mesh.mapVerts(MAP_ALPHA)[1].x, 0.5f);
  EXPECT_EQ(mesh.mapVerts(0)[5], Point3(1, 1, 1));
  EXPECT_EQ(mesh.mapVerts(MAP_ALPHA)[5].x, 1.0f);
  // Only the wall has coordinates; the floor's read the origin.
  ASSERT_TRUE(mesh.mapSupport(1));
  EXPECT_EQ(mesh.mapVerts(1)[0], Point3(0, 0, 0));
}

TEST(GltfImport, ScaleAndUpTurnApplyToTopLevelNodesOnly) {
  auto imported = Import(kModels / "two-primitives.gltf", {}, 2.0f);
  INode* room = imported.scene->FindNode(L"Room");
  INode* corner = imported.scene->FindNode(L"Corner");
  Matrix3 roomTM = room->GetNodeTM(0);
  // glTF +Y (up) is the host's +Z, glTF +Z (front) the host's -Y, all twice as long.
  Point3 up = Point3(0, 1, 0) * roomTM;
  EXPECT_NEAR(up.z, 2.0f, 1e-6f);
  EXPECT_NEAR(up.y, 0.0f, 1e-6f);
  Point3 front = Point3(0, 0, 1) * roomTM;
  EXPECT_NEAR(front.y, -2.0f, 1e-6f);
  // The child keeps its own transform: 45 degrees about glTF's Y.
  Matrix3 local = corner->GetNodeTM(0) * Inverse(roomTM);
  EXPECT_NEAR(local[0].x, 0.7071068f, 1e-5f);
  EXPECT_NEAR(local[0].z, -0.7071068f, 1e-5f);
}

}  // namespace
