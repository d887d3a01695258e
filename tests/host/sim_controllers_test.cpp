// Transform controllers of the in-memory host: interpolation of each kind, the key interface the
// exporter reads, node transforms at any time through the parent chain, and keys in scene files.
#include "host/sim/sim_controllers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/control.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/scene_loader.h"
#include "scene_file_expectations.h"

namespace {

using sim::KeyInterpolation;
using sim::Point3KeyDescription;
using sim::Point3TrackDescription;
using sim::RotationTrackDescription;

Point3TrackDescription Track(KeyInterpolation interpolation,
                             std::vector<Point3KeyDescription> keys) {
  return {interpolation, std::move(keys)};
}

Point3KeyDescription Key(TimeValue time, const Point3& value) {
  Point3KeyDescription key;
  key.time = time;
  key.value = value;
  return key;
}

sim::RotationKeyDescription Turn(TimeValue time, const Quat& value) {
  sim::RotationKeyDescription key;
  key.time = time;
  key.value = value;
  return key;
}

void ExpectNear(const Point3& actual, const Point3& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

}  // namespace

TEST(SimControllers, LinearPositionHoldsOutsideItsKeysAndInterpolatesBetween) {
  sim::SimPoint3Control c(
      CTRL_POSITION_CLASS_ID,
      Track(KeyInterpolation::Linear, {Key(100, {0, 0, 0}), Key(300, {10, 20, 0})}), {5, 5, 5});
  ExpectNear(c.Value(0), {0, 0, 0});
  ExpectNear(c.Value(150), {2.5f, 5, 0});
  ExpectNear(c.Value(1000), {10, 20, 0});
  sim::SimPoint3Control none(CTRL_POSITION_CLASS_ID, {}, {5, 5, 5});
  ExpectNear(none.Value(50), {5, 5, 5});
  EXPECT_FALSE(none.IsAnimated());
}

TEST(SimControllers, BezierAndTcbPassThroughTheirKeysAndCurveBetween) {
  std::vector<Point3KeyDescription> keys{Key(0, {0, 0, 0}), Key(100, {10, 0, 0}),
                                         Key(200, {10, 10, 0})};
  for (KeyInterpolation kind : {KeyInterpolation::Bezier, KeyInterpolation::Tcb}) {
    sim::SimPoint3Control c(CTRL_POSITION_CLASS_ID, Track(kind, keys), {});
    ExpectNear(c.Value(100), {10, 0, 0});
    ExpectNear(c.Value(200), {10, 10, 0});
    // Smooth through the corner at (10, 0): the curve leaves the straight segment.
    EXPECT_GT(std::fabs(c.Value(150).x - 10.0f), 0.1f) << static_cast<int>(kind);
  }
  // Given Bezier tangents of zero length: an ease from key to key, halfway at the middle.
  keys[0].outTangent = keys[1].inTangent = Point3();
  sim::SimPoint3Control eased(CTRL_POSITION_CLASS_ID, Track(KeyInterpolation::Bezier, keys), {});
  ExpectNear(eased.Value(50), {5, 0, 0});
  EXPECT_LT(eased.Value(10).x, 1.0f) << "slow at the start";
}

TEST(SimControllers, RotationsSlerpTheShorterWay) {
  Quat quarter = QFromAngAxis(1.5707964f, {0, 0, 1});
  sim::SimRotationControl c({KeyInterpolation::Tcb, {Turn(0, Quat()), Turn(100, quarter)}}, Quat());
  Quat half = c.Value(50);
  Quat expected = QFromAngAxis(0.7853982f, {0, 0, 1});
  EXPECT_NEAR(half % expected, 1.0f, 1e-5f);
  // The same rotation given with the opposite sign still turns the short way.
  Quat negated(-quarter.x, -quarter.y, -quarter.z, -quarter.w);
  EXPECT_NEAR(std::fabs(Slerp(Quat(), negated, 0.5f) % expected), 1.0f, 1e-5f);
}

TEST(SimControllers, KeyInterfaceGivesRecordsOfTheControllersOwnSize) {
  sim::SimPoint3Control bezier(
      CTRL_POSITION_CLASS_ID,
      Track(KeyInterpolation::Bezier, {Key(160, {1, 2, 3}), Key(320, {4, 5, 6})}), {});
  auto* keys = GetKeyControlInterface(&bezier);
  ASSERT_NE(keys, nullptr);
  ASSERT_EQ(keys->GetNumKeys(), 2);
  ASSERT_EQ(keys->GetKeySize(), static_cast<int>(sizeof(IBezPoint3Key)));
  IBezPoint3Key key;
  keys->GetKey(1, &key);
  EXPECT_EQ(key.time, 320);
  EXPECT_EQ(key.val, Point3(4, 5, 6));
  sim::SimRotationControl rotation({KeyInterpolation::Linear, {Turn(7, Quat())}}, Quat());
  EXPECT_EQ(GetKeyControlInterface(&rotation)->GetKeySize(), static_cast<int>(sizeof(ILinRotKey)));
}

TEST(SimControllers, KeyedNodesMoveThroughTheParentChain) {
  sim::SceneBuilder b;
  sim::NodeBuilder& parent = b.Root().AddChild(L"Parent");
  parent.PositionKeys(Track(KeyInterpolation::Linear, {Key(0, {0, 0, 0}), Key(1600, {100, 0, 0})}));
  // The child keys only its rotation: its static translation stays its position.
  parent.AddChild(L"Child")
      .Translate({0, 10, 0})
      .RotationKeys(
          {KeyInterpolation::Linear, {Turn(0, Quat()), Turn(1600, QFromAngAxis(2.0f, {0, 0, 1}))}});
  auto scene = b.Build();
  INode* child = scene->Root().GetChildNode(0)->GetChildNode(0);
  Matrix3 m = child->GetNodeTM(800);
  ExpectNear(m.GetTrans(), {50, 10, 0});
  Matrix3 halfway;
  QFromAngAxis(1.0f, {0, 0, 1}).MakeMatrix(halfway);
  ExpectNear(m.GetRow(0), halfway.GetRow(0));  // halfway through the turn
  Control* controller = child->GetTMController();
  ASSERT_NE(controller, nullptr);
  EXPECT_FALSE(controller->GetPositionController()->IsAnimated());
  EXPECT_TRUE(controller->GetRotationController()->IsAnimated());
  EXPECT_EQ(controller->NumSubs(), 3);
  EXPECT_EQ(controller->SubAnim(1), controller->GetRotationController());
}

TEST(SimControllers, SceneFilesCarryKeysFromVersionFive) {
  auto scene = sim::LoadSceneText(test::Scene(R"(, "application": {"ticksPerFrame": 10}, "nodes": [
    {"name": "Helper", "transform": {"scale": [2, 2, 2]}, "controller": {"class": "transform",
      "position": {"interpolation": "bezier", "keys": [{"frame": 0, "value": [0, 0, 0]},
                                                     {"tick": 100, "value": [0, 0, 40], "inTangent": [0, 0, 0]}]},
      "rotation": {"interpolation": "tcb", "keys": [{"frame": 0, "value": [0, 0, 0], "tension": 0.5}]}}}])",
                                              5),
                                  "keys.json", "/tmp");
  INode* helper = scene->Root().GetChildNode(0);
  ExpectNear(helper->GetNodeTM(100).GetTrans(), {0, 0, 40});
  // The unkeyed scale keeps the static one.
  ExpectNear(helper->GetNodeTM(100).GetRow(0), {2, 0, 0});
  auto* keys = GetKeyControlInterface(helper->GetTMController()->GetPositionController());
  ASSERT_EQ(keys->GetNumKeys(), 2);
  ITCBRotKey rotationKey;
  GetKeyControlInterface(helper->GetTMController()->GetRotationController())
      ->GetKey(0, &rotationKey);
  EXPECT_FLOAT_EQ(rotationKey.tens, 0.5f);
}

TEST(SimControllers, BrokenKeysAreRefusedAtTheirPlace) {
  auto node = [](const std::string& controller, int version = 5) {
    return test::Scene(R"(, "nodes": [{"name": "A", "controller": )" + controller + "}]", version);
  };
  test::ExpectRefused(
      node(R"({"class": "transform", "position": {"keys": [{"frame": 1, "value": [0, 0, 0]}]}})",
           4),
      "/nodes/0/controller/position", "needs format version 5");
  test::ExpectRefused(
      node(R"({"class": "footstep", "scale": {"keys": [{"frame": 1, "value": [1, 1, 1]}]}})"),
      "/nodes/0/controller", "only a \"transform\" controller");
  test::ExpectRefused(
      node(
          R"({"class": "transform", "position": {"keys": [{"frame": 5, "value": [0, 0, 0]}, {"frame": 5, "value": [1, 0, 0]}]}})"),
      "/nodes/0/controller/position/keys/1", "key times must rise");
  test::ExpectRefused(
      node(R"({"class": "transform", "rotation": {"interpolation": "bezier", "keys": []}})"),
      "/nodes/0/controller/rotation/interpolation", "unknown interpolation");
  test::ExpectRefused(
      node(R"({"class": "transform", "position": {"keys": [{"value": [0, 0, 0]}]}})"),
      "/nodes/0/controller/position/keys/0", "\"frame\" or \"tick\"");
  test::ExpectRefused(
      node(
          R"({"class": "transform", "position": {"interpolation": "tcb", "keys": [{"frame": 0, "value": [0, 0, 0], "bias": 2}]}})"),
      "/nodes/0/controller/position/keys/0/bias", "between -1 and 1");
}
