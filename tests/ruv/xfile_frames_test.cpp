// Frame records through the whole file writer, read back with our reader.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/x_file_writer.h"
#include "xof/file_reader.h"
#include "xof/template_model.h"

namespace {

// A hand-made export tree: the writer reads only the tree, so no host scene is needed beyond the
// host interface for the progress bar.
class FrameWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    savedClips_ = gAnimationClips;
    gExportOptions = ExportOptions{};
    gExportOptions.XFileType = 0;
    gAnimationClips.clear();
    gConversion = Matrix3();
    gConversionInverse = Matrix3();
    scene_ = sim::SceneBuilder().Build();
    context_.host = &scene_->Host();
    context_.ticksPerFrame = 160;
    path_ = std::filesystem::temp_directory_path() /
            ("ruv-frames-" + std::to_string(::getpid()) + ".x");
  }
  void TearDown() override {
    gExportOptions = saved_;
    gAnimationClips = savedClips_;
    std::filesystem::remove(path_);
  }

  XNode* Add(XNode* parent, const wchar_t* name, Point3 position, bool processed = true) {
    auto node = std::make_unique<XNode>();
    node->name = name;
    node->nodeTM = TransMatrix(position);
    node->processed = processed;
    node->parent = parent;
    XNode* raw = node.get();
    (parent ? parent->children : context_.topNodes).push_back(std::move(node));
    return raw;
  }

  std::unique_ptr<xof::XFileDocument> WriteAndRead() {
    WriteXFile(&context_, platform::ToHostPath(path_));
    xof::ReadResult result = xof::ReadXFileAt(path_);
    EXPECT_TRUE(result.ok()) << result.Describe();
    return std::move(result.document);
  }

  static std::vector<float> Floats(const xof::DataObject& object) {
    std::vector<float> values(object.data.size() / sizeof(float));
    std::memcpy(values.data(), object.data.data(), values.size() * sizeof(float));
    return values;
  }

  ExportOptions saved_;
  AnimationClips savedClips_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
  std::filesystem::path path_;
};

}  // namespace

TEST_F(FrameWriterTest, NestedFramesWithLocalMatrices) {
  XNode* table = Add(nullptr, L"Table", {10, 20, 30});
  Add(table, L"Lamp", {10, 20, 100});
  auto document = WriteAndRead();
  ASSERT_TRUE(document);
  ASSERT_EQ(document->objects.size(), 1u);
  const xof::DataObject& frame = *document->objects[0];
  EXPECT_EQ(frame.type->name, "Frame");
  EXPECT_EQ(frame.name, "Table");
  ASSERT_EQ(frame.children.size(), 2u);
  const xof::DataObject& matrix = *frame.children[0].object;
  EXPECT_EQ(matrix.type->name, "FrameTransformMatrix");
  EXPECT_EQ(Floats(matrix),
            (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1}));
  const xof::DataObject& lamp = *frame.children[1].object;
  EXPECT_EQ(lamp.name, "Lamp");
  EXPECT_EQ(Floats(*lamp.children[0].object)[14], 70.0f) << "relative to the parent";
}

TEST_F(FrameWriterTest, UnexportedBranchWritesNothingOutsideWorldSpace) {
  XNode* branch = Add(nullptr, L"Branch", {}, false);
  Add(branch, L"Leaf", {1, 2, 3});
  Add(nullptr, L"Other", {});
  auto document = WriteAndRead();
  ASSERT_TRUE(document);
  ASSERT_EQ(document->objects.size(), 1u);
  EXPECT_EQ(document->objects[0]->name, "Other");

  // In world space the unexported node gets no frame, but its processed child does, at the top.
  gExportOptions.WorldSpace = 1;
  document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 2u);
  EXPECT_EQ(document->objects[0]->name, "Leaf");
  EXPECT_EQ(Floats(*document->objects[0]->children[0].object)[12], 1.0f);
}

TEST_F(FrameWriterTest, WorldSpaceFramesAreSiblingsUnderTheSceneRoot) {
  gExportOptions.WorldSpace = 1;
  gExportOptions.SceneRoot = 1;
  context_.rootFrameName = L"SceneRoot";
  context_.rootTM = TransMatrix({5, 0, 0});
  XNode* a = Add(nullptr, L"A", {1, 0, 0});
  Add(a, L"B", {2, 0, 0});
  auto document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 1u);
  const xof::DataObject& root = *document->objects[0];
  EXPECT_EQ(root.name, "SceneRoot");
  EXPECT_EQ(Floats(*root.children[0].object)[12], 0.0f)
      << "the nodes' matrices hold the root's already";
  ASSERT_EQ(root.children.size(), 3u);
  EXPECT_EQ(root.children[1].object->name, "A");
  EXPECT_EQ(root.children[2].object->name, "B");
  EXPECT_EQ(root.children[1].object->children.size(), 1u) << "B is not nested in A";
  EXPECT_EQ(Floats(*root.children[2].object->children[0].object)[12], 2.0f) << "world matrix";
}

TEST_F(FrameWriterTest, TicksPerSecondOnlyWithClipsAndWithoutTimeline) {
  Add(nullptr, L"A", {});
  gExportOptions.Animation = 1;
  gAnimationClips = {{L"Anim1", 0, 100}};
  auto document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 3u);
  EXPECT_EQ(document->objects[1]->type->name, "AnimTicksPerSecond");
  EXPECT_EQ(document->objects[2]->type->name, "AnimationSet");
  std::uint32_t ticks = 0;
  std::memcpy(&ticks, document->objects[1]->data.data(), 4);
  EXPECT_EQ(ticks, 4800u);

  gExportOptions.Timeline = 1;
  EXPECT_EQ(WriteAndRead()->objects.size(), 2u) << "the set without the tick rate";
  gExportOptions.Timeline = 0;
  gAnimationClips.clear();
  EXPECT_EQ(WriteAndRead()->objects.size(), 1u);

  // Only the animation records: no frames at all. OnlyAnimationSet alone changes nothing.
  gAnimationClips = {{L"Anim1", 0, 100}};
  gExportOptions.OnlyAnimationSet = 1;
  document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 2u);
  EXPECT_EQ(document->objects[0]->type->name, "AnimTicksPerSecond");
  EXPECT_EQ(document->objects[1]->type->name, "AnimationSet");
  gExportOptions.Animation = 0;
  document = WriteAndRead();
  ASSERT_EQ(document->objects.size(), 1u);
  EXPECT_EQ(document->objects[0]->type->name, "Frame");
}

TEST_F(FrameWriterTest, FileTypeChoosesTheEncoding) {
  Add(nullptr, L"A", {});
  struct Case {
    int fileType;
    bool binary, compressed;
  };
  for (Case c :
       {Case{0, false, false}, Case{1, true, false}, Case{2, true, true}, Case{3, true, true}}) {
    gExportOptions.XFileType = c.fileType;
    auto document = WriteAndRead();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->header.binary, c.binary) << "XFileType " << c.fileType;
    EXPECT_EQ(document->header.compressed, c.compressed) << "XFileType " << c.fileType;
    EXPECT_EQ(document->objects[0]->name, "A");
  }
}

TEST_F(FrameWriterTest, NoTopNodeWritesNothingAndSaysSo) {
  WriteXFile(&context_, platform::ToHostPath(path_));
  EXPECT_FALSE(std::filesystem::exists(path_));
  ASSERT_EQ(scene_->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_EQ(scene_->MainWindow().MessageBoxes()[0].text, L"No node will be export.");
}

// A geometry node whose mesh could not be made keeps its frame and its children; the missing mesh
// is listed, not dropped with everything below it.
TEST_F(FrameWriterTest, AMeshThatCouldNotBeMadeLeavesItsFrameAndChildren) {
  auto broken = std::make_unique<XRenderableNode>();
  broken->name = L"Broken";
  broken->processed = true;
  broken->nodeTM = TransMatrix({1, 2, 3});
  XNode* raw = broken.get();
  context_.topNodes.push_back(std::move(broken));
  Add(raw, L"Child", {1, 2, 4});
  auto document = WriteAndRead();
  ASSERT_TRUE(document);
  ASSERT_EQ(document->objects.size(), 1u);
  EXPECT_EQ(document->objects[0]->name, "Broken");
  ASSERT_EQ(document->objects[0]->children.size(), 2u);
  EXPECT_EQ(document->objects[0]->children[1].object->name, "Child");
  ASSERT_EQ(context_.refusedRecords.size(), 1u);
  EXPECT_EQ(context_.refusedRecords[0].record, L"Mesh \"Broken\"");
}
