// Scene files of version 3: a mesh's map channels and specified normals and a node's wire colour
// arrive in the host exactly as the same scene built in code has them, and every broken form is
// refused with the place and the problem.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "host/sim/mesh_builder.h"
#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/mesh_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/tri_object.h"
#include "scene_file_expectations.h"

namespace {

namespace fs = std::filesystem;
using test::BadScene;
using test::ExpectRefused;
using test::Scene;

const fs::path kExamples = fs::path(RUV_SOURCE_DIR) / "examples";

// The mesh the exporter would get from the node's object.
Mesh MeshOf(INode* node) {
  Object* object = node->GetObjectRef();
  Object* converted = object->ConvertToType(0, TRIOBJ_CLASS_ID);
  Mesh mesh = static_cast<TriObject*>(converted)->GetMesh();
  if (converted != object) converted->DeleteMe();
  return mesh;
}

void ExpectSameMesh(Mesh actual, Mesh expected) {
  ASSERT_EQ(actual.verts, expected.verts);
  ASSERT_EQ(actual.getNumFaces(), expected.getNumFaces());
  for (int f = 0; f < actual.getNumFaces(); ++f) {
    const Face &a = actual.faces[static_cast<std::size_t>(f)],
               &e = expected.faces[static_cast<std::size_t>(f)];
    EXPECT_TRUE(a.v[0] == e.v[0] && a.v[1] == e.v[1] && a.v[2] == e.v[2]) << "face " << f;
    EXPECT_EQ(a.smGroup, e.smGroup);
    EXPECT_EQ(a.flags, e.flags);
  }
  for (int channel = -NUM_HIDDENMAPS; channel < MAX_MESHMAPS; ++channel) {
    SCOPED_TRACE(channel);
    ASSERT_EQ(actual.mapSupport(channel), expected.mapSupport(channel));
    if (!actual.mapSupport(channel)) continue;
    ASSERT_EQ(actual.getNumMapVerts(channel), expected.getNumMapVerts(channel));
    for (int i = 0; i < actual.getNumMapVerts(channel); ++i) {
      EXPECT_EQ(actual.mapVerts(channel)[i], expected.mapVerts(channel)[i]);
    }
    for (int f = 0; f < actual.getNumFaces(); ++f) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(actual.mapFaces(channel)[f].t[k], expected.mapFaces(channel)[f].t[k]);
      }
    }
  }
  MeshNormalSpec* a = actual.GetSpecifiedNormals();
  MeshNormalSpec* e = expected.GetSpecifiedNormals();
  ASSERT_EQ(a != nullptr, e != nullptr);
  if (!a) return;
  ASSERT_EQ(a->GetNumNormals(), e->GetNumNormals());
  ASSERT_EQ(a->GetNumFaces(), e->GetNumFaces());
  // A corner given no normal answers the zero vector until the normals are built.
  for (int f = 0; f < a->GetNumFaces(); ++f) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a->GetNormal(f, k), e->GetNormal(f, k));
  }
}

TEST(SceneMeshesLoader, MeshesExampleMatchesTheSameMeshesBuiltInCode) {
  auto loaded = sim::LoadSceneFile(kExamples / "meshes.json");

  Mesh panel =
      sim::MakeMesh({{-5, -5, 0}, {5, -5, 0}, {5, 5, 0}, {-5, 5, 0}}, {{0, 1, 2}, {2, 3, 0}}, 1);
  sim::SetPlanarMap(panel, 1);
  sim::CopyMapChannel(panel, 1, 2);
  sim::SetVertexMap(panel, 3, {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}});

  Mesh painted =
      sim::MakeMesh({{-5, 0, 0}, {5, 0, 0}, {5, 0, 10}, {-5, 0, 10}}, {{0, 1, 2}, {2, 3, 0}}, 1);
  sim::SetVertexMap(painted, 1, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  sim::SetVertexColors(painted, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}});
  sim::SetMapChannel(painted, MAP_ALPHA, {{1, 1, 1}, {0.5f, 0.5f, 0.5f}}, {{0, 0, 1}, {1, 1, 0}});

  Mesh wedge =
      sim::MakeMesh({{-5, -5, 0}, {5, -5, 0}, {5, 5, 5}, {-5, 5, 5}, {-5, 5, 0}, {5, 5, 0}},
                    {{0, 1, 2}, {2, 3, 0}, {4, 3, 2}, {2, 5, 4}}, 1);
  wedge.faces[2].setSmGroup(2);
  wedge.faces[3].setSmGroup(2);
  constexpr int none = sim::kNoNormal;
  sim::SetSpecifiedNormals(wedge, {{0, -0.4472136f, 0.8944272f}, {0, -0.7071068f, 0.7071068f}},
                           {{1, 1, 0}, {0, 0, 1}, {none, none, none}, {none, none, none}});

  const std::pair<const wchar_t*, Mesh*> meshes[] = {
      {L"Panel", &panel}, {L"Painted", &painted}, {L"Wedge", &wedge}};
  for (const auto& [name, expected] : meshes) {
    SCOPED_TRACE(std::wstring(name).size());
    ExpectSameMesh(MeshOf(loaded->FindNode(name)), *expected);
  }
  ExpectSameMesh(MeshOf(loaded->FindNode(L"Crate")), sim::MakeBoxMesh(10, 10, 10));

  // Red in the low byte, as the exporter unpacks it; a node given none has the default.
  EXPECT_EQ(loaded->FindNode(L"Crate")->GetWireColor(), 0x00FF8000u);
  EXPECT_EQ(loaded->FindNode(L"Panel")->GetWireColor(), 0x002828C8u);
  EXPECT_EQ(loaded->FindNode(L"Globe")->GetWireColor(), sim::kDefaultWireColor);
  sim::SceneBuilder b;
  b.Root().AddChild(L"A").WireColor(0, 128, 255);
  EXPECT_EQ(b.Build()->FindNode(L"A")->GetWireColor(), 0x00FF8000u);
}

TEST(SceneMeshesLoader, BrokenChannelsNormalsAndColoursNameThePlaceAndTheProblem) {
  auto mesh = [](const std::string& extra, int version = 3) {
    return Scene(R"(, "nodes": [{"name": "A", "object": {"type": "mesh",
        "vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0], [1, 1, 0]],
        "faces": [[0, 1, 2], [2, 1, 3]], )" +
                     extra + "}}]",
                 version);
  };
  const std::string two = R"("faces": [[0, 1, 2], [2, 1, 0]])";
  const std::string uv = R"("vertices": [[0, 0], [1, 0], [0, 1]])";
  const BadScene cases[] = {
      // Version 2 files know none of the new keys.
      {mesh(R"("maps": {})", 2), "/nodes/0/object/maps", "needs format version 3"},
      {Scene(R"(, "nodes": [{"name": "A", "wireColor": [1, 2, 3]}])", 2), "/nodes/0/wireColor",
       "needs format version 3"},
      // Channel keys.
      {mesh(R"("maps": {"100": {)" + uv + ", " + two + "}}"), "/nodes/0/object/maps/100",
       "unknown map channel \"100\""},
      {mesh(R"("maps": {"uv": {)" + uv + "}}"), "/nodes/0/object/maps/uv", "\"colors\""},
      {mesh(R"("maps": {"0": {"vertices": [[1, 1, 1]], "faces": [[0, 0, 0], [0, 0, 0]]},
                        "colors": {"vertices": [[1, 1, 1]], "faces": [[0, 0, 0], [0, 0, 0]]}})"),
       "/nodes/0/object/maps/colors", "channel 0 is given twice, as \"0\" and as \"colors\""},
      // Channel contents.
      {mesh(R"("maps": {"1": {)" + uv + R"(, "faces": [[0, 1, 2]]}})"),
       "/nodes/0/object/maps/1/faces", "one map face per mesh face, 2, found 1"},
      {mesh(R"("maps": {"1": {)" + uv + R"(, "faces": [[0, 1, 2], [2, 1, 3]]}})"),
       "/nodes/0/object/maps/1/faces/1/2", "map vertex 3 does not exist: the channel has 3"},
      {mesh(R"("maps": {"1": {)" + uv + "}}"), "/nodes/0/object/maps/1/vertices",
       "one map vertex per mesh vertex, 4, found 3"},
      {mesh(R"("maps": {"colors": {"vertices": [[1, 0], [1, 0, 0], [1, 0, 0], [1, 0, 0]]}})"),
       "/nodes/0/object/maps/colors/vertices/0", "expected 3 elements, found 2"},
      {mesh(R"("maps": {"2": {"vertices": [0.5, 1, 1, 1]}})"), "/nodes/0/object/maps/2/vertices/0",
       "expected an array, found a number"},
      // Specified normals.
      {mesh(R"("specifiedNormals": {"normals": [[0, 0, 1]], "faces": [[0, 0, 0]]})"),
       "/nodes/0/object/specifiedNormals/faces", "one normal face per mesh face, 2, found 1"},
      {mesh(R"("specifiedNormals": {"normals": [[0, 0, 1]], "faces": [null, [0, 1, 0]]})"),
       "/nodes/0/object/specifiedNormals/faces/1/1",
       "normal 1 does not exist: the mesh has 1 specified normals"},
      {mesh(R"("specifiedNormals": {"normals": [[0, 0, 1]], "faces": [null, [0, -2, 0]]})"),
       "/nodes/0/object/specifiedNormals/faces/1/1", "outside -1 to"},
      // Wire colours.
      {Scene(R"(, "nodes": [{"name": "A", "wireColor": [0, 128, 256]}])", 3),
       "/nodes/0/wireColor/2", "outside 0 to 255"},
  };
  for (const BadScene& bad : cases) ExpectRefused(bad.text, bad.place, bad.problem);
}

// Points and faces given as plain arrays of numbers are read in one step; every other form of them
// (a face as an object, -0, null and -1 normal ids, two-component coordinates, alpha as numbers)
// reads as before, and what is wrong is named at the element.
TEST(SceneMeshesLoader, EveryFormOfPointsAndFacesReadsAsBefore) {
  std::string text = Scene(R"(, "nodes": [{"name": "A", "object": {"type": "mesh",
      "vertices": [[0, 0, 0], [1.5, -0, 0], [0, 1, 2e0], [1, 1, 0]],
      "faces": [[0, 1, 2], {"vertices": [2, 1, 3], "smoothing": 4, "materialId": 2}, [-0, 3, 2]],
      "maps": {"1": {"vertices": [[0, 0], [1, 0, 0.5], [0, 1], [1, 1]]},
               "alpha": {"vertices": [0.5, [1, 1, 1], 0.25, 1]},
               "2": {"vertices": [[0, 0], [1, 0], [0, 1]], "faces": [[0, 1, 2], [2, 1, 0], [-0, 1, 2]]}},
      "specifiedNormals": {"normals": [[0, 0, 1], [0, 1, 0]],
                           "faces": [[0, 1, 0], null, [-1, 1, null]]}}}])",
                           3);
  auto scene = sim::LoadSceneText(text, "forms.json", "/tmp");
  Mesh mesh = MeshOf(scene->FindNode(L"A"));
  ASSERT_EQ(mesh.getNumFaces(), 3);
  EXPECT_EQ(mesh.verts[1], Point3(1.5f, 0, 0));
  EXPECT_EQ(mesh.faces[1].v[0], 2u);
  EXPECT_EQ(mesh.faces[1].smGroup, 4u);
  EXPECT_EQ(mesh.faces[1].getMatID(), 2);
  EXPECT_EQ(mesh.faces[2].v[0], 0u);
  EXPECT_EQ(mesh.mapVerts(1)[1], Point3(1, 0, 0.5f));
  EXPECT_EQ(mesh.mapVerts(MAP_ALPHA)[0], Point3(0.5f, 0.5f, 0.5f));
  EXPECT_EQ(mesh.mapVerts(MAP_ALPHA)[1], Point3(1, 1, 1));
  EXPECT_EQ(mesh.mapFaces(2)[2].t[0], 0u);
  MeshNormalSpec* normals = mesh.GetSpecifiedNormals();
  ASSERT_NE(normals, nullptr);
  EXPECT_EQ(normals->GetNormalIndex(0, 1), 1);
  EXPECT_EQ(normals->GetNormalIndex(1, 0), -1);
  EXPECT_EQ(normals->GetNormalIndex(2, 0), -1);
  EXPECT_EQ(normals->GetNormalIndex(2, 1), 1);

  auto mesh2 = [](const std::string& vertices, const std::string& faces) {
    return Scene(R"(, "nodes": [{"name": "A", "object": {"type": "mesh", "vertices": )" + vertices +
                     R"(, "faces": )" + faces + "}}]",
                 3);
  };
  const std::string three = "[[0, 0, 0], [1, 0, 0], [0, 1, 0]]";
  const BadScene cases[] = {
      {mesh2(R"([[0, 0, 0], [1, "x", 0], [0, 1, 0]])", "[[0, 1, 2]]"),
       "/nodes/0/object/vertices/1/1", "expected a number"},
      {mesh2("[[0, 0, 0], [1, 0], [0, 1, 0]]", "[[0, 1, 2]]"), "/nodes/0/object/vertices/1",
       "expected 3 elements, found 2"},
      {mesh2("[[0, 0, 0], [1, 0, 1e39], [0, 1, 0]]", "[[0, 1, 2]]"), "/nodes/0/object/vertices/1/2",
       ""},
      {mesh2(three, "[[0, 1, 2], [0, 1.5, 2]]"), "/nodes/0/object/faces/1/1", ""},
      {mesh2(three, "[[0, 1, 2], [0, -1, 2]]"), "/nodes/0/object/faces/1/1", "outside 0 to"},
      {mesh2(three, "[[0, 1, 2], [0, 1, 4294967296]]"), "/nodes/0/object/faces/1/2",
       "outside 0 to"},
  };
  for (const BadScene& bad : cases) ExpectRefused(bad.text, bad.place, bad.problem);
}

// Long arrays of rows are held packed: they read into the same mesh, the forms that are not plain
// rows (-1 normal ids, null) read as before, and a fault deep in one is named at its element.
TEST(SceneMeshesLoader, LongArraysOfRowsReadAsShortOnes) {
  auto rows = [](const std::string& row) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += ", " + row;
    return text;
  };
  std::string text = Scene(R"(, "nodes": [{"name": "A", "object": {"type": "mesh",
      "vertices": [[0, 0, 0], [1.5, -0, 0], [0.25, 1, 2e0], [1, 1, 0])" +
                               rows("[0.125, -7.5, 1234567.8]") + R"(],
      "faces": [[0, 1, 2], [1, 2, 3], [-0, 3, 2])" +
                               rows("[3, 2, 1]") + R"(],
      "maps": {"1": {"vertices": [[0, 0], [1, 0], [0.5, 1], [1, 1])" +
                               rows("[0.5, 0.25]") +
                               R"(]},
               "2": {"vertices": [[0, 0], [1, 0], [0, 1]],
                     "faces": [[0, 1, 2], [2, 1, 0], [-0, 1, 2])" +
                               rows("[2, 1, 0]") + R"(]}},
      "specifiedNormals": {"normals": [[0, 0, 1], [0, 1, 0]],
                           "faces": [[0, 1, 0], null, [-1, 1, 0])" +
                               rows("[1, -1, 0]") + R"(]}}}])",
                           3);
  auto scene = sim::LoadSceneText(text, "long.json", "/tmp");
  Mesh mesh = MeshOf(scene->FindNode(L"A"));
  ASSERT_EQ(mesh.getNumVerts(), 104);
  ASSERT_EQ(mesh.getNumFaces(), 103);
  EXPECT_EQ(mesh.verts[1], Point3(1.5f, 0, 0));
  EXPECT_EQ(mesh.verts[2], Point3(0.25f, 1, 2));
  EXPECT_EQ(mesh.verts[103], Point3(0.125f, -7.5f, 1234567.8f));
  EXPECT_EQ(mesh.faces[1].v[2], 3u);
  EXPECT_EQ(mesh.faces[102].v[0], 3u);
  EXPECT_EQ(mesh.mapVerts(1)[2], Point3(0.5f, 1, 0));
  EXPECT_EQ(mesh.mapVerts(1)[103], Point3(0.5f, 0.25f, 0));
  EXPECT_EQ(mesh.mapFaces(2)[102].t[0], 2u);
  MeshNormalSpec* normals = mesh.GetSpecifiedNormals();
  ASSERT_NE(normals, nullptr);
  EXPECT_EQ(normals->GetNormalIndex(0, 1), 1);
  EXPECT_EQ(normals->GetNormalIndex(1, 0), -1);
  EXPECT_EQ(normals->GetNormalIndex(2, 0), -1);
  EXPECT_EQ(normals->GetNormalIndex(102, 0), 1);
  EXPECT_EQ(normals->GetNormalIndex(102, 1), -1);

  // Each fault comes after a hundred plain rows.
  auto mesh2 = [&](const std::string& vertex, const std::string& face, const std::string& ids) {
    return Scene(R"(, "nodes": [{"name": "A", "object": {"type": "mesh",
        "vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0])" +
                     rows("[0.5, 0.5, 0]") + ", " + vertex + R"(], "faces": [[0, 1, 2])" +
                     rows("[0, 1, 2]") + ", " + face +
                     R"(], "specifiedNormals": {"normals": [[0, 0, 1]], "faces": [[0, 0, 0])" +
                     rows("[0, 0, 0]") + ", " + ids + "]}}}]",
                 3);
  };
  const std::string vertex = "[1, 1, 0]", face = "[0, 1, 2]", ids = "[0, 0, 0]";
  const BadScene cases[] = {
      {mesh2(R"([1, "x", 0])", face, ids), "/nodes/0/object/vertices/103/1", "expected a number"},
      {mesh2("[1, 0]", face, ids), "/nodes/0/object/vertices/103", "expected 3 elements, found 2"},
      {mesh2("[1, 0, 1e39]", face, ids), "/nodes/0/object/vertices/103/2",
       "the number 1e+39 does not fit a finite float"},
      {mesh2(vertex, "[0, 1.5, 2]", ids), "/nodes/0/object/faces/101/1", "expected an integer"},
      {mesh2(vertex, "[0, -1, 2]", ids), "/nodes/0/object/faces/101/1", "outside 0 to"},
      {mesh2(vertex, "[0, 1, 4294967296]", ids), "/nodes/0/object/faces/101/2",
       "the value 4294967296 is outside 0 to"},
      {mesh2(vertex, "[0, 1, 104]", ids), "/nodes/0/object/faces/101/2",
       "vertex 104 does not exist: the mesh has 104 vertices"},
      {mesh2(vertex, face, "[0, 1, 0]"), "/nodes/0/object/specifiedNormals/faces/101/1",
       "normal 1 does not exist: the mesh has 1 specified normals"},
  };
  for (const BadScene& bad : cases) ExpectRefused(bad.text, bad.place, bad.problem);
}

// An integer past a double's precision becomes the float nearest it on every path: rounded once,
// not to a double first (2^60 + 2^36 + 1 lies just past a tie between two floats).
TEST(SceneMeshesLoader, LargeIntegersBecomeTheNearestFloatWhicheverWayTheyAreRead) {
  const std::string big = "1152921573326323713";
  std::string text = Scene(R"(, "nodes": [{"name": "A", "object": {"type": "mesh",
      "vertices": [[)" + big + R"(, 0, 0], [1, 0, 0], [0, 1, 0]], "faces": [[0, 1, 2]],
      "maps": {"alpha": {"vertices": [)" +
                               big + ", 1, [" + big + R"(, 1, 1]]}}}}])",
                           3);
  Mesh mesh = MeshOf(sim::LoadSceneText(text, "big.json", "/tmp")->FindNode(L"A"));
  const float nearest = std::ldexp(1.0f, 60) + std::ldexp(1.0f, 37);
  EXPECT_EQ(mesh.verts[0].x, nearest);
  EXPECT_EQ(mesh.mapVerts(MAP_ALPHA)[0].x, nearest);  // a number, read the checked way
  EXPECT_EQ(mesh.mapVerts(MAP_ALPHA)[2].x, nearest);  // a row
}

TEST(SceneMeshesLoader, MapDataHasItsOwnSceneBudget) {
  nlohmann::json value;
  std::string file = "budget.json";
  sim::JsonPlace place(value, "/nodes/2/object/maps/1", file);
  sim::GeometryBudget budget;
  // Map data does not eat into the mesh totals, nor they into its.
  budget.Take(place, sim::SceneLimits::kMaxSceneVertices, sim::SceneLimits::kMaxSceneFaces);
  budget.TakeMapData(place, sim::SceneLimits::kMaxSceneMapVertices - 1,
                     sim::SceneLimits::kMaxSceneMapFaces);
  budget.TakeMapData(place, 1, 0);
  EXPECT_THROW(budget.TakeMapData(place, 0, 1), sim::SceneFileError);
  EXPECT_THROW(sim::GeometryBudget().TakeMapData(place, SIZE_MAX, 0), sim::SceneFileError);
}

}  // namespace
