// Animation in the tree's passes: key times counted in the work estimate, and a track per clip for
// every node the processing pass prepares.
#include <gtest/gtest.h>

#include "host/sim/scene_builder.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/processing/processing.h"
#include "ruv/scene/node_tree.h"

namespace {

sim::Point3KeyDescription Key(int frame, const Point3& value) {
  sim::Point3KeyDescription key;
  key.time = frame * 160;
  key.value = value;
  return key;
}

class AnimationPassesTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    savedClips_ = gAnimationClips;
    gExportOptions = ExportOptions{};
    gExportOptions.Meshs = gExportOptions.Animation = gExportOptions.KeyType = 1;
    gExportOptions.KeyOptimizeLevel = 3;
    gAnimationClips = {{L"First", 0, 10}, {L"Second", 5, 20}};
    SetupConversion(1.0f, 0, 0.0f, 0.0f);
    // A keyed dummy (keys at frames 2, 8 and 15) carrying a static box of 12 faces.
    sim::NodeBuilder& mover = builder_.Root().AddChild(L"Mover").Dummy();
    mover.PositionKeys(
        {sim::KeyInterpolation::Linear, {Key(2, {}), Key(8, {10, 0, 0}), Key(15, {10, 10, 0})}});
    mover.AddChild(L"Box").Box(1, 1, 1);
    scene_ = builder_.Build();
    context_.host = &scene_->Host();
    context_.animRange = scene_->Host().GetAnimRange();
    context_.ticksPerFrame = 160;
    context_.ticksPerSample = 160;
    context_.progressNextAt = 1e30f;
  }
  void TearDown() override {
    gExportOptions = saved_;
    gAnimationClips = savedClips_;
  }

  ExportOptions saved_;
  AnimationClips savedClips_;
  sim::SceneBuilder builder_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
};

}  // namespace

TEST_F(AnimationPassesTest, WorkEstimateCountsKeyTimesOrSamples) {
  BuildNodeTree(&context_, &scene_->Root());
  // Box: 12 faces and 11 + 16 samples. Mover, pulled in as its ancestor: 11 + 16 samples.
  EXPECT_EQ(context_.workTotal, 12u + 27u + 27u);

  gExportOptions.KeyFrames = 1;
  ExportContext keyed;
  keyed.host = context_.host;
  keyed.animRange = context_.animRange;
  keyed.ticksPerFrame = keyed.ticksPerSample = 160;
  BuildNodeTree(&keyed, &scene_->Root());
  // Mover: its key times, 0 2 8 10 in the first clip and 5 8 15 20 in the second. The box has no
  // keys of its own and counts its samples.
  EXPECT_EQ(keyed.workTotal, 12u + 27u + 8u);
}

TEST_F(AnimationPassesTest, EveryProcessedNodeGetsATrackPerClip) {
  gExportOptions.KeyFrames = 1;
  BuildNodeTree(&context_, &scene_->Root());
  ProcessNodeTree(&context_);
  XNode* mover = context_.topNodes.at(0).get();
  XNode* box = mover->children.at(0).get();
  ASSERT_TRUE(mover->processed);
  ASSERT_EQ(mover->tracks.size(), 2u);
  ASSERT_EQ(box->tracks.size(), 2u);
  EXPECT_EQ(mover->tracks[1].keyTimes, (std::vector<std::int32_t>{800, 1280, 2400, 3200}));
  // The box rides on the mover without moving against it: a hold of two keys per kind.
  EXPECT_EQ(box->tracks[0].positionKeys.size(), 2u);
  EXPECT_EQ(box->tracks[0].positionKeys[1].time, 1600);
}
