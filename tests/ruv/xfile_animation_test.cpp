// Animation set records through the whole file writer, read back with our reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// A hand-made tree with hand-made tracks: the writer reads only those.
class AnimationWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    savedClips_ = gAnimationClips;
    gExportOptions = ExportOptions{};
    gExportOptions.XFileType = 0;
    gExportOptions.Animation = 1;
    gAnimationClips = {{L"Walk cycle", 0, 10}};
    gConversion = gConversionInverse = Matrix3();
    scene_ = sim::SceneBuilder().Build();
    context_.host = &scene_->Host();
    context_.ticksPerFrame = 160;
    path_ =
        std::filesystem::temp_directory_path() / ("ruv-anim-" + std::to_string(::getpid()) + ".x");
  }
  void TearDown() override {
    gExportOptions = saved_;
    gAnimationClips = savedClips_;
    std::filesystem::remove(path_);
  }

  XNode* Add(XNode* parent, const wchar_t* name, bool processed = true) {
    auto node = std::make_unique<XNode>();
    node->name = name;
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

  // The document's animation sets.
  static std::vector<const xof::DataObject*> Sets(const xof::XFileDocument& document) {
    std::vector<const xof::DataObject*> sets;
    for (const auto& object : document.objects) {
      if (object->type->name == "AnimationSet") sets.push_back(object.get());
    }
    return sets;
  }

  template <class T>
  static T At(const xof::DataObject& object, std::size_t offset) {
    T value{};
    std::memcpy(&value, object.data.data() + offset, sizeof value);
    return value;
  }

  ExportOptions saved_;
  AnimationClips savedClips_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
  std::filesystem::path path_;
};

AnimationTrack SeparateTrack() {
  AnimationTrack track;
  track.separateKeys = 1;
  track.rotationKeys = {{KeyKindRotation, 0, Quat()},
                        {KeyKindRotation, 160, Quat(0.5f, 0.5f, 0.5f, -0.5f)}};
  track.positionKeys = {{KeyKindPosition, 0, {1, 2, 3}}};
  track.scaleKeys = {{KeyKindScale, 0, {1, 1, 1}}, {KeyKindScale, 1600, {2, 2, 2}}};
  return track;
}

}  // namespace

TEST_F(AnimationWriterTest, SeparateKeysAsScaleRotationAndPositionRecords) {
  XNode* mover = Add(nullptr, L"Mover");
  mover->tracks.push_back(SeparateTrack());
  auto document = WriteAndRead();
  auto sets = Sets(*document);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0]->name, "Walk_cycle");
  ASSERT_EQ(sets[0]->children.size(), 1u);
  const xof::DataObject& animation = *sets[0]->children[0].object;
  EXPECT_EQ(animation.type->name, "Animation");
  ASSERT_EQ(animation.children.size(), 4u);
  ASSERT_TRUE(animation.children[0].IsReference());
  EXPECT_EQ(animation.children[0].reference.name, "Mover");
  const xof::DataObject& s = *animation.children[1].object;
  const xof::DataObject& r = *animation.children[2].object;
  const xof::DataObject& t = *animation.children[3].object;
  EXPECT_EQ(s.name, "S");
  EXPECT_EQ(r.name, "R");
  EXPECT_EQ(t.name, "T");
  EXPECT_EQ(At<std::uint32_t>(s, 0), 1u);
  EXPECT_EQ(At<std::uint32_t>(r, 0), 0u);
  EXPECT_EQ(At<std::uint32_t>(t, 0), 2u);
  EXPECT_EQ(s.data.size(), 8u + 2 * 20);
  EXPECT_EQ(r.data.size(), 8u + 2 * 24);
  EXPECT_EQ(At<std::uint32_t>(s, 8 + 20), 1600u) << "second scale key's time";
  // The identity rotation is written w first: 1, 0, 0, 0; a negative w stays negative.
  EXPECT_EQ(At<std::uint32_t>(r, 12), 4u);
  EXPECT_EQ(At<float>(r, 16), 1.0f);
  EXPECT_EQ(At<float>(r, 20), 0.0f);
  EXPECT_EQ(At<float>(r, 8 + 24 + 8), -0.5f);
  EXPECT_EQ(At<float>(t, 16), 1.0f);
  EXPECT_EQ(At<float>(t, 24), 3.0f);
}

TEST_F(AnimationWriterTest, MatrixKeysInOneUnnamedRecordWithOptions) {
  gExportOptions.AnimationOptions = 1;
  gExportOptions.AnimationOpenClose = 1;
  gExportOptions.AnimationQuality = 0;
  XNode* mover = Add(nullptr, L"Mover");
  AnimationTrack track;
  track.matrixKeys = {{KeyKindMatrix, 0, TransMatrix({4, 5, 6})}};
  mover->tracks.push_back(track);
  auto document = WriteAndRead();
  const xof::DataObject& animation = *Sets(*document)[0]->children[0].object;
  ASSERT_EQ(animation.children.size(), 3u);
  const xof::DataObject& options = *animation.children[1].object;
  EXPECT_EQ(options.type->name, "AnimationOptions");
  EXPECT_EQ(options.data, (xof::DataBlock{1, 0, 0, 0, 0, 0, 0, 0}));
  const xof::DataObject& key = *animation.children[2].object;
  EXPECT_EQ(key.name, "");
  EXPECT_EQ(At<std::uint32_t>(key, 0), 4u);
  EXPECT_EQ(key.data.size(), 8u + 72);
  EXPECT_EQ(At<float>(key, 16 + 12 * 4), 4.0f) << "translation in elements 12-14";
  EXPECT_EQ(At<float>(key, 16 + 15 * 4), 1.0f);
}

// The export's own write lets each track go once its records are made, and writes the same file.
TEST_F(AnimationWriterTest, TracksLetGoAsWrittenGiveTheSameFile) {
  XNode* mover = Add(nullptr, L"Mover");
  mover->tracks.push_back(SeparateTrack());
  Add(mover, L"Child")->tracks.push_back(SeparateTrack());
  WriteXFile(&context_, platform::ToHostPath(path_));
  std::ifstream keptFile(path_, std::ios::binary);
  std::string kept((std::istreambuf_iterator<char>(keptFile)), std::istreambuf_iterator<char>());
  EXPECT_EQ(mover->tracks[0].KeyCount(), 5u) << "kept unless asked";

  context_.releaseWrittenTracks = true;
  WriteXFile(&context_, platform::ToHostPath(path_));
  std::ifstream releasedFile(path_, std::ios::binary);
  std::string released((std::istreambuf_iterator<char>(releasedFile)),
                       std::istreambuf_iterator<char>());
  EXPECT_EQ(released, kept);
  EXPECT_EQ(mover->tracks[0].KeyCount(), 0u);
  EXPECT_EQ(mover->children[0]->tracks[0].KeyCount(), 0u);
  EXPECT_EQ(mover->tracks[0].rotationKeys.capacity(), 0u) << "the memory itself is given back";
}

TEST_F(AnimationWriterTest, NodesWithoutKeysOrTracksAreSkippedButTheirChildrenVisited) {
  XNode* still = Add(nullptr, L"Still");  // never extracted: no tracks at all
  XNode* child = Add(still, L"Child");
  child->tracks.push_back(SeparateTrack());
  XNode* empty = Add(nullptr, L"Empty");
  empty->tracks.emplace_back().separateKeys = 1;
  XNode* unprocessed = Add(nullptr, L"Hidden", false);
  Add(unprocessed, L"Below")->tracks.push_back(SeparateTrack());
  auto document = WriteAndRead();
  const xof::DataObject& set = *Sets(*document)[0];
  ASSERT_EQ(set.children.size(), 1u);
  EXPECT_EQ(set.children[0].object->children[0].reference.name, "Child");

  // In world space the walk goes on below an unprocessed node.
  gExportOptions.WorldSpace = 1;
  document = WriteAndRead();
  EXPECT_EQ(Sets(*document)[0]->children.size(), 2u);
}

TEST_F(AnimationWriterTest, WorldSpaceSkinnedMeshesAndTheirSubtreesGetNoAnimation) {
  gExportOptions.WorldSpace = 1;
  auto skinned = std::make_unique<XRenderableNode>();
  skinned->name = L"Body";
  skinned->processed = true;
  skinned->hasSkin = true;
  skinned->tracks.push_back(SeparateTrack());
  XRenderableNode* body = skinned.get();
  context_.topNodes.push_back(std::move(skinned));
  Add(body, L"Hat")->tracks.push_back(SeparateTrack());
  auto document = WriteAndRead();
  EXPECT_TRUE(Sets(*document)[0]->children.empty());
  gExportOptions.WorldSpace = 0;
  document = WriteAndRead();
  EXPECT_EQ(Sets(*document)[0]->children.size(), 2u);
}

TEST_F(AnimationWriterTest, ClipNamesBecomeDistinctSetNames) {
  gAnimationClips = {
      {L"Walk cycle", 0, 10}, {L"Walk_cycle", 0, 5}, {L"run-2", 0, 5}, {L"3rd", 2, 2}};
  Add(nullptr, L"Mover");
  auto document = WriteAndRead();
  auto sets = Sets(*document);
  ASSERT_EQ(sets.size(), 4u);
  EXPECT_EQ(sets[0]->name, "Walk_cycle");
  EXPECT_EQ(sets[1]->name, "Walk_cycle_");
  EXPECT_EQ(sets[2]->name, "run-2");
  EXPECT_EQ(sets[3]->name, "_3rd");
}

TEST_F(AnimationWriterTest, OnlyAnimationSetWithoutClipsWritesNoFileAndSaysSo) {
  gExportOptions.OnlyAnimationSet = 1;
  gAnimationClips.clear();
  Add(nullptr, L"Mover");
  std::filesystem::remove(path_);
  WriteXFile(&context_, platform::ToHostPath(path_));
  EXPECT_FALSE(std::filesystem::exists(path_));
  ASSERT_EQ(scene_->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_NE(scene_->MainWindow().MessageBoxes()[0].text.find(L"No animation clip"),
            std::wstring::npos);
}
