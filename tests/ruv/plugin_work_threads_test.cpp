// The large-mesh stages on one thread and on several give the same file, byte for byte; and the
// pipeline they share keeps its order and its failures.
#include <atomic>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "export_folder.h"
#include "host/sim/material_builder.h"
#include "host/sim/mesh_builder.h"
#include "ruv/core/work_threads.h"

namespace {

// A wavy n x n grid whose corners exercise every per-corner path: material ids over three
// materials, two texture channels with a seam, vertex colours and alpha, and specified normals
// left out at some corners (or no specified normals at all, with smoothing groups instead).
Mesh WavyGrid(int n, bool specified) {
  std::vector<Point3> vertices;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
      vertices.emplace_back(static_cast<float>(x), static_cast<float>(y),
                            std::sin(0.37f * static_cast<float>(x * y % 17)));
  std::vector<sim::MapFace> faces;
  for (int y = 0; y + 1 < n; ++y)
    for (int x = 0; x + 1 < n; ++x) {
      auto at = [n](int i, int j) { return static_cast<DWORD>(j * n + i); };
      faces.push_back({at(x, y), at(x + 1, y), at(x + 1, y + 1)});
      faces.push_back({at(x, y), at(x + 1, y + 1), at(x, y + 1)});
    }
  Mesh mesh = sim::MakeMesh(vertices, faces, specified ? 0 : 1);
  for (int f = 0; f < mesh.getNumFaces(); ++f) {
    mesh.faces[f].setMatID(static_cast<WORD>(f / 7 % 5));
    if (!specified && f % 11 == 0) mesh.faces[f].setSmGroup(2);
  }
  sim::SetPlanarMap(mesh, 1);
  // Channel 2 splits the grid along a seam: the faces right of it use map vertices of their own.
  std::vector<UVVert> seamed;
  for (const Point3& v : vertices) seamed.emplace_back(v.x * 0.1f, v.y * 0.1f, 0.0f);
  std::size_t extra = seamed.size();
  for (const Point3& v : vertices) seamed.emplace_back(v.x * 0.1f + 0.5f, v.y * 0.1f, 0.0f);
  std::vector<sim::MapFace> seamFaces = faces;
  for (sim::MapFace& face : seamFaces) {
    if (vertices[face[0]].x >= static_cast<float>(n / 2))
      for (DWORD& index : face) index += static_cast<DWORD>(extra);
  }
  sim::SetMapChannel(mesh, 2, seamed, seamFaces);
  std::vector<VertColor> colors;
  std::vector<float> alphas;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    colors.emplace_back(static_cast<float>(i % 3) / 2.0f, 0.5f, 1.0f);
    alphas.push_back(static_cast<float>(i % 4) / 3.0f);
  }
  sim::SetVertexColors(mesh, colors);
  sim::SetVertexAlpha(mesh, alphas);
  if (specified) {
    std::vector<Point3> normals;
    for (const Point3& v : vertices) normals.push_back(Normalize(Point3(v.z, 0.3f, 1.0f)));
    std::vector<std::array<int, 3>> normalFaces;
    for (std::size_t f = 0; f < faces.size(); ++f) {
      std::array<int, 3> ids{};
      for (int c = 0; c < 3; ++c)
        ids[c] = f % 13 == 0 && c == 1 ? sim::kNoNormal : static_cast<int>(faces[f][c]);
      normalFaces.push_back(ids);
    }
    sim::SetSpecifiedNormals(mesh, normals, normalFaces);
  }
  return mesh;
}

class WorkThreadsTest : public ExportFolderTest {
 protected:
  void TearDown() override {
    SetWorkThreads(0);
    ExportFolderTest::TearDown();
  }

  std::string ExportBytes(sim::SimScene& scene, unsigned threads) {
    SetWorkThreads(threads);
    auto document = Export(scene);
    EXPECT_TRUE(document && FindNamed(*document, "Specified") && FindNamed(*document, "Smoothed"));
    std::ifstream in(folder_ / "out.x", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(WorkThreadsTest, LargeMeshesGiveTheSameBytesOnAnyNumberOfThreads) {
  // 130 x 130 vertices: 33,282 faces, several chunks of corners and more normals than are turned
  // into export space one at a time.
  auto multi = sim::MultiMaterial(
      L"Multi",
      {sim::StandardMaterial(L"A"), sim::StandardMaterial(L"B"), sim::StandardMaterial(L"C")});
  builder_.Root().AddChild(L"Specified").TriMesh(WavyGrid(130, true)).Material(multi);
  builder_.Root().AddChild(L"Smoothed").TriMesh(WavyGrid(97, false));
  auto scene = builder_.Build();
  for (const char* options : {"XFileType=1\r\nTangent=1\r\nBiTangent=1\r\nVertexColor=1\r\n",
                              "XFileType=0\r\nVertexColor=1\r\nMultiTexCoordsOptimize=1\r\n",
                              "XFileType=1\r\nDeclData=1\r\nTangent=1\r\nVertexColor=1\r\n"}) {
    SCOPED_TRACE(options);
    Options(options);
    std::string one = ExportBytes(*scene, 1);
    ASSERT_GT(one.size(), 1000000u);
    EXPECT_TRUE(one == ExportBytes(*scene, 2));
    EXPECT_TRUE(one == ExportBytes(*scene, 3));
  }
}

TEST(WorkPipelineTest, ConsumesInOrderWithEveryChunkProducedFirst) {
  for (unsigned threads : {1u, 2u}) {
    SetWorkThreads(threads);
    constexpr std::size_t kChunks = 200, kSlots = 3;
    std::vector<int> slotHolds(kSlots, -1);
    std::vector<std::size_t> order;
    std::atomic<bool> overwritten{false};
    RunPipelined(
        kChunks, kSlots,
        [&](std::size_t chunk, std::size_t slot) {
          // A slot is reused only once the chunk before in it was consumed.
          if (slotHolds[slot] != -1) overwritten = true;
          slotHolds[slot] = static_cast<int>(chunk);
        },
        [&](std::size_t chunk, std::size_t slot) {
          EXPECT_EQ(slotHolds[slot], static_cast<int>(chunk));
          slotHolds[slot] = -1;
          order.push_back(chunk);
        });
    EXPECT_FALSE(overwritten);
    ASSERT_EQ(order.size(), kChunks);
    for (std::size_t i = 0; i < kChunks; ++i) EXPECT_EQ(order[i], i);
  }
  SetWorkThreads(0);
}

TEST(WorkPipelineTest, AFailureOnEitherSideStopsBothAndIsThrownToTheCaller) {
  for (unsigned threads : {1u, 2u}) {
    SetWorkThreads(threads);
    std::atomic<std::size_t> consumed{0};
    EXPECT_THROW(RunPipelined(
                     100, 2,
                     [](std::size_t chunk, std::size_t) {
                       if (chunk == 10) throw std::runtime_error("produce");
                     },
                     [&](std::size_t, std::size_t) { ++consumed; }),
                 std::runtime_error);
    EXPECT_LE(consumed, 10u);  // never a chunk that was not produced
    EXPECT_THROW(RunPipelined(
                     100, 2, [](std::size_t, std::size_t) {},
                     [](std::size_t chunk, std::size_t) {
                       if (chunk == 5) throw std::length_error("consume");
                     }),
                 std::length_error);
    SideJob job([] { throw std::runtime_error("side"); });
    EXPECT_THROW(job.Wait(), std::runtime_error);
  }
  SetWorkThreads(0);
}

}  // namespace
