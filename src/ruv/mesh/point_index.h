// Nearest-point queries over a fixed list of points, answering exactly what a scan of the list in
// order answers (the first point wins every tie), in about log n per query: a hash of the points'
// exact positions and a k-d tree. Distances are Length(p - q) in float, as the scan computes them.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "host/point3.h"

// A vertex takes a point closer than this when no point lies exactly on it.
constexpr float kPointMatchTolerance = 0.0001f;

class PointIndex {
 public:
  // Keeps a reference to `points`, which must outlive the index and not change.
  explicit PointIndex(const std::vector<Point3>& points);

  // The first point equal to q on every component (-0 equals 0; NaN equals nothing), or -1.
  int FirstEqual(const Point3& q) const;
  // How Nearest compares points: by their distance, or by its square (which rounds differently,
  // so the two may break ties apart).
  enum class Metric { kDistance, kSquaredDistance };
  // The first point at the smallest distance from q, or -1 when no distance is a number.
  int Nearest(const Point3& q, Metric metric = Metric::kDistance) const;
  // The first equal point, else the nearest.
  int Closest(const Point3& q) const;
  // The first equal point, else the nearest closer than kPointMatchTolerance, else -1.
  int Match(const Point3& q) const;

  const std::vector<Point3>& Points() const { return points_; }

 private:
  struct Best {
    float distance = 0.0f;
    int index = -1;
  };
  void Consider(int index, const Point3& q, Metric metric, Best& best) const;
  void Search(int lo, int hi, const Point3& q, Metric metric, Best& best) const;
  void Build(int lo, int hi);

  const std::vector<Point3>& points_;
  // By position hash: the first point of a chain, through sameHash_, of points with distinct
  // positions in point order.
  std::unordered_map<std::uint64_t, int> exact_;
  std::vector<int> sameHash_;
  std::vector<int> tree_;                // finite points, arranged as an implicit k-d tree
  std::vector<std::uint8_t> splitAxis_;  // per tree slot: the axis its subtree splits on
  std::vector<int> unsorted_;            // points with a coordinate that is not finite, in order
};

// The distance the scan compares.
inline float PointDistance(const Point3& a, const Point3& b) { return Length(a - b); }
