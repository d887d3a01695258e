// No silent loss: whatever the written file lacks is named in one message, and the causes of the
// refusals seen in practice are gone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "export_folder.h"
#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/refused_records.h"
#include "ruv/plugin/export_driver.h"
#include "xof/file_reader.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

namespace {

using RefusalTest = ExportFolderTest;

}  // namespace

TEST(SaveObjectRefusals, NameTheRecordItsNearestNamedAncestorAndTheReason) {
  xof::XFile* file = nullptr;
  ASSERT_TRUE(xof::Succeeded(xof::XFile::Create(&file)));
  std::string_view set = xof::StandardTemplateSet();
  ASSERT_TRUE(xof::Succeeded(file->RegisterTemplates(set.data(), set.size())));
  xof::SaveObject* save = nullptr;
  ASSERT_TRUE(xof::Succeeded(file->CreateMemorySaveObject(xof::kFileFormatText, &save)));
  xof::SaveData* frame = nullptr;
  ASSERT_TRUE(
      xof::Succeeded(save->AddDataObject(xof::tid::Frame, "Box", nullptr, 0, nullptr, &frame)));
  xof::SaveData* inner = nullptr;
  ASSERT_TRUE(
      xof::Succeeded(frame->AddDataObject(xof::tid::Frame, nullptr, nullptr, 0, nullptr, &inner)));
  float matrix[16] = {};
  matrix[0] = std::numeric_limits<float>::infinity();
  EXPECT_TRUE(xof::Failed(inner->AddDataObject(xof::tid::FrameTransformMatrix, nullptr, nullptr,
                                               sizeof matrix, matrix, nullptr)));
  EXPECT_TRUE(
      xof::Failed(save->AddDataObject(xof::tid::Frame, "My Root", nullptr, 0, nullptr, nullptr)));
  EXPECT_TRUE(xof::Failed(frame->AddDataReference("", nullptr)));

  const std::vector<xof::Refusal>& refusals = save->Refusals();
  ASSERT_EQ(refusals.size(), 3u);
  EXPECT_EQ(refusals[0].record, "FrameTransformMatrix");
  EXPECT_EQ(refusals[0].owner, "Box") << "the unnamed frame between does not count";
  EXPECT_NE(refusals[0].reason.find("finite"), std::string::npos) << refusals[0].reason;
  EXPECT_EQ(refusals[1].record, "Frame \"My Root\"");
  EXPECT_EQ(refusals[1].owner, "");
  EXPECT_EQ(refusals[2].owner, "Box");
  save->Release();
  file->Release();
}

TEST_F(RefusalTest, AnOverflowingNodeIsNamedInOneMessage) {
  Options("SpaceScaleEnable=1\r\nSpaceScale=10\r\n");
  // Corners at 1.5e38, times the scale of 10: past the float range.
  builder_.Root().AddChild(L"Huge").Box(3e38f, 3e38f, 3e38f);
  builder_.Root().AddChild(L"Fine").Box(1, 1, 1);
  auto scene = builder_.Build();
  auto document = Export(*scene);
  ASSERT_TRUE(document);
  EXPECT_TRUE(FindNamed(*document, "Fine")) << "the rest of the scene is written";
  std::wstring message = IncompleteMessage(*scene);
  EXPECT_NE(message.find(L"of node Huge"), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"out.x"), std::wstring::npos) << message;
}

TEST_F(RefusalTest, ACompleteFileShowsNoMessage) {
  Options("");
  builder_.Root().AddChild(L"Fine").Box(1, 1, 1);
  auto scene = builder_.Build();
  ASSERT_TRUE(Export(*scene));
  EXPECT_TRUE(scene->MainWindow().MessageBoxes().empty());
}

TEST_F(RefusalTest, SceneRootNameFromTheOptionsFileIsCleaned) {
  for (auto [given, written] : {std::pair{"My Root", "MyRoot"}, std::pair{"x{y}", "x_y_"}}) {
    Options(std::string("SceneRoot=1\r\nSceneRootName=") + given + "\r\n");
    builder_.Root().AddChild(L"Box").Box(1, 1, 1);
    auto scene = builder_.Build();
    auto document = Export(*scene);
    ASSERT_TRUE(document);
    ASSERT_GE(document->objects.size(), 1u);
    EXPECT_EQ(document->objects[0]->name, written);
    EXPECT_EQ(IncompleteMessage(*scene), L"");
    builder_ = sim::SceneBuilder();
    builder_.Folder(9, platform::ToHostPath(folder_));
  }
}

TEST_F(RefusalTest, AMaterialWithoutANameIsSharedAsUnderscore) {
  Options("");
  builder_.Root().AddChild(L"Box").Box(1, 1, 1).Material(
      sim::StandardMaterial(L"").Diffuse({1, 0, 0}));
  auto scene = builder_.Build();
  auto document = Export(*scene);
  ASSERT_TRUE(document);
  const xof::DataObject* material = FindNamed(*document, "_");
  ASSERT_TRUE(material);
  EXPECT_EQ(material->type->name, "Material");
  const xof::DataObject* mesh = FindNamed(*document, "Box");
  ASSERT_TRUE(mesh);
  EXPECT_EQ(IncompleteMessage(*scene), L"");
}

TEST_F(RefusalTest, ATextureFileThatCannotBeWrittenIsARefusedRecord) {
  Options("TextureFiles=1\r\nOverwriteTexture=1\r\nProcMapX=8\r\nProcMapY=8\r\n");
  // A folder where the rendered map should go: the render cannot replace it.
  std::filesystem::create_directories(folder_ / "Checker.bmp");
  builder_.Root().AddChild(L"Box").Box(1, 1, 1).Material(
      sim::StandardMaterial(L"Checks").Map(sim::kDiffuseSlot, sim::Checker().Name(L"Checker")));
  auto scene = builder_.Build();
  auto document = Export(*scene);
  ASSERT_TRUE(document);
  std::wstring message = IncompleteMessage(*scene);
  EXPECT_NE(message.find(L"Checker.bmp"), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"material Checks"), std::wstring::npos) << message;
}

TEST_F(RefusalTest, AMissingOutputFolderSaysWhy) {
  Options("");
  builder_.Root().AddChild(L"Box").Box(1, 1, 1);
  auto scene = builder_.Build();
  std::wstring output = platform::ToHostPath(folder_ / "missing" / "out.x");
  XDoExport(output.c_str(), nullptr, &scene->Host(), TRUE, 0);
  ASSERT_EQ(scene->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_NE(scene->MainWindow().MessageBoxes()[0].text.find(L"No such file or directory"),
            std::wstring::npos)
      << scene->MainWindow().MessageBoxes()[0].text;
}

TEST_F(RefusalTest, ASceneRootTransformCountsOnce) {
  for (const char* worldSpace : {"0", "1"}) {
    Options(std::string("SceneRoot=1\r\nDummy=1\r\nWorldSpace=") + worldSpace + "\r\n");
    builder_ = sim::SceneBuilder();
    builder_.Folder(9, platform::ToHostPath(folder_));
    builder_.Root().Translate({0, 0, 5});
    builder_.Root().AddChild(L"Lamp").Translate({1, 0, 0}).Dummy();
    auto scene = builder_.Build();
    auto document = Export(*scene);
    ASSERT_TRUE(document);
    // Root frame times the lamp's frame: the lamp at (1, 0, 5) in the host, y up in the file.
    const xof::DataObject& root = *document->objects[0];
    const xof::DataObject* lamp = FindNamed(*document, "Lamp");
    ASSERT_TRUE(lamp);
    auto translation = [](const xof::DataObject& frame, int axis) {
      float value = 0;
      std::memcpy(&value, frame.children[0].object->data.data() + (12 + axis) * sizeof(float),
                  sizeof value);
      return value;
    };
    EXPECT_FLOAT_EQ(translation(root, 1) + translation(*lamp, 1), 5.0f)
        << "world space " << worldSpace;
    EXPECT_FLOAT_EQ(translation(root, 0) + translation(*lamp, 0), 1.0f);
  }
}
