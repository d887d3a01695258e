// Material, texture and effect records through the whole file writer, read back with our reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fake_materials.h"
#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/material/material_extraction.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/x_file_writer.h"
#include "texture/image_codec.h"
#include "xof/file_reader.h"
#include "xof/template_model.h"

namespace {

class MaterialRecordTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    gExportOptions.XFileType = 0;
    gExportOptions.Mtl = gExportOptions.TexCoords = gExportOptions.TextureFiles = 1;
    gExportOptions.ProcMapX = gExportOptions.ProcMapY = 4;
    gConversion = gConversionInverse = Matrix3();
    folder_ =
        std::filesystem::temp_directory_path() / ("ruv-materials-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_ / "out");
    sim::SceneBuilder builder;
    builder.Root().AddChild(L"Host");
    scene_ = builder.Build();
    context_.host = &scene_->Host();
    context_.outputDir = platform::ToHostPath(folder_ / "out") + L"\\";
    context_.progressNextAt = 1e30f;
  }
  void TearDown() override {
    gExportOptions = saved_;
    std::filesystem::remove_all(folder_);
  }

  // A processed mesh node with a one-channel triangle and the given host material.
  XRenderableNode* AddMeshNode(const wchar_t* name, Mtl* material) {
    auto node = std::make_unique<XRenderableNode>();
    node->name = name;
    node->hostNode = scene_->FindNode(L"Host");
    node->processed = true;
    node->meshCopy = sim::MakeBoxMesh(1, 1, 1);
    node->meshCopy.setMapSupport(1);
    node->meshCopy.setNumMapVerts(1, 1);
    node->mesh = &node->meshCopy;
    ExtractNodeMaterials(node.get(), context_.sharedMaterials, material);
    EXPECT_TRUE(GenMeshData(&context_, node.get()));
    XRenderableNode* raw = node.get();
    context_.topNodes.push_back(std::move(node));
    return raw;
  }

  std::unique_ptr<xof::XFileDocument> WriteAndRead() {
    std::filesystem::path path = folder_ / "out" / "scene.x";
    WriteXFile(&context_, platform::ToHostPath(path));
    xof::ReadResult result = xof::ReadXFileAt(path);
    EXPECT_TRUE(result.ok()) << result.Describe();
    return std::move(result.document);
  }

  static const xof::DataObject* Child(const xof::DataObject& parent, const char* templateName,
                                      int skip = 0) {
    for (const auto& child : parent.children) {
      if (child.object && child.object->type->name == templateName && skip-- == 0)
        return child.object.get();
    }
    return nullptr;
  }

  static std::string StringAt(const xof::DataObject& object, std::size_t offset = 0) {
    return std::string(reinterpret_cast<const char*>(object.data.data()) + offset);
  }

  ExportOptions saved_;
  std::filesystem::path folder_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
};

}  // namespace

TEST_F(MaterialRecordTest, SharedMaterialWrittenOnceAndReferencedTwice) {
  fakes::Material paint(DMTL_CLASS_ID, L"Paint");
  AddMeshNode(L"A", &paint);
  AddMeshNode(L"B", &paint);
  auto document = WriteAndRead();
  ASSERT_TRUE(document);
  ASSERT_EQ(document->objects.size(), 3u);
  EXPECT_EQ(document->objects[0]->type->name, "Material");
  EXPECT_EQ(document->objects[0]->name, "Paint");
  for (int i = 1; i <= 2; ++i) {
    const xof::DataObject* list = Child(*Child(*document->objects[i], "Mesh"), "MeshMaterialList");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->children.size(), 1u);
    EXPECT_TRUE(list->children[0].IsReference());
    EXPECT_EQ(list->children[0].reference.name, "Paint");
  }
}

TEST_F(MaterialRecordTest, OneOrAllTextureFileNames) {
  fakes::Map diffuse(BMTEX_CLASS_ID, L"Diffuse"), specular(BMTEX_CLASS_ID, L"Specular");
  diffuse.file = L"wood.jpg";
  specular.file = L"shine.png";
  fakes::Material wood(DMTL_CLASS_ID, L"Wood");
  wood.maps[1] = &diffuse;
  wood.maps[2] = &specular;
  gExportOptions.InlineMtl = 1;
  AddMeshNode(L"Box", &wood);
  auto document = WriteAndRead();
  const xof::DataObject* material =
      Child(*Child(*Child(*document->objects[0], "Mesh"), "MeshMaterialList"), "Material");
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->children.size(), 1u);
  EXPECT_EQ(StringAt(*Child(*material, "TextureFilename")), "wood.jpg");

  gExportOptions.MultiTextures = 1;
  document = WriteAndRead();
  material = Child(*Child(*Child(*document->objects[0], "Mesh"), "MeshMaterialList"), "Material");
  ASSERT_EQ(material->children.size(), 2u);
  EXPECT_EQ(StringAt(*Child(*material, "TextureFilename", 1)), "shine.png");
}

TEST_F(MaterialRecordTest, GeneratedEffectNamedAfterTheNode) {
  gExportOptions.FX = 1;
  fakes::Map diffuse(BMTEX_CLASS_ID, L"Diffuse"), bump(BMTEX_CLASS_ID, L"Bump");
  diffuse.file = L"wood.jpg";
  bump.file = L"bump.png";
  fakes::Material wood(DMTL_CLASS_ID, L"Wood");
  wood.maps[1] = &diffuse;
  wood.maps[9] = &bump;
  AddMeshNode(L"Crate", &wood);
  auto document = WriteAndRead();
  const xof::DataObject* material =
      Child(*Child(*Child(*document->objects[0], "Mesh"), "MeshMaterialList"), "Material");
  ASSERT_NE(material, nullptr);
  const xof::DataObject* instance = Child(*material, "EffectInstance");
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(StringAt(*instance), "Crate.fx");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "out" / "Crate.fx"));
  ASSERT_EQ(instance->children.size(), 2u) << "one string parameter per texture";
  EXPECT_EQ(StringAt(*instance->children[0].object), "Diffuse");
  EXPECT_EQ(StringAt(*instance->children[0].object, 8), "wood.jpg");
}

TEST_F(MaterialRecordTest, EffectWithoutTexturesIsABareMaterial) {
  gExportOptions.FX = 1;
  fakes::Material plain(DMTL_CLASS_ID, L"Bare");
  AddMeshNode(L"Crate", &plain);
  auto document = WriteAndRead();
  const xof::DataObject* material =
      Child(*Child(*Child(*document->objects[0], "Mesh"), "MeshMaterialList"), "Material");
  ASSERT_NE(material, nullptr);
  EXPECT_TRUE(material->children.empty());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out" / "Crate.fx"));
}

TEST_F(MaterialRecordTest, ProceduralMapsAreRenderedBesideTheFile) {
  fakes::Map checker(Class_ID(0x200, 0x1), L"Checker");
  fakes::Material mat(DMTL_CLASS_ID, L"Checkered");
  mat.maps[1] = &checker;
  AddMeshNode(L"Crate", &mat);
  auto document = WriteAndRead();
  EXPECT_EQ(StringAt(*Child(*document->objects[0], "TextureFilename")), "Checker.bmp");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "out" / "Checker.bmp"));

  // Without texture files nothing is written, but the record still names the texture.
  std::filesystem::remove(folder_ / "out" / "Checker.bmp");
  gExportOptions.TextureFiles = 0;
  document = WriteAndRead();
  EXPECT_EQ(StringAt(*Child(*document->objects[0], "TextureFilename")), "Checker.bmp");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out" / "Checker.bmp"));
}

TEST_F(MaterialRecordTest, ConvertedTexturesAreWhatTheRecordsAndTheEffectName) {
  texture::Image pixels(4, 4);
  std::fill(pixels.rgba.begin(), pixels.rgba.end(), std::uint8_t{200});
  std::filesystem::create_directories(folder_ / "src");
  std::ofstream(folder_ / "src" / "wood.png", std::ios::binary)
      << texture::EncodeImage(pixels, texture::Format::kPng);
  gExportOptions.TextureConvert = 1;
  gExportOptions.TextureFormat = 0;
  fakes::Map diffuse(BMTEX_CLASS_ID, L"Diffuse");
  diffuse.file = platform::ToHostPath(folder_ / "src" / "wood.png");
  fakes::Material wood(DMTL_CLASS_ID, L"Wood");
  wood.maps[1] = &diffuse;
  gExportOptions.InlineMtl = 1;
  AddMeshNode(L"Plain", &wood);
  std::ofstream(folder_ / "src" / "bump.tga", std::ios::binary)
      << texture::EncodeImage(pixels, texture::Format::kTga);
  fakes::Map bump(BMTEX_CLASS_ID, L"Bump");
  bump.file = platform::ToHostPath(folder_ / "src" / "bump.tga");
  fakes::Material effect(DMTL_CLASS_ID, L"Lit");
  effect.maps[1] = &diffuse;
  effect.maps[9] = &bump;
  auto document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 1u);
  const xof::DataObject* material =
      Child(*Child(*Child(*document->objects[0], "Mesh"), "MeshMaterialList"), "Material");
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(StringAt(*Child(*material, "TextureFilename")), "wood.dds");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "out" / "wood.dds"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out" / "wood.png"));

  // A generated effect's texture parameter names the converted file too.
  gExportOptions.FX = 1;
  AddMeshNode(L"Crate", &effect);
  document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 2u);
  const xof::DataObject* instance =
      Child(*Child(*Child(*Child(*document->objects[1], "Mesh"), "MeshMaterialList"), "Material"),
            "EffectInstance");
  ASSERT_NE(instance, nullptr);
  ASSERT_EQ(instance->children.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const xof::DataObject& param = *instance->children[i].object;
    EXPECT_EQ(StringAt(param, StringAt(param).size() + 1), i == 0 ? "wood.dds" : "bump.dds");
  }
}
