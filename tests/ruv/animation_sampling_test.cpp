// Animation extraction: sample times, clip ends, the sampling rate, key-frame times, the Timeline
// unit, world space, and the key-time count of the work estimate.
#include <gtest/gtest.h>

#include <memory>

#include "host/sim/scene_builder.h"
#include "ruv/animation/animation_extraction.h"
#include "ruv/animation/key_times.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/sampling_step.h"

namespace {

sim::Point3KeyDescription Key(int frame, const Point3& value) {
  sim::Point3KeyDescription key;
  key.time = frame * 160;
  key.value = value;
  return key;
}

// A keyed helper "Mover" (position keys at frames 2 and 8, and one at 15 outside the first clip)
// with a static child "Rider", and a static mesh "Box"; 30 frames per second, 160 ticks a frame.
class SamplingTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    savedClips_ = gAnimationClips;
    gExportOptions = ExportOptions{};
    gExportOptions.Animation = 1;
    gExportOptions.KeyType = 1;
    gExportOptions.SampleRate = 30;
    gExportOptions.KeyOptimizeLevel = 0;
    gAnimationClips = {{L"Clip", 0, 10}};
    gConversion = gConversionInverse = Matrix3();
    sim::SceneBuilder b;
    b.FrameRate(30).TicksPerFrame(160).AnimationFrames(0, 20);
    sim::NodeBuilder& mover = b.Root().AddChild(L"Mover");
    mover.Dummy().PositionKeys({sim::KeyInterpolation::Linear,
                                {Key(2, {0, 0, 0}), Key(8, {60, 0, 0}), Key(15, {60, 0, 30})}});
    mover.AddChild(L"Rider").Translate({0, 0, 5});
    b.Root().AddChild(L"Box").Box(1, 1, 1).Translate({3, 4, 5});
    scene_ = b.Build();
    context_.host = &scene_->Host();
    context_.ticksPerFrame = 160;
    SetupSamplingStep(&context_);
    mover_.hostNode = scene_->Root().GetChildNode(0);
    rider_.hostNode = mover_.hostNode->GetChildNode(0);
    rider_.parent = &mover_;
    box_.hostNode = scene_->Root().GetChildNode(1);
    box_.kind = KindMesh;
    box_.hasGeometry = 1;
    box_.nodeTM = box_.hostNode->GetNodeTM(0);
  }
  void TearDown() override {
    gExportOptions = saved_;
    gAnimationClips = savedClips_;
  }

  static std::vector<std::int32_t> TimesOf(const std::vector<VectorKey>& keys) {
    std::vector<std::int32_t> times;
    for (const VectorKey& key : keys) times.push_back(key.time);
    return times;
  }

  ExportOptions saved_;
  AnimationClips savedClips_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
  XNode mover_, rider_, box_;
};

using Times = std::vector<std::int32_t>;

}  // namespace

TEST_F(SamplingTest, ElevenSamplesFromFrameZeroToTen) {
  EXPECT_EQ(context_.ticksPerSample, 160);
  ExtractSampledAnimation(&context_, &mover_);
  ASSERT_EQ(mover_.tracks.size(), 1u);
  const AnimationTrack& track = mover_.tracks[0];
  EXPECT_TRUE(track.separateKeys);
  EXPECT_EQ(TimesOf(track.positionKeys),
            (Times{0, 160, 320, 480, 640, 800, 960, 1120, 1280, 1440, 1600}));
  EXPECT_EQ(track.rotationKeys.size(), 11u);
  EXPECT_EQ(track.scaleKeys.size(), 11u);
  EXPECT_FLOAT_EQ(track.positionKeys[5].value.x, 30.0f) << "frame 5, halfway from frame 2 to 8";
  EXPECT_EQ(context_.writeWorkCount, 33u);
}

TEST_F(SamplingTest, AnUnevenRateAddsASampleOnTheClipEnd) {
  gExportOptions.SampleRate = 7;  // 4800 / 7 = 685 ticks a sample
  SetupSamplingStep(&context_);
  ExtractSampledAnimation(&context_, &mover_);
  EXPECT_EQ(TimesOf(mover_.tracks[0].positionKeys), (Times{0, 685, 1370, 1600}));
}

TEST_F(SamplingTest, AZeroLengthClipGivesOneKeyOfEachKind) {
  gAnimationClips = {{L"Pose", 4, 4}};
  ExtractSampledAnimation(&context_, &mover_);
  const AnimationTrack& track = mover_.tracks[0];
  EXPECT_EQ(track.positionKeys.size(), 1u);
  EXPECT_EQ(track.rotationKeys.size(), 1u);
  EXPECT_EQ(track.scaleKeys.size(), 1u);
  EXPECT_FLOAT_EQ(track.positionKeys[0].value.x, 20.0f);
}

TEST_F(SamplingTest, ASampleRateOfZeroBecomesTheFrameRate) {
  gExportOptions.SampleRate = 0;
  SetupSamplingStep(&context_);
  EXPECT_EQ(gExportOptions.SampleRate, 30);
  EXPECT_EQ(context_.ticksPerSample, 160);
}

TEST_F(SamplingTest, TimelineCountsSamplesInItsOwnUnit) {
  gExportOptions.Timeline = 1;
  gExportOptions.TimelineCustom = 25;
  gAnimationClips = {{L"Clip", 0, 3}};
  ExtractSampledAnimation(&context_, &mover_);
  EXPECT_EQ(TimesOf(mover_.tracks[0].positionKeys), (Times{0, 25, 50, 75}));
}

TEST_F(SamplingTest, MatrixKeysAndReduction) {
  gExportOptions.KeyType = 0;
  gExportOptions.KeyOptimizeLevel = 3;
  ExtractSampledAnimation(&context_, &rider_);
  const AnimationTrack& track = rider_.tracks[0];
  EXPECT_FALSE(track.separateKeys);
  // The rider sits still on its parent: relative to it one hold, two keys.
  ASSERT_EQ(track.matrixKeys.size(), 2u);
  EXPECT_EQ(track.matrixKeys[1].time, 1600);
  EXPECT_EQ(track.matrixKeys[0].value.GetTrans(), Point3(0, 0, 5));
}

TEST_F(SamplingTest, WorldSpaceMeshKeysAreRelativeToTheBindPose) {
  gExportOptions.WorldSpace = 1;
  ExtractSampledAnimation(&context_, &box_);
  for (const QuatKey& key : box_.tracks[0].rotationKeys) EXPECT_TRUE(key.value.IsIdentity());
  for (const VectorKey& key : box_.tracks[0].positionKeys) EXPECT_EQ(key.value, Point3());
  for (const VectorKey& key : box_.tracks[0].scaleKeys) EXPECT_TRUE(key.value.Equals({1, 1, 1}));
  // A helper in world space keys its world transform: the rider rides along.
  ExtractSampledAnimation(&context_, &rider_);
  EXPECT_FLOAT_EQ(rider_.tracks[0].positionKeys[10].value.x, 60.0f);
}

TEST_F(SamplingTest, KeyFramesTakeTheControllersTimesAndTheClipEnds) {
  gExportOptions.KeyFrames = 1;
  ExtractAnimation(&context_, &mover_);
  const AnimationTrack& track = mover_.tracks[0];
  EXPECT_EQ(track.keyTimes, (Times{0, 320, 1280, 1600})) << "the key at frame 15 lies outside";
  EXPECT_EQ(track.positionTimes, (Times{320, 1280}));
  EXPECT_EQ(TimesOf(track.positionKeys), (Times{0, 320, 1280, 1600}));
  EXPECT_EQ(CountKeyTimes(context_, mover_), 4u);

  // The Timeline unit: whole frames from the clip start times the custom unit.
  gExportOptions.Timeline = 1;
  gExportOptions.TimelineCustom = 10;
  ExtractAnimation(&context_, &mover_);
  EXPECT_EQ(TimesOf(mover_.tracks[0].positionKeys), (Times{0, 20, 80, 100}));
}

TEST_F(SamplingTest, TimelineKeysBetweenFramesTakeTheirFrameOnceAndKeepRising) {
  // Keys 40 and 100 ticks into frame 1, and 10 ticks into frame 3: in whole frames 1, 1 and 3.
  sim::SceneBuilder b;
  b.FrameRate(30).TicksPerFrame(160).AnimationFrames(0, 10);
  sim::Point3TrackDescription track{sim::KeyInterpolation::Linear, {}};
  for (auto [tick, x] : {std::pair{200, 10.0f}, {260, 20.0f}, {490, 50.0f}}) {
    sim::Point3KeyDescription& key = track.keys.emplace_back();
    key.time = tick;
    key.value = {x, 0, 0};
  }
  b.Root().AddChild(L"Twitch").Dummy().PositionKeys(track);
  auto scene = b.Build();
  XNode twitch;
  twitch.hostNode = scene->Root().GetChildNode(0);
  gExportOptions.KeyFrames = 1;
  gExportOptions.Timeline = 1;
  gExportOptions.TimelineCustom = 10;
  gAnimationClips = {{L"Clip", 0, 4}};
  ExtractAnimation(&context_, &twitch);
  const std::vector<VectorKey>& keys = twitch.tracks[0].positionKeys;
  EXPECT_EQ(TimesOf(keys), (Times{0, 10, 30, 40}));
  // Each key holds the pose at its own whole frame: frame 1 (tick 160) is still before the first
  // key, frame 3 (tick 480) between the second and the third.
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_FLOAT_EQ(keys[1].value.x, 10.0f);
  EXPECT_FLOAT_EQ(keys[2].value.x, 20.0f + 30.0f * (480 - 260) / (490 - 260));
  EXPECT_FLOAT_EQ(keys[3].value.x, 50.0f);

  // A custom unit below 1 from an options file counts as 1, sampled or not.
  gExportOptions.TimelineCustom = 0;
  ExtractAnimation(&context_, &twitch);
  EXPECT_EQ(TimesOf(twitch.tracks[0].positionKeys), (Times{0, 1, 3, 4}));
  gExportOptions.KeyFrames = 0;
  gExportOptions.TimelineCustom = -5;
  ExtractAnimation(&context_, &twitch);
  EXPECT_EQ(TimesOf(twitch.tracks[0].positionKeys), (Times{0, 1, 2, 3, 4}));
}

TEST_F(SamplingTest, KeyFramesFallBackToSamplingWithoutTwoKeysInAClip) {
  gExportOptions.KeyFrames = 1;
  gAnimationClips = {{L"Clip", 0, 10}, {L"Late", 9, 20}};  // only the key at frame 15 in the second
  ExtractAnimation(&context_, &mover_);
  ASSERT_EQ(mover_.tracks.size(), 2u);
  EXPECT_TRUE(mover_.tracks[0].keyTimes.empty()) << "sampled";
  EXPECT_EQ(mover_.tracks[0].positionKeys.size(), 11u);
  EXPECT_EQ(CountKeyTimes(context_, mover_), 0u);
  // A node without controller keys is sampled too.
  ExtractAnimation(&context_, &rider_);
  EXPECT_EQ(rider_.tracks[0].positionKeys.size(), 11u);
}

TEST_F(SamplingTest, KeyFramesHalfATurnApartAreSampledForTheWayBetween) {
  // Half a turn between two keys has no shorter way: a reader could turn either way.
  sim::SceneBuilder b;
  b.FrameRate(30).TicksPerFrame(160).AnimationFrames(0, 10);
  auto turn = [](float angle) {
    return sim::RotationTrackDescription{sim::KeyInterpolation::Linear,
                                         {{0, Quat()}, {1600, QFromAngAxis(angle, {0, 0, 1})}}};
  };
  b.Root().AddChild(L"Half").Dummy().RotationKeys(turn(3.1415927f));
  b.Root().AddChild(L"Quarter").Dummy().RotationKeys(turn(1.5707964f));
  auto scene = b.Build();
  XNode half, quarter;
  half.hostNode = scene->Root().GetChildNode(0);
  quarter.hostNode = scene->Root().GetChildNode(1);
  gExportOptions.KeyFrames = 1;
  ExtractAnimation(&context_, &half);
  EXPECT_EQ(half.tracks[0].rotationKeys.size(), 11u) << "sampled";
  ExtractAnimation(&context_, &quarter);
  EXPECT_EQ(quarter.tracks[0].rotationKeys.size(), 2u) << "its own keys";
  gExportOptions.KeyType = 0;
  ExtractAnimation(&context_, &half);
  EXPECT_EQ(half.tracks[0].matrixKeys.size(), 11u) << "matrix keys alike";
}

TEST_F(SamplingTest, AClipThatEndsBeforeItStartsKeepsItsPlaceWithoutKeys) {
  gAnimationClips = {{L"Backwards", 10, 2}, {L"Clip", 0, 10}};
  ExtractSampledAnimation(&context_, &mover_);
  ASSERT_EQ(mover_.tracks.size(), 2u);
  EXPECT_EQ(mover_.tracks[0].KeyCount(), 0u);
  EXPECT_EQ(mover_.tracks[1].positionKeys.size(), 11u) << "the next clip keeps its index";
}

namespace {

// A controller whose keys live only in its sub-animations, or whose key interface reports a
// useless key size.
class FakeKeys : public Control, public IKeyControl {
 public:
  FakeKeys(std::vector<TimeValue> times, int keySize)
      : times_(std::move(times)), keySize_(keySize) {}
  Class_ID ClassID() override { return {1, 2}; }
  SClass_ID SuperClassID() override { return CTRL_POSITION_CLASS_ID; }
  BOOL IsAnimated() override { return TRUE; }
  using Animatable::GetInterface;
  void* GetInterface(DWORD id) override {
    return id == I_KEYCONTROL ? static_cast<IKeyControl*>(this) : nullptr;
  }
  int GetNumKeys() override { return static_cast<int>(times_.size()); }
  int GetKeySize() override { return keySize_; }
  void GetKey(int i, IKey* key) override { key->time = times_[static_cast<std::size_t>(i)]; }
  int NumSubs() override { return static_cast<int>(subs_.size()); }
  Animatable* SubAnim(int i) override { return subs_[static_cast<std::size_t>(i)]; }

  std::vector<Animatable*> subs_;

 private:
  std::vector<TimeValue> times_;
  int keySize_;
};

class FakeTransform : public Control {
 public:
  explicit FakeTransform(Control* position) : position_(position) {}
  Class_ID ClassID() override { return {3, 4}; }
  SClass_ID SuperClassID() override { return CTRL_MATRIX3_CLASS_ID; }
  Control* GetPositionController() override { return position_; }

 private:
  Control* position_;
};

class FakeNode : public INode {
 public:
  explicit FakeNode(Control* controller) : controller_(controller) {}
  const wchar_t* GetName() override { return L"Fake"; }
  INode* GetParentNode() override { return nullptr; }
  int NumberOfChildren() override { return 0; }
  INode* GetChildNode(int) override { return nullptr; }
  BOOL IsRootNode() override { return FALSE; }
  int IsNodeHidden(BOOL) override { return 0; }
  int Selected() override { return 0; }
  int Renderable() override { return 1; }
  Matrix3 GetNodeTM(TimeValue, Interval*) override { return Matrix3(); }
  Control* GetTMController() override { return controller_; }

 private:
  Control* controller_;
};

}  // namespace

TEST(KeyTimes, SubAnimationsAddTheirKeysAndAKeySizeBelowOneMeansNoKeys) {
  FakeKeys axis({0, 50, 100, 900}, sizeof(IKey));
  FakeKeys broken({25, 75}, 0);
  FakeKeys position({}, sizeof(IKey));
  position.subs_ = {nullptr, &axis, &broken};
  FakeTransform transform(&position);
  FakeNode node(&transform);
  AnimationTrack track;
  track.startTime = 0;
  track.endTime = 160;
  ASSERT_TRUE(CollectKeyTimes(&node, track));
  EXPECT_EQ(track.positionTimes, (std::vector<std::int32_t>{0, 50, 100}));
  EXPECT_EQ(track.keyTimes, (std::vector<std::int32_t>{0, 50, 100, 160}));

  // A sub-animation graph that loops back on itself fails instead of recursing forever.
  axis.subs_ = {&position};
  AnimationTrack looped;
  looped.endTime = 160;
  EXPECT_FALSE(CollectKeyTimes(&node, looped));
}
