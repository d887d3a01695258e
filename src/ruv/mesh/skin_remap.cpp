#include "ruv/mesh/skin_remap.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "ruv/core/progress.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/mesh/edge_neighbours.h"
#include "ruv/mesh/point_index.h"
#include "ruv/mesh/skin_weights.h"

namespace {

constexpr std::size_t kScannedPoints = 64;

// The first of `points` at the smallest distance from q (what PointIndex::Nearest answers), or -1
// when no distance is a number.
int ScanNearest(const std::vector<Point3>& points, const Point3& q) {
  int best = -1;
  float bestDistance = 0.0f;
  for (std::size_t i = 0; i < points.size(); ++i) {
    float d = PointDistance(points[i], q);
    if (std::isnan(d)) continue;
    if (best < 0 || d < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = d;
    }
  }
  return best;
}

float TriangleArea(const Point3& a, const Point3& b, const Point3& c) {
  return 0.5f * Length(CrossProd(b - a, c - a));
}

class SkinRemapper {
 public:
  SkinRemapper(ExportContext* context, XRenderableNode* node)
      : context_(context),
        node_(node),
        verts_(node->mesh->verts),
        points_(node->objectPoints),
        match_(static_cast<std::size_t>(node->meshData->positionCount), -1) {}

  void DirectMatches() {
    const int m = static_cast<int>(match_.size());
    if (node_->kind == KindSurface) {
      // A few control points over a dense surface scan the vertices: cheaper than indexing them.
      std::unique_ptr<PointIndex> vertices;
      if (points_.size() > kScannedPoints) vertices = std::make_unique<PointIndex>(verts_);
      for (std::size_t p = 0; p < points_.size(); ++p) {
        int v = vertices ? vertices->Nearest(points_[p]) : ScanNearest(verts_, points_[p]);
        if (v < 0 || v >= m) continue;
        int& current = match_[static_cast<std::size_t>(v)];
        const Point3& at = verts_[static_cast<std::size_t>(v)];
        if (current < 0 || PointDistance(points_[static_cast<std::size_t>(current)], at) >
                               PointDistance(points_[p], at))
          current = static_cast<int>(p);
      }
      for (int v = 0; v < m; ++v) {
        ProgressStep(context_);
        if (match_[static_cast<std::size_t>(v)] >= 0)
          TransferPointWeights(node_, v, match_[static_cast<std::size_t>(v)], 1.0f);
      }
      return;
    }
    for (int v = 0; v < m; ++v) {
      ProgressStep(context_);
      int p = Points().Match(verts_[static_cast<std::size_t>(v)]);
      if (p < 0) continue;
      TransferPointWeights(node_, v, p, 1.0f);
      match_[static_cast<std::size_t>(v)] = p;
    }
  }

  void Unmatched() {
    const int m = static_cast<int>(match_.size());
    std::optional<EdgeNeighbours> neighbours;
    for (int v = 0; v < m; ++v) {
      ProgressStep(context_);
      if (match_[static_cast<std::size_t>(v)] >= 0) continue;
      if (!neighbours) neighbours = FindEdgeNeighbours(*node_->mesh, match_);
      Blend(v, neighbours->Of(v));
    }
  }

 private:
  const PointIndex& Points() {
    if (!points_index_) points_index_ = std::make_unique<PointIndex>(points_);
    return *points_index_;
  }

  void From(int neighbour, int v, float factor) {
    TransferPointWeights(node_, v, match_[static_cast<std::size_t>(neighbour)], factor);
  }

  void Blend(int v, std::span<const int> found) {
    const Point3& at = verts_[static_cast<std::size_t>(v)];
    if (found.empty()) {
      int p = Points().Closest(at);
      if (p >= 0) TransferPointWeights(node_, v, p, 1.0f);
      return;
    }
    // The three nearest, the earlier found first among equals.
    struct Near {
      int vertex;
      float distance;
    };
    std::vector<Near> nearest;
    for (int u : found)
      nearest.push_back({u, PointDistance(verts_[static_cast<std::size_t>(u)], at)});
    std::stable_sort(nearest.begin(), nearest.end(),
                     [](const Near& a, const Near& b) { return a.distance < b.distance; });
    if (nearest.size() == 1) return From(nearest[0].vertex, v, 1.0f);
    if (nearest.size() == 2)
      return BlendTwo(v, nearest[0].vertex, nearest[0].distance, nearest[1].vertex,
                      nearest[1].distance);
    BlendThree(v, nearest[0].vertex, nearest[1].vertex, nearest[2].vertex);
  }

  // The nearer neighbour takes the larger share.
  void BlendTwo(int v, int q1, float d1, int q2, float d2) {
    float sum = d1 + d2;
    if (!(sum > 0.0f)) return From(q1, v, 1.0f);
    float share1 = d2 / sum, share2 = d1 / sum;
    if (share1 > 0.0f) From(q1, v, share1);
    if (share2 > 0.0f) From(q2, v, share2);
  }

  void BlendThree(int v, int q1, int q2, int q3) {
    const Point3& p = verts_[static_cast<std::size_t>(v)];
    const Point3& a = verts_[static_cast<std::size_t>(q1)];
    const Point3& b = verts_[static_cast<std::size_t>(q2)];
    const Point3& c = verts_[static_cast<std::size_t>(q3)];
    if (TriangleArea(a, b, c) == 0.0f) return From(q1, v, 1.0f);
    float w1 = TriangleArea(p, b, c), w2 = TriangleArea(p, c, a);
    Point3 normal = CrossProd(b - a, c - a);
    bool inside = DotProd(CrossProd(a - p, b - p), normal) >= 0.0f &&
                  DotProd(CrossProd(b - p, c - p), normal) >= 0.0f &&
                  DotProd(CrossProd(c - p, a - p), normal) >= 0.0f;
    bool corner = p == a || p == b || p == c;
    float w3 = inside && !corner ? TriangleArea(p, a, b) : 0.0f;
    float total = w1 + w2 + w3;
    if (!(total > 0.0f)) return From(q1, v, 1.0f);
    if (w1 > 0.0f) From(q1, v, w1 / total);
    if (w2 > 0.0f) From(q2, v, w2 / total);
    if (w3 > 0.0f) From(q3, v, w3 / total);
  }

  ExportContext* context_;
  XRenderableNode* node_;
  const std::vector<Point3>& verts_;
  const std::vector<Point3>& points_;
  std::vector<int> match_;
  std::unique_ptr<PointIndex> points_index_;
};

}  // namespace

bool RemapSkinToMesh(ExportContext* context, XRenderableNode* node) {
  if (node->objectPoints.empty() || !node->meshData || node->meshData->positionCount <= 0 ||
      !node->mesh)
    return false;
  if (static_cast<int>(node->mesh->verts.size()) < node->meshData->positionCount) return false;
  if (!node->skin || node->skin == node->rawSkin) node->skin = std::make_shared<XSkinInfo>();
  SkinRemapper remapper(context, node);
  remapper.DirectMatches();
  remapper.Unmatched();
  return true;
}
