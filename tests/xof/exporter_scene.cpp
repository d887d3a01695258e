#include "exporter_scene.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

Block Matrix(float tx, float ty, float tz) {
  Block b;
  return std::move(b.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, tx, ty, tz, 1}));
}

SaveData* Add(SaveData* parent, const Guid& templateId, const char* name, const Block& data) {
  SaveData* child = nullptr;
  EXPECT_EQ(parent->AddDataObject(templateId, name, nullptr, data.size(), data.data(), &child),
            S_OK)
      << name;
  return child;
}

void AddLeaf(SaveData* parent, const Guid& templateId, const char* name, const Block& data) {
  if (SaveData* child = Add(parent, templateId, name, data)) child->Release();
}

SaveData* AddFrame(SaveData* parent, const char* name, float x, float y, float z) {
  SaveData* frame = Add(parent, tid::Frame, name, Block());
  AddLeaf(frame, tid::FrameTransformMatrix, "", Matrix(x, y, z));
  return frame;
}

Block MaterialData(float r, float g, float b) {
  Block m;
  return std::move(m.Floats({r, g, b, 1, 8, 0.5f, 0.5f, 0.5f, 0, 0, 0}));
}

void AddBody(SaveData* parent) {
  Block mesh;
  mesh.Dword(4).Floats({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0});
  mesh.Dword(2).Dword(3).Dword(0).Dword(1).Dword(2).Dword(3).Dword(0).Dword(2).Dword(3);
  SaveData* body = Add(parent, tid::Mesh, "Body", mesh);

  Block normals;
  normals.Dword(4).Floats({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, -1});
  normals.Dword(2).Dword(3).Dword(0).Dword(1).Dword(2).Dword(3).Dword(0).Dword(2).Dword(3);
  AddLeaf(body, tid::MeshNormals, "", normals);

  Block list;
  list.Dword(2).Dword(2).Dword(0).Dword(1);
  SaveData* materials = Add(body, tid::MeshMaterialList, "", list);
  EXPECT_EQ(materials->AddDataReference("Shared", nullptr), S_OK);
  SaveData* red = Add(materials, tid::Material, "Red", MaterialData(1, 0, 0));
  SaveData* effect = Add(red, tid::EffectInstance, "", Block().String("red.fx"));
  AddLeaf(effect, tid::EffectParamDWord, "", Block().String("Passes").Dword(2));
  AddLeaf(effect, tid::EffectParamString, "", Block().String("DiffuseTexture").String("red.png"));
  AddLeaf(effect, tid::EffectParamFloats, "",
          Block().String("Tint").Dword(4).Floats({1, 0.5f, 0.25f, 1}));
  effect->Release();
  red->Release();
  materials->Release();

  AddLeaf(body, tid::MeshTextureCoords, "c1", Block().Dword(4).Floats({0, 1, 1, 1, 1, 0, 0, 0}));
  Block colors;
  colors.Dword(4);
  for (std::uint32_t v = 0; v < 4; ++v) colors.Dword(v).Floats({0.25f * v, 1, 0, 1});
  AddLeaf(body, tid::MeshVertexColors, "", colors);

  Block decl;
  decl.Dword(2).Dword(2).Dword(0).Dword(3).Dword(0).Dword(1).Dword(0).Dword(5).Dword(0);
  decl.Dword(4 * 5);
  for (int v = 0; v < 4; ++v) decl.Floats({0, 0, 1, 0.5f, 0.5f});
  AddLeaf(body, tid::DeclData, "", decl);

  AddLeaf(body, tid::XSkinMeshHeader, "", Block().Word(2).Word(2).Word(2));
  Block bone1;
  bone1.String("Bone1").Dword(4).Dword(0).Dword(1).Dword(2).Dword(3).Floats({1, 1, 0.5f, 0.5f});
  bone1.Raw(Matrix(0, -1, 0).data(), 64);
  AddLeaf(body, tid::SkinWeights, "", bone1);
  // A bone that touches no output vertex still gets its record, with empty arrays.
  Block bone2;
  bone2.String("Bone2").Dword(0).Raw(Matrix(0, -2, 0).data(), 64);
  AddLeaf(body, tid::SkinWeights, "", bone2);
  body->Release();
}

void AddPlain(SaveData* parent) {
  Block mesh;
  mesh.Dword(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Dword(1).Dword(3).Dword(0).Dword(1).Dword(2);
  SaveData* plain = Add(parent, tid::Mesh, "Plain", mesh);
  SaveData* list = Add(plain, tid::MeshMaterialList, "", Block().Dword(1).Dword(1).Dword(0));
  AddLeaf(list, tid::Material, "", MaterialData(0, 0.501961f, 1));
  list->Release();
  plain->Release();
}

Block Keys(std::uint32_t type, std::initializer_list<std::initializer_list<float>> keys) {
  Block b;
  b.Dword(type).Dword(static_cast<std::uint32_t>(keys.size()));
  std::uint32_t time = 0;
  for (const auto& values : keys) {
    b.Dword(time).Dword(static_cast<std::uint32_t>(values.size())).Floats(values);
    time += 160;
  }
  return b;
}

}  // namespace

void AddExporterScene(SaveObject& save) {
  SaveData* shared = nullptr;
  Block sharedData = MaterialData(0.2f, 0.4f, 0.6f);
  ASSERT_EQ(save.AddDataObject(tid::Material, "Shared", nullptr, sharedData.size(),
                               sharedData.data(), &shared),
            S_OK);
  AddLeaf(shared, tid::TextureFilename, "", Block().String("shared.png"));
  shared->Release();

  SaveData* root = nullptr;
  ASSERT_EQ(save.AddDataObject(tid::Frame, "Root", nullptr, 0, nullptr, &root), S_OK);
  AddLeaf(root, tid::FrameTransformMatrix, "", Matrix(0, 0, 0));
  SaveData* body = AddFrame(root, "BodyFrame", 10, 20, 30);
  AddBody(body);
  body->Release();
  SaveData* plainFrame = AddFrame(root, "PlainFrame", 0, 0, 5);
  AddPlain(plainFrame);
  plainFrame->Release();
  SaveData* bone1 = AddFrame(root, "Bone1", 0, 1, 0);
  SaveData* bone2 = AddFrame(bone1, "Bone2", 0, 1, 0);
  bone2->Release();
  bone1->Release();
  root->Release();

  std::uint32_t ticks = 4800;
  ASSERT_EQ(save.AddDataObject(tid::AnimTicksPerSecond, "", nullptr, 4, &ticks, nullptr), S_OK);
  SaveData* set = nullptr;
  ASSERT_EQ(save.AddDataObject(tid::AnimationSet, "Walk", nullptr, 0, nullptr, &set), S_OK);
  SaveData* animation = Add(set, tid::Animation, "", Block());
  EXPECT_EQ(animation->AddDataReference("Bone1", nullptr), S_OK);
  AddLeaf(animation, tid::AnimationOptions, "", Block().Dword(1).Dword(0));
  AddLeaf(animation, tid::AnimationKey, "S", Keys(1, {{1, 1, 1}, {2, 2, 2}}));
  AddLeaf(animation, tid::AnimationKey, "R", Keys(0, {{1, 0, 0, 0}, {0.707107f, 0, 0.707107f, 0}}));
  AddLeaf(animation, tid::AnimationKey, "T", Keys(2, {{0, 1, 0}, {0, 2, 0}}));
  animation->Release();
  animation = Add(set, tid::Animation, "", Block());
  EXPECT_EQ(animation->AddDataReference("Bone2", nullptr), S_OK);
  AddLeaf(animation, tid::AnimationKey, "",
          Keys(4, {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1}}));
  animation->Release();
  set->Release();
}

}  // namespace xof::test
