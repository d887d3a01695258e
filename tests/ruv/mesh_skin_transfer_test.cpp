// Carrying raw weights from object points to mesh vertices: the point index against a plain scan,
// the neighbour search against one walk per vertex, the neighbour blends of triangle meshes and the
// patch blends of patch objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <span>

#include "host/mesh_adjacency.h"
#include "host/patch.h"
#include "host/sim/core/patch_conversion.h"
#include "host/sim/mesh_builder.h"
#include "host/sim/scene_builder.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/mesh/edge_neighbours.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/mesh/patch_skin.h"
#include "ruv/mesh/point_index.h"
#include "ruv/mesh/skin_remap.h"
#include "ruv/options/export_options.h"

namespace {

// The scans the index must agree with, written as plainly as possible.
int ScanEqual(const std::vector<Point3>& points, const Point3& q) {
  for (std::size_t i = 0; i < points.size(); ++i)
    if (points[i] == q) return static_cast<int>(i);
  return -1;
}

int ScanNearest(const std::vector<Point3>& points, const Point3& q, bool squared) {
  int best = -1;
  float bestDistance = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    float d = squared ? (points[i] - q).LengthSquared() : Length(points[i] - q);
    if (std::isnan(d)) continue;
    if (best < 0 || d < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = d;
    }
  }
  return best;
}

int ScanMatch(const std::vector<Point3>& points, const Point3& q) {
  int equal = ScanEqual(points, q);
  if (equal >= 0) return equal;
  int best = -1;
  float bestDistance = 99999.0f;
  for (std::size_t i = 0; i < points.size(); ++i) {
    float d = Length(points[i] - q);
    if (d < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = d;
    }
  }
  return bestDistance < kPointMatchTolerance ? best : -1;
}

// Points on a coarse lattice (many exact duplicates and equal distances), some nudged by less
// than the match tolerance, a few -0 components, and the odd point that is not finite.
std::vector<Point3> LatticePoints(std::mt19937& random, int count, bool oddValues) {
  std::uniform_int_distribution<int> cell(-4, 4), kind(0, 99);
  std::vector<Point3> points;
  for (int i = 0; i < count; ++i) {
    Point3 p(static_cast<float>(cell(random)), static_cast<float>(cell(random)),
             static_cast<float>(cell(random)) * 0.5f);
    int k = kind(random);
    if (k < 20) p.x += 0.00004f * static_cast<float>(cell(random));
    if (k >= 20 && k < 25) p.y = -0.0f;
    if (oddValues && k == 98) p.z = std::numeric_limits<float>::infinity();
    if (oddValues && k == 99) p.x = std::numeric_limits<float>::quiet_NaN();
    points.push_back(p);
  }
  return points;
}

}  // namespace

TEST(PointIndex, AnswersAsThePlainScanDoes) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::vector<Point3> points = LatticePoints(random, seed % 2 ? 1500 : 40, seed > 3);
    std::vector<Point3> queries = LatticePoints(random, 1500, seed > 3);
    queries.push_back({100, 100, 100});
    PointIndex index(points);
    for (const Point3& q : queries) {
      ASSERT_EQ(index.Match(q), ScanMatch(points, q)) << q.x << " " << q.y << " " << q.z;
      ASSERT_EQ(index.Nearest(q), ScanNearest(points, q, false));
      ASSERT_EQ(index.Nearest(q, PointIndex::Metric::kSquaredDistance),
                ScanNearest(points, q, true));
      int equal = ScanEqual(points, q);
      ASSERT_EQ(index.Closest(q), equal >= 0 ? equal : ScanNearest(points, q, false));
    }
  }
}

TEST(PointIndex, ExactlyEqualBeatsAnEarlierPointWithinTolerance) {
  std::vector<Point3> points = {{0.00005f, 0, 0}, {0, 0, 0}, {-0.0f, 0, 0}};
  PointIndex index(points);
  EXPECT_EQ(index.Match({0, 0, 0}), 1);
  EXPECT_EQ(index.Match({0.00004f, 0, 0}), 0) << "nearer to the first";
  EXPECT_EQ(index.Match({1, 0, 0}), -1);
  EXPECT_EQ(index.Nearest({1, 0, 0}), 0);
}

namespace {

// A node whose raw skin gives object point k all of bone k's weight, so that each bone's weight at
// a vertex is the share the vertex took from that point.
class TransferTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    gExportOptions.Skin = 1;
    SetupConversion(1.0f, 0, 0.0f, 0.0f);
    sim::SceneBuilder builder;
    builder.Root().AddChild(L"Host");
    for (int i = 0; i < 8; ++i) builder.Root().AddChild(L"Bone" + std::to_wstring(i));
    scene_ = builder.Build();
    context_.host = &scene_->Host();
    context_.progressNextAt = 1e30f;
  }
  void TearDown() override { gExportOptions = saved_; }

  INode* Bone(int k) { return scene_->FindNode(L"Bone" + std::to_wstring(k)); }

  void Prepare(const Mesh& mesh, std::vector<Point3> points, std::uint32_t kind) {
    node_.hostNode = scene_->FindNode(L"Host");
    node_.kind = kind;
    node_.meshCopy = mesh;
    node_.mesh = &node_.meshCopy;
    node_.objectPoints = std::move(points);
    node_.pointOrderDiffers = true;
    ASSERT_TRUE(GenMeshData(&context_, &node_));
    node_.skin.reset();
    node_.rawSkin = std::make_shared<XSkinInfo>();
    for (std::size_t k = 0; k < node_.objectPoints.size(); ++k) {
      XBoneInfo& bone = node_.rawSkin->bones[Bone(static_cast<int>(k))];
      bone.weights.resize(node_.objectPoints.size());
      bone.weights[k] = {1.0f, 1};
    }
  }

  // The share vertex v took from point k (0 when none).
  float Share(int v, int k) {
    auto found = node_.skin->bones.find(Bone(k));
    if (found == node_.skin->bones.end()) return 0.0f;
    return found->second.weights[static_cast<std::size_t>(v)].weight;
  }
  float Sum(int v) {
    float sum = 0;
    for (int k = 0; k < static_cast<int>(node_.objectPoints.size()); ++k) sum += Share(v, k);
    return sum;
  }

  ExportOptions saved_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
  XRenderableNode node_;
};

}  // namespace

// Matched vertices take their point whole; an unmatched one blends what the breadth-first search
// finds: one neighbour whole, two by distance (the nearer the larger share), three by area.
TEST_F(TransferTest, NeighbourBlendsOfUnmatchedVertices) {
  // Triangle 0-1-2 with point 0 on vertex 0 only: vertex 1 and 2 each reach just vertex 0.
  Prepare(sim::MakeMesh({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}}, {{0, 1, 2}}), {{0, 0, 0}}, KindMesh);
  ASSERT_TRUE(RemapSkinToMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Share(1, 0), 1.0f);
  EXPECT_FLOAT_EQ(Share(2, 0), 1.0f);

  // Vertex 2 sees vertex 0 at 1 and vertex 1 at 3: 3/4 and 1/4.
  Prepare(sim::MakeMesh({{0, 0, 0}, {1, 3, 0}, {1, 0, 0}}, {{0, 1, 2}}), {{0, 0, 0}, {1, 3, 0}},
          KindMesh);
  ASSERT_TRUE(RemapSkinToMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Share(2, 0), 0.75f);
  EXPECT_FLOAT_EQ(Share(2, 1), 0.25f);

  // Vertex 3 at the centroid of three matched corners: a third of each.
  Prepare(sim::MakeMesh({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {1, 1, 0}},
                        {{0, 1, 3}, {1, 2, 3}, {2, 0, 3}}),
          {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}}, KindMesh);
  ASSERT_TRUE(RemapSkinToMesh(&context_, &node_));
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(Share(3, k), 1.0f / 3.0f, 1e-6f);
  EXPECT_NEAR(Sum(3), 1.0f, 1e-6f);
}

// A part of the mesh with no matched vertex takes the nearest point; a vertex exactly on a point
// takes it even when an earlier point lies within the tolerance.
TEST_F(TransferTest, UnreachableVerticesTakeTheNearestPoint) {
  Prepare(sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {50, 0, 0}, {51, 0, 0}, {50, 1, 0}},
                        {{0, 1, 2}, {3, 4, 5}}),
          {{0.00005f, 0, 0}, {0, 0, 0}, {49, 0, 0}}, KindMesh);
  ASSERT_TRUE(RemapSkinToMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Share(0, 1), 1.0f);
  EXPECT_FLOAT_EQ(Share(0, 0), 0.0f);
  for (int v = 3; v < 6; ++v) EXPECT_FLOAT_EQ(Share(v, 2), 1.0f);
}

// Surfaces match the other way round: each point picks its nearest vertex, and the nearer of two
// points that pick one vertex keeps it.
TEST_F(TransferTest, SurfacePointsPickTheirNearestVertex) {
  Prepare(sim::MakeMesh({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 1, 2}}),
          {{1, 0, 0}, {0.5f, 0, 0}, {10, 0, 0}}, KindSurface);
  ASSERT_TRUE(RemapSkinToMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Share(0, 1), 1.0f);
  EXPECT_FLOAT_EQ(Share(0, 0), 0.0f);
  EXPECT_FLOAT_EQ(Share(1, 2), 1.0f);
  float d1 = 10.0f, d2 = std::sqrt(200.0f);
  EXPECT_NEAR(Share(2, 1), d2 / (d1 + d2), 1e-6f);
  EXPECT_NEAR(Share(2, 2), d1 / (d1 + d2), 1e-6f);
}

TEST_F(TransferTest, NothingToTransferFails) {
  Prepare(sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}), {}, KindMesh);
  EXPECT_FALSE(RemapSkinToMesh(&context_, &node_));
}

namespace {

PatchMesh Patches(std::vector<Point3> corners, std::vector<Patch> patches) {
  PatchMesh mesh;
  for (const Point3& p : corners) mesh.verts.push_back({p});
  mesh.patches = std::move(patches);
  return mesh;
}

Patch Quad(int a, int b, int c, int d) { return {PATCH_QUAD, {a, b, c, d}}; }

}  // namespace

class PatchTransferTest : public TransferTest {
 protected:
  void PreparePatches(PatchMesh patches) {
    patches_ = std::move(patches);
    Mesh mesh;
    ASSERT_TRUE(TessellatePatchMesh(&patches_, &mesh, &node_.patchMapping, 0));
    std::vector<Point3> points;
    for (const PatchVert& v : patches_.verts) points.push_back(v.p);
    Prepare(mesh, points, KindPatch);
    node_.patchMesh = &patches_;
  }
  int VertexAt(const Point3& p) {
    for (int v = 0; v < node_.mesh->getNumVerts(); ++v)
      if (node_.mesh->verts[static_cast<std::size_t>(v)] == p) return v;
    ADD_FAILURE() << "no vertex at " << p.x << " " << p.y << " " << p.z;
    return 0;
  }
  PatchMesh patches_;
};

// Corners take their point whole, an edge point half of each end, the centre of a square a quarter
// of each corner although several faces reach it.
TEST_F(PatchTransferTest, SquareQuadCornersEdgesAndCentre) {
  PreparePatches(Patches({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, {Quad(0, 1, 2, 3)}));
  ASSERT_TRUE(RemapSkinToPatchMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Share(VertexAt({10, 0, 0}), 1), 1.0f);
  int edge = VertexAt({5, 0, 0});
  EXPECT_FLOAT_EQ(Share(edge, 0), 0.5f);
  EXPECT_FLOAT_EQ(Share(edge, 1), 0.5f);
  int centre = VertexAt({5, 5, 0});
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(Share(centre, k), 0.25f);
  for (int v = 0; v < node_.mesh->getNumVerts(); ++v) EXPECT_NEAR(Sum(v), 1.0f, 1e-6f);
}

TEST_F(PatchTransferTest, TrianglePatchBlendsBarycentrically) {
  PreparePatches(Patches({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}}, {{PATCH_TRI, {0, 1, 2, 0}}}));
  ASSERT_TRUE(RemapSkinToPatchMesh(&context_, &node_));
  int edge = VertexAt({2, 2, 0});
  EXPECT_FLOAT_EQ(Share(edge, 1), 0.5f);
  EXPECT_FLOAT_EQ(Share(edge, 2), 0.5f);
  EXPECT_FLOAT_EQ(Share(edge, 0), 0.0f);
}

// Corners on a line enclose no area: every inner vertex takes the first corner's weights.
TEST_F(PatchTransferTest, DegeneratePatchTakesItsFirstCorner) {
  PreparePatches(Patches({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}}, {Quad(0, 1, 2, 3)}));
  ASSERT_TRUE(RemapSkinToPatchMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Share(VertexAt({5, 0, 0}), 0), 1.0f);
  EXPECT_FLOAT_EQ(Share(VertexAt({25, 0, 0}), 0), 1.0f);
}

// A face without a usable patch is passed over; its vertices wait for a face that has one.
TEST_F(PatchTransferTest, FacesWithoutAPatchArePassedOver) {
  PreparePatches(Patches({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, {Quad(0, 1, 2, 3)}));
  int centre = VertexAt({5, 5, 0});
  for (std::size_t f = 0; f + 1 < node_.patchMapping.size(); ++f) node_.patchMapping[f] = 7;
  node_.patchMapping.pop_back();
  node_.patchMapping.push_back(0);
  ASSERT_TRUE(RemapSkinToPatchMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Sum(centre), 1.0f) << "reached by the last face, the only one with a patch";

  node_.patchMapping.clear();
  node_.skin.reset();
  ASSERT_TRUE(RemapSkinToPatchMesh(&context_, &node_));
  EXPECT_FLOAT_EQ(Sum(centre), 0.0f);
  EXPECT_FLOAT_EQ(Share(VertexAt({0, 0, 0}), 0), 1.0f) << "direct matches still hold";
}

namespace {

// The search the transfer started from, one breadth-first walk per vertex: the reference the
// search from all matched vertices at once must agree with, order included.
std::vector<int> PlainEdgeSearch(const AdjEdgeList& adjacency, const std::vector<int>& match,
                                 int v) {
  std::vector<std::uint8_t> visited(match.size(), 0);
  std::vector<int> level{v}, next, found;
  visited[static_cast<std::size_t>(v)] = 1;
  while (!level.empty()) {
    for (int u : level)
      if (match[static_cast<std::size_t>(u)] >= 0) found.push_back(u);
    if (found.size() > 2) break;
    next.clear();
    for (int u : level) {
      for (DWORD e : adjacency.list[static_cast<std::size_t>(u)]) {
        int w = static_cast<int>(adjacency.edges[e].OtherVert(static_cast<DWORD>(u)));
        if (!visited[static_cast<std::size_t>(w)]) {
          visited[static_cast<std::size_t>(w)] = 1;
          next.push_back(w);
        }
      }
    }
    level.swap(next);
  }
  return found;
}

// A side x side grid, its faces in an order and winding of `random`'s choosing, plus a fan of
// `fan` triangles round one centre and a separate triangle.
Mesh VariedMesh(std::mt19937& random, int side, int fan) {
  Mesh mesh;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      mesh.verts.emplace_back(static_cast<float>(x), static_cast<float>(y), 0.0f);
  std::vector<Face> faces;
  auto add = [&](int a, int b, int c) {
    Face face;
    if (random() % 2) std::swap(a, b);
    face.setVerts(static_cast<DWORD>(a), static_cast<DWORD>(b), static_cast<DWORD>(c));
    faces.push_back(face);
  };
  for (int y = 0; y + 1 < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      int c = y * side + x;
      add(c, c + 1, c + side + 1);
      add(c, c + side + 1, c + side);
    }
  }
  const int centre = mesh.getNumVerts();
  mesh.verts.emplace_back(0.0f, 0.0f, 5.0f);
  for (int k = 0; k < fan; ++k) {
    mesh.verts.emplace_back(static_cast<float>(k % 3), static_cast<float>(k / 3), 5.0f);
    add(centre, centre + 1 + k, k + 1 < fan ? centre + 2 + k : centre + 1);
  }
  add(0, fan > 0 ? centre + 1 : 0, side - 1);
  const int apart = mesh.getNumVerts();
  for (int k = 0; k < 3; ++k) mesh.verts.emplace_back(50.0f + static_cast<float>(k), 0.0f, 0.0f);
  add(apart, apart + 1, apart + 2);
  add(apart, apart, apart + 1);  // degenerate: no edge of its own
  std::shuffle(faces.begin(), faces.end(), random);
  mesh.faces = std::move(faces);
  return mesh;
}

}  // namespace

// Sparse and dense matches, fans, faces in any order, a part without matches, duplicate and
// degenerate faces: every vertex finds what its own search finds, in the same order.
TEST(EdgeNeighbours, FindWhatEachVertexsOwnSearchFinds) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    Mesh mesh = VariedMesh(random, 5 + static_cast<int>(seed) * 3, seed % 3 ? 12 : 0);
    AdjEdgeList adjacency(mesh);
    std::vector<int> match(static_cast<std::size_t>(mesh.getNumVerts()), -1);
    const unsigned everyNth = seed <= 4 ? 2 : seed <= 8 ? 9 : 60;
    for (std::size_t v = 0; v < match.size(); ++v)
      if (random() % everyNth == 0) match[v] = static_cast<int>(v) * 2;
    if (seed == 12) match.back() = 1;  // the separate triangle holds one match
    EdgeNeighbours found = FindEdgeNeighbours(mesh, match);
    for (int v = 0; v < mesh.getNumVerts(); ++v) {
      std::vector<int> expected = PlainEdgeSearch(adjacency, match, v);
      std::span<const int> got = found.Of(v);
      ASSERT_EQ(std::vector<int>(got.begin(), got.end()), expected) << "vertex " << v;
    }
  }
}
