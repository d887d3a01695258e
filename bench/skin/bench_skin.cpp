// Matching mesh vertices to object points for skin weights, as skin extraction does it: an index
// of the points, then per vertex the point on it or the nearest one within the tolerance. Prints
// the time for 10k, 100k and 1M vertices against as many points, and, at 10k, the plain scan it
// replaces.
//
//   bench_skin           10k .. 1M
//
// Exits 1 when the index and the scan disagree at 10k, or 100k takes a second or more.
#include <time.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "ruv/mesh/point_index.h"

namespace {

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

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

}  // namespace

int main() {
  int status = 0;
  std::vector<Point3> points, vertices;
  std::printf("%10s %12s %12s %10s\n", "vertices", "index (s)", "matching (s)", "matched");
  for (int count : {10000, 100000, 1000000}) {
    MakeCase(count, points, vertices);
    double start = CpuSeconds();
    PointIndex index(points);
    double built = CpuSeconds();
    std::vector<int> match(vertices.size());
    int matched = 0;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
      match[v] = index.Match(vertices[v]);
      matched += match[v] >= 0;
    }
    double done = CpuSeconds();
    std::printf("%10d %12.3f %12.3f %10d\n", count, built - start, done - start, matched);
    if (count == 100000 && done - start >= 1.0) {
      std::printf("100k vertices took a second or more\n");
      status = 1;
    }
    if (count == 10000) {
      double scanStart = CpuSeconds();
      for (std::size_t v = 0; v < vertices.size(); ++v) {
        if (ScanMatch(points, vertices[v]) != match[v]) {
          std::printf("the index and the scan disagree at vertex %zu\n", v);
          status = 1;
          break;
        }
      }
      std::printf("%10s %12s %12.3f   (the plain scan, quadratic)\n", "", "",
                  CpuSeconds() - scanStart);
    }
  }
  return status;
}
