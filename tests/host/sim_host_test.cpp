// The in-memory host as the exporter meets it: the hierarchy and its transforms, the application's
// answers, and the recording of progress and message boxes.
#include <gtest/gtest.h>

#include <cstring>

#include "host/sim/scene_builder.h"
#include "platform/window.h"

namespace {

using sim::MessageBoxRecord;
using sim::NodeBuilder;
using sim::ProgressEvent;
using sim::SceneBuilder;

TEST(SimHost, HierarchyKeepsChildOrderParentsAndFlags) {
  SceneBuilder b;
  NodeBuilder& table = b.Root().AddChild(L"Table");
  table.AddChild(L"Leg").Hidden();
  table.AddChild(L"Leg").Selected();
  table.AddChild(L"Top").Renderable(false);
  b.Root().AddChild(L"Lamp");
  auto scene = b.Build();

  INode* root = scene->Host().GetRootNode();
  ASSERT_EQ(root, &scene->Root());
  EXPECT_TRUE(root->IsRootNode());
  EXPECT_STREQ(root->GetName(), L"Scene Root");
  EXPECT_EQ(root->GetParentNode(), nullptr);
  ASSERT_EQ(root->NumberOfChildren(), 2);
  EXPECT_STREQ(root->GetChildNode(1)->GetName(), L"Lamp");

  INode* tableNode = root->GetChildNode(0);
  EXPECT_FALSE(tableNode->IsRootNode());
  EXPECT_EQ(tableNode->GetParentNode(), root);
  ASSERT_EQ(tableNode->NumberOfChildren(), 3);
  INode* firstLeg = tableNode->GetChildNode(0);
  INode* secondLeg = tableNode->GetChildNode(1);
  INode* top = tableNode->GetChildNode(2);
  EXPECT_TRUE(firstLeg->IsNodeHidden() && !firstLeg->Selected() && firstLeg->Renderable());
  EXPECT_TRUE(!secondLeg->IsNodeHidden() && secondLeg->Selected());
  EXPECT_FALSE(top->Renderable());
  EXPECT_EQ(secondLeg->GetParentNode(), tableNode);

  // Out of range answers null, as the exporter's loops rely on.
  EXPECT_EQ(tableNode->GetChildNode(3), nullptr);
  EXPECT_EQ(tableNode->GetChildNode(-1), nullptr);

  EXPECT_EQ(scene->NodeCount(), 5u);
  EXPECT_EQ(scene->FindNode(L"Leg"), firstLeg);
  EXPECT_EQ(scene->FindNode(L"Nothing"), nullptr);
}

TEST(SimHost, NodeTransformComposesLocalWithAncestors) {
  SceneBuilder b;
  b.Root().Translate({0, 0, 1});
  NodeBuilder& arm = b.Root().AddChild(L"Arm").Rotate({0, 0, 90}).Translate({10, 0, 0});
  arm.AddChild(L"Hand").Translate({2, 0, 0}).Scale({3, 3, 3});
  auto scene = b.Build();

  // The hand's origin: 2 along the arm's X, which the arm turned onto +Y, then moved by (10,0,1).
  Matrix3 hand = scene->FindNode(L"Hand")->GetNodeTM(0);
  Point3 origin = hand.GetTrans();
  EXPECT_NEAR(origin.x, 10, 1e-5);
  EXPECT_NEAR(origin.y, 2, 1e-5);
  EXPECT_NEAR(origin.z, 1, 1e-5);
  // Its X axis is scaled by 3 and turned onto +Y.
  EXPECT_NEAR(hand[0].y, 3, 1e-5);
  EXPECT_NEAR(hand[0].x, 0, 1e-5);
}

TEST(SimHost, TransformPartsComposeAsScaleRotationTranslation) {
  Matrix3 m =
      NodeBuilder(L"n").Scale({2, 1, 1}).Rotate({90, 0, 90}).Translate({1, 2, 3}).LocalTransform();
  // X: scaled to (2,0,0); about X it stays; about Z it turns to (0,2,0); then moved.
  Point3 p = Point3(1, 0, 0) * m;
  EXPECT_NEAR(p.x, 1, 1e-5);
  EXPECT_NEAR(p.y, 4, 1e-5);
  EXPECT_NEAR(p.z, 3, 1e-5);
  // Y: about X it turns to (0,0,1); about Z it stays.
  Point3 q = Point3(0, 1, 0) * m;
  EXPECT_NEAR(q.x, 1, 1e-5);
  EXPECT_NEAR(q.y, 2, 1e-5);
  EXPECT_NEAR(q.z, 4, 1e-5);

  // A matrix given outright replaces the parts, and parts given later replace the matrix.
  Matrix3 mirror = ScaleMatrix({-1, 1, 1});
  EXPECT_EQ(NodeBuilder(L"n").Translate({5, 5, 5}).Transform(mirror).LocalTransform(), mirror);
  EXPECT_EQ(NodeBuilder(L"n").Transform(mirror).Translate({5, 5, 5}).LocalTransform(),
            TransMatrix({5, 5, 5}));
}

TEST(SimHost, ApplicationAnswersDefaultsAndSettings) {
  auto defaults = SceneBuilder().Build();
  Interface& host = defaults->Host();
  EXPECT_EQ(host.GetFrameRate(), 30);
  EXPECT_EQ(host.GetTicksPerFrame(), 160);
  EXPECT_EQ(host.GetAnimRange(), Interval(0, 16000));
  EXPECT_STREQ(host.GetCurFilePath(), L"");
  EXPECT_STREQ(host.GetDir(APP_IMAGE_DIR), L"");
  EXPECT_EQ(host.GetRootNode()->NumberOfChildren(), 0);

  // A range in frames is turned into ticks with the ticks per frame, whichever was set first.
  SceneBuilder b;
  b.AnimationFrames(10, 20).TicksPerFrame(80).FrameRate(25);
  b.SceneFile(L"C:\\scenes\\a.scene").Folder(APP_IMAGE_DIR, L"C:\\maps");
  auto scene = b.Build();
  EXPECT_EQ(scene->Host().GetAnimRange(), Interval(800, 1600));
  EXPECT_EQ(scene->Host().GetFrameRate(), 25);
  EXPECT_STREQ(scene->Host().GetCurFilePath(), L"C:\\scenes\\a.scene");
  EXPECT_STREQ(scene->Host().GetDir(APP_IMAGE_DIR), L"C:\\maps");
  EXPECT_STREQ(scene->Host().GetDir(APP_MAXDATA_DIR), L"");

  // The host application overrides folders from its command line.
  scene->Host().SetDir(APP_PLUGCFG_DIR, L"\\home\\me\\.config\\ruv");
  EXPECT_STREQ(scene->Host().GetDir(APP_PLUGCFG_DIR), L"\\home\\me\\.config\\ruv");

  b.AnimationTicks(5, 7);
  EXPECT_EQ(b.Build()->Host().GetAnimRange(), Interval(5, 7));
}

TEST(SimHost, EachBuildIsAnIndependentScene) {
  SceneBuilder b;
  b.Root().AddChild(L"Box");
  auto first = b.Build();
  auto second = b.Build();
  first->FindNode(L"Box")->SetHidden(true);
  EXPECT_FALSE(second->FindNode(L"Box")->IsNodeHidden());
  EXPECT_NE(first->FindNode(L"Box"), second->FindNode(L"Box"));
}

DWORD CountCalls(void* argument) {
  ++*static_cast<int*>(argument);
  return 0;
}

TEST(SimHost, ProgressIsRecordedAndObservedInOrder) {
  auto scene = SceneBuilder().Build();
  std::vector<ProgressEvent> observed;
  scene->Progress().SetObserver([&](const ProgressEvent& e) { observed.push_back(e); });

  Interface& host = scene->Host();
  int calls = 0;
  host.ProgressStart(L"Kavo", TRUE, CountCalls, &calls);
  EXPECT_TRUE(scene->Progress().Active());
  host.ProgressUpdate(31);
  host.ProgressUpdate(63, FALSE, L"Writing");
  host.ProgressEnd();
  EXPECT_FALSE(scene->Progress().Active());
  EXPECT_EQ(calls, 1);

  using Kind = ProgressEvent::Kind;
  std::vector<ProgressEvent> expected = {{Kind::Start, L"Kavo", 0, true},
                                         {Kind::Update, L"", 31, true},
                                         {Kind::Update, L"Writing", 63, false},
                                         {Kind::End, L"", 0, false}};
  EXPECT_EQ(scene->Progress().Events(), expected);
  EXPECT_EQ(observed, expected);
  EXPECT_EQ(scene->Progress().UpdatePercents(), (std::vector<int>{31, 63}));
}

TEST(SimHost, MessageBoxesOverTheMainWindowAreRecordedAndObserved) {
  auto scene = SceneBuilder().Build();
  std::vector<std::wstring> printed;
  scene->MainWindow().SetObserver(
      [&](const MessageBoxRecord& box) { printed.push_back(box.Line()); });

  HWND owner = scene->Host().GetMAXHWnd();
  ASSERT_EQ(owner, &scene->MainWindow());
  EXPECT_EQ(MessageBoxW(owner, L"No node!", L"", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxW(owner, L"No node will be export.", L"Warning", MB_ICONWARNING), IDOK);
  scene->MainWindow().SetAnswer(IDCANCEL);
  EXPECT_EQ(scene->MainWindow().ShowMessageBox(nullptr, nullptr, MB_OK), IDCANCEL);

  std::vector<MessageBoxRecord> expected = {
      {L"No node!", L"", MB_OK},
      {L"No node will be export.", L"Warning", MB_ICONWARNING},
      {L"", L"", MB_OK}};
  EXPECT_EQ(scene->MainWindow().MessageBoxes(), expected);
  EXPECT_EQ(printed,
            (std::vector<std::wstring>{L"No node!", L"Warning: No node will be export.", L""}));
}

TEST(SimHost, DeepChainIsWalkedAndDestroyedWithoutRecursion) {
  // Far deeper than any scene file may be: the node's own walks must not depend on the stack.
  auto root = std::make_unique<sim::SimNode>(L"Root", true);
  sim::SimNode* tip = root.get();
  for (int i = 0; i < 100000; ++i) {
    auto child = std::make_unique<sim::SimNode>(L"n");
    child->SetTransform(sim::SimTransformTrack(TransMatrix({1, 0, 0})));
    tip = &tip->AddChild(std::move(child));
  }
  EXPECT_FLOAT_EQ(tip->GetNodeTM(0).GetTrans().x, 100000.0f);
  root.reset();
}

}  // namespace
