// The three template sets and their registration.
#include "xof/template_sets.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

TEST(TemplateSets, HeadersCountsAndTheStandardIdentifiers) {
  EXPECT_EQ(StandardTemplateSet().substr(0, 16), "xof 0302bin 0064");
  EXPECT_EQ(SkinningTemplateSet().substr(0, 16), "xof 0303txt 0032");
  EXPECT_EQ(VertexDataTemplateSet().substr(0, 16), "xof 0303txt 0032");
  // Our encoder follows the same rules as the runtime's own binary set, which is 3278 bytes.
  EXPECT_EQ(StandardTemplateSet().size(), 3278u);

  XofPtr<XFile> file;
  ASSERT_EQ(XFile::Create(&file), S_OK);
  ASSERT_EQ(file->RegisterTemplates(StandardTemplateSet().data(), StandardTemplateSet().size()),
            S_OK);
  EXPECT_EQ(file->templates().InOrder().size(), 35u);
  for (const Template* t : file->templates().InOrder())
    EXPECT_TRUE(IsStandardTemplate(t->id)) << t->name;
  ASSERT_EQ(file->RegisterTemplates(SkinningTemplateSet().data(), SkinningTemplateSet().size()),
            S_OK);
  ASSERT_EQ(file->RegisterTemplates(VertexDataTemplateSet().data(), VertexDataTemplateSet().size()),
            S_OK);
  EXPECT_EQ(file->templates().InOrder().size(), 35u + 16u + 6u);

  const TemplateRegistry& r = file->templates();
  const std::pair<const char*, Guid> expected[] = {
      {"Frame", tid::Frame},
      {"FrameTransformMatrix", tid::FrameTransformMatrix},
      {"Mesh", tid::Mesh},
      {"MeshNormals", tid::MeshNormals},
      {"MeshMaterialList", tid::MeshMaterialList},
      {"Material", tid::Material},
      {"TextureFilename", tid::TextureFilename},
      {"MeshTextureCoords", tid::MeshTextureCoords},
      {"MeshVertexColors", tid::MeshVertexColors},
      {"DeclData", tid::DeclData},
      {"XSkinMeshHeader", tid::XSkinMeshHeader},
      {"SkinWeights", tid::SkinWeights},
      {"EffectInstance", tid::EffectInstance},
      {"EffectParamDWord", tid::EffectParamDWord},
      {"EffectParamString", tid::EffectParamString},
      {"EffectParamFloats", tid::EffectParamFloats},
      {"AnimTicksPerSecond", tid::AnimTicksPerSecond},
      {"AnimationSet", tid::AnimationSet},
      {"Animation", tid::Animation},
      {"AnimationKey", tid::AnimationKey},
      {"AnimationOptions", tid::AnimationOptions}};
  for (const auto& [name, id] : expected) {
    const Template* t = r.FindByName(name);
    ASSERT_NE(t, nullptr) << name;
    EXPECT_EQ(t->id, id) << name;
  }
  // Member layouts the record writers rely on.
  EXPECT_EQ(r.FindById(tid::SkinWeights)->members.size(), 5u);
  EXPECT_EQ(r.FindById(tid::Material)->kind, TemplateKind::Open);
  EXPECT_EQ(r.FindById(tid::MeshMaterialList)->kind, TemplateKind::Restricted);
  EXPECT_EQ(r.FindById(tid::FrameTransformMatrix)->minimumSize, 64u);
  EXPECT_EQ(r.FindById(tid::XSkinMeshHeader)->minimumSize, 6u);
}

TEST(TemplateSets, AFaultySetIsRefusedWhole) {
  XofPtr<XFile> file;
  ASSERT_EQ(XFile::Create(&file), S_OK);
  // The second template refers to one that nobody registered: the first must not stay behind.
  std::string set =
      "xof 0303txt 0032\n"
      "template A { <11111111-2222-3333-4444-555555555555> DWORD n; }\n"
      "template B { <11111111-2222-3333-4444-666666666666> Missing m; }\n";
  EXPECT_EQ(file->RegisterTemplates(set.data(), set.size()), XOF_E_BAD_TEMPLATE_SET);
  EXPECT_NE(file->LastError().find("Missing"), std::string::npos) << file->LastError();
  EXPECT_TRUE(file->templates().InOrder().empty());

  for (std::string bad :
       {std::string("xof 0303txt 0032 template A { DWORD n; }"),
        std::string("xof 0303txt 0032 template A { <11111111-2222-3333-4444-555555555555>"
                    " array DWORD v[count]; }"),
        std::string("not a template set at all"), std::string("xof 0303txt 0032 Frame X { }")}) {
    EXPECT_LT(file->RegisterTemplates(bad.data(), bad.size()), 0) << bad;
  }
  EXPECT_TRUE(file->templates().InOrder().empty());
}

}  // namespace
}  // namespace xof::test
