#include "ruv/mesh/point_index.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr int kLeafSize = 8;

bool Finite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool HasNaN(const Point3& p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z); }

// Equal positions hash alike: -0 is folded onto 0 first.
std::uint64_t PositionHash(const Point3& p) {
  std::uint64_t hash = 1469598103934665603ull;
  for (float c : {p.x, p.y, p.z}) {
    if (c == 0.0f) c = 0.0f;
    hash = (hash ^ std::bit_cast<std::uint32_t>(c)) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

PointIndex::PointIndex(const std::vector<Point3>& points) : points_(points) {
  exact_.reserve(points.size());
  sameHash_.assign(points.size(), -1);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point3& p = points[i];
    if (!HasNaN(p)) {
      auto [head, added] = exact_.emplace(PositionHash(p), static_cast<int>(i));
      // Only the first of equal points can ever be the answer, so later equal ones stay out.
      for (int at = head->second; !added; at = sameHash_[static_cast<std::size_t>(at)]) {
        if (points[static_cast<std::size_t>(at)] == p) break;
        if (sameHash_[static_cast<std::size_t>(at)] < 0) {
          sameHash_[static_cast<std::size_t>(at)] = static_cast<int>(i);
          break;
        }
      }
    }
    (Finite(p) ? tree_ : unsorted_).push_back(static_cast<int>(i));
  }
  splitAxis_.assign(tree_.size(), 0);
  Build(0, static_cast<int>(tree_.size()));
}

void PointIndex::Build(int lo, int hi) {
  if (hi - lo <= kLeafSize) return;
  Point3 low = points_[static_cast<std::size_t>(tree_[static_cast<std::size_t>(lo)])], high = low;
  for (int i = lo; i < hi; ++i) {
    const Point3& p = points_[static_cast<std::size_t>(tree_[static_cast<std::size_t>(i)])];
    for (int axis = 0; axis < 3; ++axis) {
      low[axis] = std::min(low[axis], p[axis]);
      high[axis] = std::max(high[axis], p[axis]);
    }
  }
  int axis = 0;
  for (int a = 1; a < 3; ++a) {
    if (double(high[a]) - low[a] > double(high[axis]) - low[axis]) axis = a;
  }
  int mid = lo + (hi - lo) / 2;
  std::nth_element(tree_.begin() + lo, tree_.begin() + mid, tree_.begin() + hi, [&](int a, int b) {
    return points_[static_cast<std::size_t>(a)][axis] < points_[static_cast<std::size_t>(b)][axis];
  });
  splitAxis_[static_cast<std::size_t>(mid)] = static_cast<std::uint8_t>(axis);
  Build(lo, mid);
  Build(mid + 1, hi);
}

int PointIndex::FirstEqual(const Point3& q) const {
  if (HasNaN(q)) return -1;
  auto found = exact_.find(PositionHash(q));
  if (found == exact_.end()) return -1;
  for (int i = found->second; i >= 0; i = sameHash_[static_cast<std::size_t>(i)]) {
    if (points_[static_cast<std::size_t>(i)] == q) return i;
  }
  return -1;
}

void PointIndex::Consider(int index, const Point3& q, Metric metric, Best& best) const {
  Point3 difference = points_[static_cast<std::size_t>(index)] - q;
  float distance = metric == Metric::kDistance ? difference.Length() : difference.LengthSquared();
  if (std::isnan(distance)) return;
  if (best.index < 0 || distance < best.distance ||
      (distance == best.distance && index < best.index)) {
    best.distance = distance;
    best.index = index;
  }
}

void PointIndex::Search(int lo, int hi, const Point3& q, Metric metric, Best& best) const {
  if (hi - lo <= kLeafSize) {
    for (int i = lo; i < hi; ++i) Consider(tree_[static_cast<std::size_t>(i)], q, metric, best);
    return;
  }
  int mid = lo + (hi - lo) / 2;
  int axis = splitAxis_[static_cast<std::size_t>(mid)];
  int splitPoint = tree_[static_cast<std::size_t>(mid)];
  double gap = double(q[axis]) - points_[static_cast<std::size_t>(splitPoint)][axis];
  Consider(splitPoint, q, metric, best);
  bool leftFirst = gap <= 0.0;
  if (leftFirst) {
    Search(lo, mid, q, metric, best);
  } else {
    Search(mid + 1, hi, q, metric, best);
  }
  // Every point beyond the split lies at least |gap| away. Float rounding may bring a computed
  // distance a little under the true one; the margins keep every point that could tie or win.
  double bound = std::abs(gap) * (1.0 - 1e-6);
  bound = metric == Metric::kDistance ? bound - 1e-18 : bound * bound - 1e-36;
  if (best.index >= 0 && bound > double(best.distance)) return;
  if (leftFirst) {
    Search(mid + 1, hi, q, metric, best);
  } else {
    Search(lo, mid, q, metric, best);
  }
}

int PointIndex::Nearest(const Point3& q, Metric metric) const {
  Best best;
  if (!Finite(q)) {
    for (std::size_t i = 0; i < points_.size(); ++i) Consider(static_cast<int>(i), q, metric, best);
    return best.index;
  }
  Search(0, static_cast<int>(tree_.size()), q, metric, best);
  for (int i : unsorted_) Consider(i, q, metric, best);
  return best.index;
}

int PointIndex::Closest(const Point3& q) const {
  int equal = FirstEqual(q);
  return equal >= 0 ? equal : Nearest(q);
}

int PointIndex::Match(const Point3& q) const {
  int equal = FirstEqual(q);
  if (equal >= 0) return equal;
  int nearest = Nearest(q);
  if (nearest >= 0 &&
      PointDistance(points_[static_cast<std::size_t>(nearest)], q) < kPointMatchTolerance)
    return nearest;
  return -1;
}
