// Matching mesh vertices to object points for skin weights, as skin extraction does it: an index
// of the points, then per vertex the point on it or the nearest one within the tolerance. Prints
// the time for 10k, 100k and 1M vertices against as many points, and, at 10k, the plain scan it
// replaces. Then the neighbour search alone on grids with 16 matched vertices, and the whole
// transfer to a grid surface over 16 control points, each with the growth
// exponent of its time from 10k to 1M vertices (1 is linear), and to a grid mesh whose points sit
// on every other vertex of every other row, so that three vertices in four blend their neighbours'
// weights.
//
// A search over a mesh reads its vertices in the order of the mesh's edges, and from 10k to 1M
// vertices those reads leave the processor's caches for main memory: even the plainest search, one
// breadth-first pass from the matched vertices that only notes each vertex's distance, grows with
// an exponent above 1 on such a machine. So the search and the sparse transfer are also measured
// against that pass over the same grids: their exponent beyond it, their own minus the pass's plus
// 1, is what their own work adds, and a walk per vertex would show there as 2.
//
//   bench_skin           10k .. 1M
//
// Exits 1 when the index and the scan disagree at 10k, 100k takes a second or more, or either
// transfer grows faster than linearly (the sparse one above an exponent of 1.1 beyond the pass).
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "bench_support.h"
#include "host/sim/scene_builder.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/mesh/edge_neighbours.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/mesh/point_index.h"
#include "ruv/mesh/skin_remap.h"
#include "ruv/options/export_options.h"

namespace {

// Points scattered over a 100-unit cube; the vertices are a third the points themselves, a third
// nudged within the tolerance and a third elsewhere, as a mesh made from an object's points is.
void MakeCase(int count, std::vector<Point3>& points, std::vector<Point3>& vertices) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f), nudge(-0.00003f, 0.00003f);
  points.clear();
  vertices.clear();
  for (int i = 0; i < count; ++i)
    points.emplace_back(coordinate(random), coordinate(random), coordinate(random));
  for (int i = 0; i < count; ++i) {
    const Point3& p = points[static_cast<std::size_t>((static_cast<long long>(i) * 7919) % count)];
    if (i % 3 == 0) vertices.push_back(p);
    if (i % 3 == 1) vertices.emplace_back(p.x + nudge(random), p.y + nudge(random), p.z);
    if (i % 3 == 2)
      vertices.emplace_back(coordinate(random), coordinate(random), coordinate(random));
  }
}

int ScanMatch(const std::vector<Point3>& points, const Point3& q) {
  for (std::size_t i = 0; i < points.size(); ++i)
    if (points[i] == q) return static_cast<int>(i);
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

Mesh MakeGrid(int side) {
  Mesh mesh;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      mesh.verts.emplace_back(static_cast<float>(x), static_cast<float>(y), 0.0f);
  for (int y = 0; y + 1 < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      auto corner = static_cast<DWORD>(y * side + x), across = static_cast<DWORD>(side);
      Face a, b;
      a.setVerts(corner, corner + 1, corner + across + 1);
      b.setVerts(corner, corner + across + 1, corner + across);
      mesh.faces.push_back(a);
      mesh.faces.push_back(b);
    }
  }
  return mesh;
}

// Seconds for RemapSkinToMesh on a side x side grid, after the mesh data is generated. The points
// sit on every other vertex of every other row, or with `sparse` on a 4 x 4 lattice over the grid,
// as the control points of a dense surface do.
double TransferSeconds(int side, INode* host, ExportContext& context,
                       const std::vector<INode*>& bones, bool sparse = false) {
  XRenderableNode node;
  node.hostNode = host;
  node.meshCopy = MakeGrid(side);
  node.mesh = &node.meshCopy;
  if (sparse) {
    node.kind = KindSurface;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        node.objectPoints.emplace_back(static_cast<float>(x * (side - 1)) / 3.0f,
                                       static_cast<float>(y * (side - 1)) / 3.0f, 0.0f);
  } else {
    for (int y = 0; y < side; y += 2)
      for (int x = 0; x < side; x += 2)
        node.objectPoints.push_back(node.meshCopy.verts[static_cast<std::size_t>(y * side + x)]);
  }
  node.pointOrderDiffers = true;
  if (!GenMeshData(&context, &node)) return -1.0;
  node.rawSkin = std::make_shared<XSkinInfo>();
  for (std::size_t b = 0; b < bones.size(); ++b) {
    XBoneInfo& bone = node.rawSkin->bones[bones[b]];
    bone.weights.resize(node.objectPoints.size());
    for (std::size_t p = b; p < node.objectPoints.size(); p += bones.size())
      bone.weights[p] = {1.0f, 1};
  }
  double start = bench::CpuSeconds();
  bool done = RemapSkinToMesh(&context, &node);
  double seconds = bench::CpuSeconds() - start;
  return done ? seconds : -1.0;
}

// The neighbour search alone on a side x side grid whose 16 matched vertices lie on a 4 x 4
// lattice: best processor seconds of a few runs.
double SearchSeconds(const Mesh& mesh, const std::vector<int>& match, int runs) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    double start = bench::CpuSeconds();
    EdgeNeighbours found = FindEdgeNeighbours(mesh, match);
    best = std::min(best, bench::CpuSeconds() - start);
    if (found.vertices.size() < match.size() * 3) return -1.0;
  }
  return best;
}

// The plainest search: the mesh's edges side by side, then one breadth-first pass from the
// matched vertices noting each vertex's distance. Best processor seconds of a few runs.
double BreadthFirstSeconds(const Mesh& mesh, const std::vector<int>& match, int runs) {
  const std::size_t count = match.size();
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    double start = bench::CpuSeconds();
    std::vector<int> begin(count + 1, 0);
    for (const Face& face : mesh.faces)
      for (int corner = 0; corner < 3; ++corner) begin[face.v[corner] + 1] += 2;
    for (std::size_t v = 0; v < count; ++v) begin[v + 1] += begin[v];
    std::vector<int> edges(static_cast<std::size_t>(begin[count]));
    std::vector<int> fill(begin.begin(), begin.end() - 1);
    for (const Face& face : mesh.faces) {
      for (int corner = 0; corner < 3; ++corner) {
        DWORD a = face.v[corner], b = face.v[(corner + 1) % 3], c = face.v[(corner + 2) % 3];
        edges[static_cast<std::size_t>(fill[a]++)] = static_cast<int>(b);
        edges[static_cast<std::size_t>(fill[a]++)] = static_cast<int>(c);
      }
    }
    std::vector<int> distance(count, -1), frontier, next;
    for (std::size_t v = 0; v < count; ++v) {
      if (match[v] < 0) continue;
      distance[v] = 0;
      frontier.push_back(static_cast<int>(v));
    }
    for (int level = 1; !frontier.empty(); ++level) {
      next.clear();
      for (int u : frontier) {
        for (int i = begin[static_cast<std::size_t>(u)]; i < begin[static_cast<std::size_t>(u) + 1];
             ++i) {
          int& d = distance[static_cast<std::size_t>(edges[static_cast<std::size_t>(i)])];
          if (d >= 0) continue;
          d = level;
          next.push_back(edges[static_cast<std::size_t>(i)]);
        }
      }
      std::swap(frontier, next);
    }
    best = std::min(best, bench::CpuSeconds() - start);
  }
  return best;
}

// The 16 matched vertices of a side x side grid, on a 4 x 4 lattice.
std::vector<int> LatticeMatch(int side) {
  std::vector<int> match(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), -1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      match[static_cast<std::size_t>(y * (side - 1) / 3 * side + x * (side - 1) / 3)] = 0;
  return match;
}

int TransferBenchmark() {
  gExportOptions = ExportOptions{};
  gExportOptions.Skin = 1;
  SetupConversion(1.0f, 0, 0.0f, 0.0f);
  sim::SceneBuilder builder;
  builder.Root().AddChild(L"Grid");
  for (int b = 0; b < 4; ++b) builder.Root().AddChild(L"Bone" + std::to_wstring(b));
  auto scene = builder.Build();
  ExportContext context;
  context.host = &scene->Host();
  context.progressNextAt = 1e30f;
  std::vector<INode*> bones;
  for (int b = 0; b < 4; ++b) bones.push_back(scene->FindNode(L"Bone" + std::to_wstring(b)));

  int status = 0;
  // A dense surface over 16 control points: every vertex but 16 blends neighbours found far away.
  // Best of a few runs, more where one is short enough for the machine's noise to show.
  std::printf("\n%10s %12s %12s %14s   (16 matched vertices or points)\n", "vertices", "search (s)",
              "plain (s)", "transfer (s)");
  double firsts[3] = {}, lasts[3] = {};
  for (int side : {100, 316, 1000}) {
    const int runs = side == 100 ? 20 : side == 316 ? 5 : 2;
    Mesh mesh = MakeGrid(side);
    std::vector<int> match = LatticeMatch(side);
    double seconds[3] = {SearchSeconds(mesh, match, runs), BreadthFirstSeconds(mesh, match, runs),
                         1e30};
    for (int run = 0; run < runs; ++run)
      seconds[2] = std::min(seconds[2],
                            TransferSeconds(side, scene->FindNode(L"Grid"), context, bones, true));
    if (seconds[0] <= 0 || seconds[2] <= 0) return 1;
    std::printf("%10d %12.4f %12.4f %14.4f\n", side * side, seconds[0], seconds[1], seconds[2]);
    for (int k = 0; k < 3; ++k) {
      if (firsts[k] == 0) firsts[k] = seconds[k];
      lasts[k] = seconds[k];
    }
  }
  double growth[3];
  for (int k = 0; k < 3; ++k) growth[k] = bench::GrowthExponent(firsts[k], lasts[k], 1.0, 100.0);
  std::printf("growth exponents, 10k to 1M (1 is linear): the plain breadth-first pass %.2f\n",
              growth[1]);
  std::printf("  the neighbour search %.2f, beyond the plain pass %.2f\n", growth[0],
              growth[0] - growth[1] + 1.0);
  std::printf("  the sparse transfer %.2f, beyond the plain pass %.2f\n", growth[2],
              growth[2] - growth[1] + 1.0);
  if (growth[2] - growth[1] + 1.0 > 1.1 || growth[0] - growth[1] + 1.0 > 1.1) {
    std::printf("the neighbour search or the sparse transfer grows faster than linearly\n");
    status = 1;
  }

  std::printf("\n%10s %12s %14s\n", "vertices", "transfer (s)", "us per vertex");
  double first = 0;
  for (int side : {100, 316, 1000}) {
    double seconds = TransferSeconds(side, scene->FindNode(L"Grid"), context, bones);
    double perVertex = seconds * 1e6 / (static_cast<double>(side) * side);
    std::printf("%10d %12.3f %14.3f\n", side * side, seconds, perVertex);
    if (seconds < 0) status = 1;
    if (side == 100) first = perVertex;
    // Cache effects allow some growth per vertex; a quadratic walk would grow a hundredfold.
    if (side == 1000 && perVertex > 8 * first + 1.0) {
      std::printf("the transfer grows faster than linearly\n");
      status = 1;
    }
  }
  return status;
}

}  // namespace

int main() {
  int status = 0;
  std::vector<Point3> points, vertices;
  std::printf("%10s %12s %12s %10s\n", "vertices", "index (s)", "matching (s)", "matched");
  for (int count : {10000, 100000, 1000000}) {
    MakeCase(count, points, vertices);
    double start = bench::CpuSeconds();
    PointIndex index(points);
    double built = bench::CpuSeconds();
    std::vector<int> match(vertices.size());
    int matched = 0;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
      match[v] = index.Match(vertices[v]);
      matched += match[v] >= 0;
    }
    double done = bench::CpuSeconds();
    std::printf("%10d %12.3f %12.3f %10d\n", count, built - start, done - start, matched);
    if (count == 100000 && done - start >= 1.0) {
      std::printf("100k vertices took a second or more\n");
      status = 1;
    }
    if (count == 10000) {
      double scanStart = bench::CpuSeconds();
      for (std::size_t v = 0; v < vertices.size(); ++v) {
        if (ScanMatch(points, vertices[v]) != match[v]) {
          std::printf("the index and the scan disagree at vertex %zu\n", v);
          status = 1;
          break;
        }
      }
      std::printf("%10s %12s %12.3f   (the plain scan, quadratic)\n", "", "",
                  bench::CpuSeconds() - scanStart);
    }
  }
  return status | TransferBenchmark();
}
