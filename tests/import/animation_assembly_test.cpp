// Animations and skins of the neutral model as host keys and Skin modifiers: the host's transform
// at every time is what the source's interpolation gives (turned Z-up at the top level), clips lie
// end to end, and a skinned mesh at its bind pose lies where the glTF file puts it.
#include <gtest/gtest.h>

#include <cmath>

#include "host/control.h"
#include "host/iskin.h"
#include "host/sim/import/animation_timeline.h"
#include "host/sim/import/model_assembly.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/sim_skin.h"
#include "import_test_support.h"

namespace {

using sim::import::ImportedChannel;
using sim::import::ImportedInterpolation;
using sim::import::ImportedModel;
using sim::import::ImportedNode;
using sim::import::ImportedPath;
using sim::import::kImportTicksPerSecond;

ImportedNode NodeOf(std::wstring name, int parent = -1, Point3 translation = {}) {
  ImportedNode node;
  node.name = std::move(name);
  node.parent = parent;
  node.local = TransMatrix(translation);
  return node;
}

ImportedChannel Channel(int node, ImportedPath path, ImportedInterpolation interpolation,
                        std::vector<float> times, std::vector<float> values) {
  return {node, path, interpolation, std::move(times), std::move(values), {}};
}

std::unique_ptr<sim::SimScene> Assemble(ImportedModel& model, float scale = 1.0f) {
  sim::import::LayOutClips(model, "model.gltf");
  return sim::import::AssembleScene(model, scale, "model.gltf", L"");
}

Matrix3 Local(INode* node, TimeValue t) {
  return node->GetNodeTM(t) * Inverse(node->GetParentNode()->GetNodeTM(t));
}

int Ticks(double seconds) { return static_cast<int>(std::lround(seconds * kImportTicksPerSecond)); }

void ExpectNear(const Point3& actual, const Point3& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectNear(const Matrix3& actual, const Matrix3& expected, float tolerance = 1e-4f) {
  for (int row = 0; row < 4; ++row) ExpectNear(actual.GetRow(row), expected.GetRow(row), tolerance);
}

Point3 Hermite(float p0, float m0, float p1, float m1, float d, float s) {
  float s2 = s * s, s3 = s2 * s;
  float v = (2 * s3 - 3 * s2 + 1) * p0 + (s3 - 2 * s2 + s) * d * m0 + (-2 * s3 + 3 * s2) * p1 +
            (s3 - s2) * d * m1;
  return {v, 0, 0};
}

TEST(AnimationImport, KeysFollowTheSourceInterpolationTurnedZUpAtTheTop) {
  ImportedModel model;
  model.nodes = {NodeOf(L"Root"), NodeOf(L"Child", 0, {0, 1, 0})};
  auto& animation = model.animations.emplace_back();
  animation.name = L"Move";
  // Linear translation of the top-level node, a quarter turn about Y of the child, stepped scale.
  animation.channels = {Channel(0, ImportedPath::kTranslation, ImportedInterpolation::kLinear,
                                {0, 1}, {0, 0, 0, 2, 4, 6}),
                        Channel(1, ImportedPath::kRotation, ImportedInterpolation::kLinear, {0, 1},
                                {0, 0, 0, 1, 0, std::sin(0.3926991f), 0, std::cos(0.3926991f)}),
                        Channel(1, ImportedPath::kScale, ImportedInterpolation::kStep, {0, 0.5f, 1},
                                {1, 1, 1, 2, 2, 2, 3, 3, 3})};
  auto scene = Assemble(model, 2.0f);
  INode* root = scene->FindNode(L"Root");
  INode* child = scene->FindNode(L"Child");
  Matrix3 turn = sim::import::YUpToZUp() * ScaleMatrix({2, 2, 2});
  // Halfway: the root at (1, 2, 3) in glTF, the child turned by half its arc (22.5 degrees).
  ExpectNear(root->GetNodeTM(Ticks(0.5)), TransMatrix({1, 2, 3}) * turn);
  // glTF turns counterclockwise about +Y, as the host's rotation matrices do.
  Matrix3 half = RotateYMatrix(0.3926991f);
  Matrix3 childLocal = ScaleMatrix({2, 2, 2}) * half * TransMatrix({0, 1, 0});
  ExpectNear(child->GetNodeTM(Ticks(0.5)), childLocal * root->GetNodeTM(Ticks(0.5)));
  // Step keys hold until the tick of the next key.
  EXPECT_NEAR(Length(Local(child, Ticks(0.5) - 1).GetRow(0)), 1.0f, 1e-4f);
  EXPECT_NEAR(Length(Local(child, Ticks(0.5)).GetRow(0)), 2.0f, 1e-4f);
  EXPECT_NEAR(Length(Local(child, Ticks(0.99)).GetRow(0)), 2.0f, 1e-4f);
}

TEST(AnimationImport, CubicSplinesAreExactForPositionsAndSampledForRotations) {
  ImportedModel model;
  model.yUp = false;
  model.nodes = {NodeOf(L"Node")};
  auto& animation = model.animations.emplace_back();
  // Keys at 0 s and 2 s: values 0 and 10, out-tangent 3 per second, in-tangent -4 per second;
  // rotations from none to a quarter turn about Z, leaving along Y.
  animation.channels = {Channel(0, ImportedPath::kTranslation, ImportedInterpolation::kCubicSpline,
                                {0, 2}, {9, 9, 9, 0, 0, 0, 3, 0, 0, -4, 0, 0, 10, 0, 0, 9, 9, 9}),
                        Channel(0, ImportedPath::kRotation, ImportedInterpolation::kCubicSpline,
                                {0, 2}, {0, 0, 0, 0, 0, 0, 0,          1,          0, 1, 0, 0,
                                         0, 0, 0, 0, 0, 0, 0.7071068f, 0.7071068f, 0, 0, 0, 0})};
  auto scene = Assemble(model);
  INode* node = scene->FindNode(L"Node");
  // The curve is cut at every frame (61 keys over 2 s), and stays the same curve between them.
  EXPECT_EQ(GetKeyControlInterface(node->GetTMController()->GetPositionController())->GetNumKeys(),
            61);
  for (double t : {0.25, 0.5, 1.0, 1.7, 1.01}) {
    SCOPED_TRACE(t);
    ExpectNear(node->GetNodeTM(Ticks(t)).GetTrans(),
               Hermite(0, 3, 10, -4, 2, static_cast<float>(t / 2)), 1e-3f);
  }
  // At a whole frame the rotation is the normalised Hermite curve of the quaternions.
  float s = 0.5f;
  float q[4];
  const float p0[4] = {0, 0, 0, 1}, m0[4] = {0, 1, 0, 0}, p1[4] = {0, 0, 0.7071068f, 0.7071068f};
  double length = 0;
  for (int i = 0; i < 4; ++i) {
    q[i] = Hermite(p0[i], m0[i], p1[i], 0, 2, s).x;
    length += q[i] * q[i];
  }
  float inverse = static_cast<float>(1 / std::sqrt(length));
  // The host's quaternion of a glTF rotation is its conjugate.
  Matrix3 expected;
  Quat(-q[0] * inverse, -q[1] * inverse, -q[2] * inverse, q[3] * inverse).MakeMatrix(expected);
  Matrix3 actual = node->GetNodeTM(Ticks(1.0));
  actual.SetTrans({0, 0, 0});
  ExpectNear(actual, expected, 1e-4f);
}

TEST(AnimationImport, ClipsLieEndToEndAndHoldWhatTheyDoNotKey) {
  ImportedModel model;
  model.yUp = false;
  model.nodes = {NodeOf(L"A", -1, {5, 0, 0}), NodeOf(L"B")};
  model.animations.resize(2);
  model.animations[0].name = L"Walk";
  model.animations[1].name = L"Walk";
  model.animations[0].channels = {Channel(0, ImportedPath::kTranslation,
                                          ImportedInterpolation::kLinear, {0, 1.01f},
                                          {0, 0, 0, 1, 0, 0})};
  // B moves only in the second clip, and only from half a second in.
  model.animations[1].channels = {Channel(1, ImportedPath::kTranslation,
                                          ImportedInterpolation::kLinear, {0.5f, 1},
                                          {0, 0, 7, 0, 0, 8})};
  auto scene = Assemble(model);
  ASSERT_EQ(model.clips.size(), 2u);
  // 1.01 s is frame 30.3: the first clip ends at frame 31, the next starts one frame later.
  EXPECT_EQ(model.clips[0].name, L"Walk");
  EXPECT_EQ(model.clips[1].name, L"Walk_2");
  EXPECT_EQ(model.clips[0].startFrame, 0);
  EXPECT_EQ(model.clips[0].endFrame, 31);
  EXPECT_EQ(model.clips[1].startFrame, 32);
  EXPECT_EQ(model.clips[1].endFrame, 32 + 30);
  Interval range = scene->Host().GetAnimRange();
  EXPECT_EQ(range.Start(), 0);
  EXPECT_EQ(range.End(), 62 * 160);
  INode* a = scene->FindNode(L"A");
  INode* b = scene->FindNode(L"B");
  // A stays at its rest place through the second clip; B rests through the first and holds its
  // first key from the start of the second.
  ExpectNear(a->GetNodeTM(40 * 160).GetTrans(), {5, 0, 0});
  ExpectNear(b->GetNodeTM(15 * 160).GetTrans(), {0, 0, 0});
  ExpectNear(b->GetNodeTM(33 * 160).GetTrans(), {0, 0, 7});
  ExpectNear(b->GetNodeTM(32 * 160 + Ticks(0.75)).GetTrans(), {0, 0, 7.5f});
  IKeyControl* keys = GetKeyControlInterface(b->GetTMController()->GetPositionController());
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->GetNumKeys(), 5);  // two rest keys, the held start, two keys
}

TEST(AnimationImport, KeysCloserThanATickAreDroppedWithAWarning) {
  ImportedModel model;
  model.nodes = {NodeOf(L"A")};
  model.animations.resize(1);
  model.animations[0].channels = {Channel(0, ImportedPath::kScale, ImportedInterpolation::kLinear,
                                          {0, 0.00001f, 1}, {1, 1, 1, 5, 5, 5, 2, 2, 2})};
  Assemble(model);
  EXPECT_EQ(model.animations[0].channels[0].ticks, (std::vector<int>{0, kImportTicksPerSecond}));
  ASSERT_EQ(model.warnings.size(), 1u);
  EXPECT_NE(model.warnings[0].find("closer than one host tick"), std::string::npos);
}

TEST(AnimationImport, ARotationSampledPastTheKeyLimitIsRefused) {
  ImportedModel model;
  model.nodes = {NodeOf(L"Spinner")};
  model.animations.resize(1);
  // Over an hour between two cubic-spline keys: more frames than a controller may hold keys.
  model.animations[0].channels = {
      Channel(0, ImportedPath::kRotation, ImportedInterpolation::kCubicSpline, {0, 4000},
              {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0})};
  try {
    Assemble(model);
    ADD_FAILURE() << "accepted";
  } catch (const sim::SceneFileError& error) {
    EXPECT_NE(std::string(error.what()).find("node Spinner would hold more keys in one part"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
