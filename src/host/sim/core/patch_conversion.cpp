#include "host/sim/core/patch_conversion.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// Builds the triangle mesh, sharing the points along patch edges between neighbouring patches.
class Tessellator {
 public:
  Tessellator(const PatchMesh& patches, Mesh& mesh, std::vector<int>& mapping)
      : patches_(patches), mesh_(mesh), mapping_(mapping) {}

  void Run() {
    mesh_.verts.clear();
    mesh_.faces.clear();
    mapping_.clear();
    for (const PatchVert& vertex : patches_.verts) mesh_.verts.push_back(vertex.p);
    for (int index = 0; index < patches_.getNumPatches(); ++index) {
      const Patch& patch = patches_.patches[static_cast<std::size_t>(index)];
      if (!Valid(patch)) continue;
      if (patch.type == PATCH_QUAD) {
        Quad(patch, index);
      } else {
        Triangle(patch, index);
      }
    }
  }

 private:
  bool Valid(const Patch& patch) const {
    int corners = patch.type == PATCH_QUAD ? 4 : 3;
    for (int i = 0; i < corners; ++i) {
      if (patch.v[i] < 0 || patch.v[i] >= patches_.getNumVerts()) return false;
    }
    return true;
  }

  const Point3& Corner(int vertex) const {
    return patches_.verts[static_cast<std::size_t>(vertex)].p;
  }

  DWORD Add(const Point3& p) {
    mesh_.verts.push_back(p);
    return static_cast<DWORD>(mesh_.verts.size() - 1);
  }

  // Point `step` of kPatchSteps on the edge from a to b; computed from the lower vertex index so
  // that both patches beside the edge get the same point.
  DWORD EdgePoint(int a, int b, int step) {
    if (step == 0) return static_cast<DWORD>(a);
    if (step == kPatchSteps) return static_cast<DWORD>(b);
    if (a > b) {
      std::swap(a, b);
      step = kPatchSteps - step;
    }
    auto key = std::make_tuple(a, b, step);
    auto found = edgePoints_.find(key);
    if (found != edgePoints_.end()) return found->second;
    float t = static_cast<float>(step) / kPatchSteps;
    DWORD added = Add(Corner(a) + (Corner(b) - Corner(a)) * t);
    edgePoints_.emplace(key, added);
    return added;
  }

  void AddFace(DWORD a, DWORD b, DWORD c, int patch) {
    if (a == b || b == c || c == a) return;
    ::Face face;
    face.setVerts(a, b, c);
    face.setSmGroup(1);
    mesh_.faces.push_back(face);
    mapping_.push_back(patch);
  }

  // Corners a, b, c, d counter-clockwise at (0, 0), (1, 0), (1, 1), (0, 1).
  void Quad(const Patch& patch, int index) {
    const int n = kPatchSteps;
    std::vector<DWORD> grid(static_cast<std::size_t>((n + 1) * (n + 1)));
    auto at = [&](int i, int j) -> DWORD& {
      return grid[static_cast<std::size_t>(j * (n + 1) + i)];
    };
    const int a = patch.v[0], b = patch.v[1], c = patch.v[2], d = patch.v[3];
    for (int j = 0; j <= n; ++j) {
      for (int i = 0; i <= n; ++i) {
        if (j == 0) {
          at(i, j) = EdgePoint(a, b, i);
        } else if (j == n) {
          at(i, j) = EdgePoint(d, c, i);
        } else if (i == 0) {
          at(i, j) = EdgePoint(a, d, j);
        } else if (i == n) {
          at(i, j) = EdgePoint(b, c, j);
        } else {
          float u = static_cast<float>(i) / n, v = static_cast<float>(j) / n;
          Point3 bottom = Corner(a) * (1 - u) + Corner(b) * u;
          Point3 top = Corner(d) * (1 - u) + Corner(c) * u;
          at(i, j) = Add(bottom * (1 - v) + top * v);
        }
      }
    }
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) {
        AddFace(at(i, j), at(i + 1, j), at(i + 1, j + 1), index);
        AddFace(at(i, j), at(i + 1, j + 1), at(i, j + 1), index);
      }
    }
  }

  // Corners a, b, c counter-clockwise; point (i, j) lies at a + i/n (b - a) + j/n (c - a).
  void Triangle(const Patch& patch, int index) {
    const int n = kPatchSteps;
    const int a = patch.v[0], b = patch.v[1], c = patch.v[2];
    std::map<std::pair<int, int>, DWORD> points;
    for (int j = 0; j <= n; ++j) {
      for (int i = 0; i + j <= n; ++i) {
        DWORD vertex;
        if (j == 0) {
          vertex = EdgePoint(a, b, i);
        } else if (i == 0) {
          vertex = EdgePoint(a, c, j);
        } else if (i + j == n) {
          vertex = EdgePoint(b, c, j);
        } else {
          float u = static_cast<float>(i) / n, v = static_cast<float>(j) / n;
          vertex = Add(Corner(a) + (Corner(b) - Corner(a)) * u + (Corner(c) - Corner(a)) * v);
        }
        points[{i, j}] = vertex;
      }
    }
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i + j < n; ++i) {
        AddFace(points[{i, j}], points[{i + 1, j}], points[{i, j + 1}], index);
        if (i + j + 1 < n)
          AddFace(points[{i + 1, j}], points[{i + 1, j + 1}], points[{i, j + 1}], index);
      }
    }
  }

  const PatchMesh& patches_;
  Mesh& mesh_;
  std::vector<int>& mapping_;
  std::map<std::tuple<int, int, int>, DWORD> edgePoints_;
};

}  // namespace

extern "C" int TessellatePatchMesh(PatchMesh* patches, Mesh* mesh, std::vector<int>* patchMapping,
                                   int flags) {
  (void)flags;
  if (!patches || !mesh || !patchMapping) return 0;
  *mesh = Mesh();
  Tessellator(*patches, *mesh, *patchMapping).Run();
  return 1;
}
