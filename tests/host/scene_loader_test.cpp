// Scene files: a file and the same scene built in code agree; every example loads; every kind of
// broken file is refused with a message naming the file, the place and the problem.
#include "host/sim/scene_file/scene_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/host_path.h"
#include "scene_file_expectations.h"

namespace {

namespace fs = std::filesystem;
using sim::SceneFileError;
using test::BadScene;
using test::ExpectRefused;
using test::Scene;

const fs::path kExamples = fs::path(RUV_SOURCE_DIR) / "examples";

// Both scenes have the same nodes in the same order with the same flags and world transforms.
void ExpectSameScene(sim::SimScene& actual, sim::SimScene& expected) {
  std::vector<std::pair<INode*, INode*>> pending{{&actual.Root(), &expected.Root()}};
  while (!pending.empty()) {
    auto [a, e] = pending.back();
    pending.pop_back();
    SCOPED_TRACE(std::wstring(e->GetName()).size());
    EXPECT_STREQ(a->GetName(), e->GetName());
    EXPECT_EQ(a->IsNodeHidden(), e->IsNodeHidden());
    EXPECT_EQ(a->Selected(), e->Selected());
    EXPECT_EQ(a->Renderable(), e->Renderable());
    Matrix3 am = a->GetNodeTM(0), em = e->GetNodeTM(0);
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 3; ++column)
        EXPECT_NEAR(am[row][column], em[row][column], 1e-4);
    }
    ASSERT_EQ(a->NumberOfChildren(), e->NumberOfChildren());
    for (int i = 0; i < a->NumberOfChildren(); ++i)
      pending.emplace_back(a->GetChildNode(i), e->GetChildNode(i));
  }
}

TEST(SceneLoader, HierarchyExampleMatchesTheSameSceneBuiltInCode) {
  auto loaded = sim::LoadSceneFile(kExamples / "hierarchy.json");

  sim::SceneBuilder b;
  b.FrameRate(30).TicksPerFrame(160).AnimationFrames(0, 60);
  auto& table = b.Root().AddChild(L"Table");
  table.AddChild(L"Top").Translate({0, 0, 70}).Scale({120, 80, 4});
  table.AddChild(L"Leg").Translate({55, 35, 35});
  table.AddChild(L"Leg").Translate({-55, -35, 35});
  table.AddChild(L"Guide").Hidden().Renderable(false);
  table.AddChild(L"Lamp").Selected().Translate({30, 0, 72}).Rotate({0, 0, 45});
  b.Root()
      .AddChild(L"Camera Target")
      .Transform(Matrix3({1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, -250, 90}));
  ExpectSameScene(*loaded, *b.Build());

  Interface& host = loaded->Host();
  EXPECT_EQ(host.GetAnimRange(), Interval(0, 60 * 160));
  // Relative paths resolve against the file's folder and reach the exporter in host form.
  fs::path folder = fs::absolute(kExamples).lexically_normal();
  EXPECT_EQ(std::wstring(host.GetCurFilePath()),
            platform::ToHostPath(folder / "scenes" / "hierarchy.scene"));
  EXPECT_EQ(std::wstring(host.GetDir(APP_IMAGE_DIR)), platform::ToHostPath(folder / "maps"));
  EXPECT_EQ(std::wstring(host.GetDir(APP_MAXDATA_DIR)), platform::ToHostPath(folder / "data"));
  EXPECT_STREQ(host.GetDir(APP_PLUGCFG_DIR), L"");
}

TEST(SceneLoader, EveryExampleLoads) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".json") continue;
    SCOPED_TRACE(entry.path().string());
    try {
      sim::LoadSceneFile(entry.path());
    } catch (const SceneFileError& error) {
      ADD_FAILURE() << error.what();
    }
    ++count;
  }
  EXPECT_GE(count, 1);
}

TEST(SceneLoader, PathsAndOrderRules) {
  auto scene = sim::LoadSceneText(R"({"format": "ruv-scene", "version": 1,
    "application": {"sceneFile": "..\\b\\.\\s.scene", "folders": {"9": "/etc/ruv/", "7": ""}},
    "nodes": [{"name": "Child", "parent": "Later"}, {"name": "Later", "parent": null}]})",
                                  "text", "/work/a");
  EXPECT_STREQ(scene->Host().GetCurFilePath(), L"\\work\\b\\s.scene");
  EXPECT_STREQ(scene->Host().GetDir(APP_PLUGCFG_DIR), L"\\etc\\ruv");
  EXPECT_STREQ(scene->Host().GetDir(APP_IMAGE_DIR), L"");
  // A parent listed after its child still takes it.
  ASSERT_EQ(scene->Root().NumberOfChildren(), 1);
  EXPECT_STREQ(scene->Root().GetChildNode(0)->GetChildNode(0)->GetName(), L"Child");
}

TEST(SceneLoader, MalformedFilesNameTheFileThePlaceAndTheProblem) {
  const BadScene cases[] = {
      // Not JSON, or not ours.
      {"{\"format\": \"ruv-scene\",\n  \"version\": 1,,}", "line 2, column 16", "syntax error"},
      {"[1, 2]", "top level", "expected an object, found an array"},
      {R"({"format": "other", "version": 1})", "/format", "not a scene file"},
      {R"({"format": "ruv-scene"})", "top level", "\"version\" is missing"},
      {R"({"format": "ruv-scene", "version": 6})", "/version", "newer"},
      {"{\"format\": \"ruv-scene\", \"version\": 1, \"nodes\": [{\"name\": \"\xC3\x28\"}]}",
       "line 1, column 60", "UTF-8"},
      // Wrong types and unknown keys.
      {R"({"format": "ruv-scene", "version": "1"})", "/version",
       "expected an integer, found a string"},
      {Scene(R"(, "nodez": [])"), "/nodez", "unknown key \"nodez\""},
      {Scene(R"(, "nodes": [{"name": "A", "hidden": 1}])"), "/nodes/0/hidden",
       "expected true or false"},
      {Scene(R"(, "nodes": [{"name": "A"}, {"name": 5}])"), "/nodes/1/name", "expected a string"},
      {Scene(R"(, "nodes": [{"hidden": true}])"), "/nodes/0", "\"name\" is missing"},
      {Scene(R"(, "application": {"frameRate": 29.97})"), "/application/frameRate",
       "expected an integer"},
      // Numbers out of range, NaN-like and overflowing ones.
      {Scene(R"(, "application": {"frameRate": 0})"), "/application/frameRate",
       "outside 1 to 1000"},
      {Scene(R"(, "application": {"ticksPerFrame": 18446744073709551615})"),
       "/application/ticksPerFrame", "outside"},
      {Scene(R"(, "application": {"animationRange": {"start": 0, "end": 20000000}})"),
       "/application/animationRange/end", "outside"},
      {Scene(R"(, "application": {"animationRange": {"start": 9, "end": 3}})"),
       "/application/animationRange/end", "ends before it starts"},
      {Scene(R"(, "application": {"folders": {"seven": "x"}})"), "/application/folders/seven",
       "folder number"},
      {Scene(R"(, "nodes": [{"name": "A", "transform": {"scale": [1, 1e39, 1]}}])"),
       "/nodes/0/transform/scale/1", "finite float"},
      {Scene(R"(, "nodes": [{"name": "A", "transform": {"rotate": [1, 1e999, 1]}}])"),
       "line 1, column 95", "number overflow"},
      {Scene(R"(, "nodes": [{"name": "A", "transform": {"translate": [1, 2]}}])"),
       "/nodes/0/transform/translate", "expected 3 elements, found 2"},
      {Scene(R"(, "nodes": [{"name": "A", "transform": {"matrix": [[1,0,0],[0,1,0],[0,0,1]]}}])"),
       "/nodes/0/transform/matrix", "expected 4 elements"},
      {Scene(R"(, "nodes": [{"name": "A", "transform": {"matrix": [], "scale": [2, 2, 2]}}])"),
       "/nodes/0/transform", "not both"},
      // References.
      {Scene(R"(, "nodes": [{"name": "A", "parent": "Nobody"}])"), "/nodes/0/parent",
       "no node has the id \"Nobody\""},
      {Scene(R"(, "nodes": [{"name": "A"}, {"name": "A"}])"), "/nodes/1",
       "already used by /nodes/0"},
      {Scene(R"(, "nodes": [{"name": "A", "parent": "B"}, {"name": "B", "parent": "A"}])"),
       "/nodes/0/parent", "loops: A -> B -> A"},
      {Scene(R"(, "nodes": [{"name": "A", "parent": "A"}])"), "/nodes/0/parent", "loops: A -> A"},
      // Repeated keys, which a parser would silently collapse.
      {"{\"format\": \"ruv-scene\", \"version\": 1, \"nodes\": [{\"name\": \"A\"},\n{\"name\": "
       "\"B\", \"name\": \"C\"}]}",
       "/nodes/1/name (line 2, column 15)", "appears twice"},
  };
  for (const BadScene& bad : cases) ExpectRefused(bad.text, bad.place, bad.problem);
}

TEST(SceneLoader, AbsurdSizesAreRefusedBeforeTheyCostMemoryOrStack) {
  // Nesting far beyond anything the format needs.
  std::string deep =
      Scene(R"(, "comment": )" + std::string(100000, '[') + std::string(100000, ']'));
  ExpectRefused(deep, "line 1, column 113", "nest deeper than 64");

  // One enormous string.
  std::string longName = Scene(R"(, "nodes": [{"name": ")" + std::string(5000, 'x') + "\"}]");
  ExpectRefused(longName, "/nodes/0/name", "longer than the limit");

  // A whole text beyond the file limit is refused before it is parsed.
  std::string huge(sim::SceneLimits::kMaxFileBytes + 1, ' ');
  EXPECT_THROW(sim::LoadSceneText(huge, "huge.json"), SceneFileError);

  // Hierarchy depth: exactly at the limit loads, one more level is refused.
  auto chain = [](int levels) {
    std::string nodes = R"({"name": "n0"})";
    for (int i = 1; i < levels; ++i) {
      nodes += R"(, {"name": "n)" + std::to_string(i) + R"(", "parent": "n)" +
               std::to_string(i - 1) + "\"}";
    }
    return Scene(R"(, "nodes": [)" + nodes + "]");
  };
  EXPECT_NO_THROW(sim::LoadSceneText(chain(sim::SceneLimits::kMaxHierarchyDepth), "chain.json"));
  ExpectRefused(chain(sim::SceneLimits::kMaxHierarchyDepth + 1), "/nodes/1000", "deeper than 1000");
}

TEST(SceneLoader, FilesThatCannotBeReadAreNamed) {
  fs::path missing = fs::temp_directory_path() / "ruv-no-such-scene.json";
  try {
    sim::LoadSceneFile(missing);
    ADD_FAILURE() << "accepted";
  } catch (const SceneFileError& error) {
    EXPECT_EQ(error.File(), missing.string());
    EXPECT_NE(error.Problem().find("cannot be read"), std::string::npos);
  }
  EXPECT_THROW(sim::LoadSceneFile(fs::temp_directory_path()), SceneFileError);

  // An empty file is a parse error with a position, not a crash.
  fs::path empty = fs::temp_directory_path() / "ruv-empty-scene.json";
  std::ofstream(empty).close();
  EXPECT_THROW(sim::LoadSceneFile(empty), SceneFileError);
  fs::remove(empty);
}

}  // namespace

namespace {

// Every cut of a good file, and every byte of it replaced by characters that break JSON in
// different ways or change a number's value (an index past the end, a size out of range), either
// loads or is refused with a SceneFileError: nothing else escapes, nothing crashes.
TEST(SceneLoader, DamagedFilesAreRefusedCleanly) {
  auto tryLoad = [](const std::string& text) {
    try {
      sim::LoadSceneText(text, "damaged.json", "/tmp");
    } catch (const SceneFileError&) {
    }
  };
  // The version 2 file mostly for what breaks its objects rather than its syntax, which the other
  // one covers.
  const std::pair<const char*, std::string> files[] = {{"hierarchy.json", "\"}\xFF"},
                                                       {"world-space.json", "9"}};
  for (const auto& [name, replacements] : files) {
    SCOPED_TRACE(name);
    std::ifstream in(kExamples / name, std::ios::binary);
    std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(good.empty());
    for (std::size_t length = 0; length < good.size(); ++length) tryLoad(good.substr(0, length));
    for (std::size_t i = 0; i < good.size(); ++i) {
      for (char replacement : replacements) {
        std::string damaged = good;
        damaged[i] = replacement;
        tryLoad(damaged);
      }
    }
  }
}

}  // namespace
