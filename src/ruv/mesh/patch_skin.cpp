#include "ruv/mesh/patch_skin.h"

#include <memory>
#include <vector>

#include "host/patch.h"
#include "platform/window.h"
#include "ruv/core/progress.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/mesh/point_index.h"
#include "ruv/mesh/skin_weights.h"

namespace {

float HalfCross(const Point3& a, const Point3& b, const Point3& m) {
  return 0.5f * Length(CrossProd(a - m, b - m));
}

// The object point of each patch vertex: the first on it, else the nearest by squared distance.
std::vector<int> PatchVertexPoints(const PatchMesh& patches, const PointIndex& points) {
  std::vector<int> table(static_cast<std::size_t>(patches.getNumVerts()), -1);
  for (int k = 0; k < patches.getNumVerts(); ++k) {
    const Point3& p = patches.getVert(k).p;
    int equal = points.FirstEqual(p);
    table[static_cast<std::size_t>(k)] =
        equal >= 0 ? equal : points.Nearest(p, PointIndex::Metric::kSquaredDistance);
  }
  return table;
}

// The object points of a patch's corners, or false when the patch cannot be used.
bool PatchCorners(const PatchMesh& patches, int patchIndex, const std::vector<int>& table,
                  int (&corner)[4], int& count) {
  if (patchIndex < 0 || patchIndex >= patches.getNumPatches()) return false;
  const Patch& patch = patches.patches[static_cast<std::size_t>(patchIndex)];
  count = patch.type == PATCH_QUAD ? 4 : 3;
  for (int i = 0; i < count; ++i) {
    int vertex = patch.v[i];
    if (vertex < 0 || vertex >= static_cast<int>(table.size())) return false;
    corner[i] = table[static_cast<std::size_t>(vertex)];
    if (corner[i] < 0) return false;
  }
  return true;
}

}  // namespace

bool RemapSkinToPatchMesh(ExportContext* context, XRenderableNode* node) {
  if (!node->patchMesh || node->objectPoints.empty() || !node->meshData || !node->mesh)
    return false;
  const int m = node->meshData->positionCount;
  if (static_cast<int>(node->mesh->verts.size()) < m) return false;
  std::vector<std::uint8_t> done(static_cast<std::size_t>(m), 0);
  if (!node->skin || node->skin == node->rawSkin) node->skin = std::make_shared<XSkinInfo>();
  const std::vector<Point3>& points = node->objectPoints;
  PointIndex index(points);

  for (int v = 0; v < m; ++v) {
    ProgressStep(context);
    int p = index.Match(node->mesh->verts[static_cast<std::size_t>(v)]);
    if (p < 0) continue;
    TransferPointWeights(node, v, p, 1.0f);
    done[static_cast<std::size_t>(v)] = 1;
  }

  std::vector<int> table = PatchVertexPoints(*node->patchMesh, index);
  for (int f = 0; f < node->meshData->faceCount; ++f) {
    ProgressStep(context);
    if (f >= node->mesh->getNumFaces()) {
      MessageBoxW(nullptr,
                  L"RUV has detected a 3ds Max bug which can cause crash! please save your scene "
                  L"data and reload it.",
                  L"3ds Max bug", MB_OK | MB_ICONERROR);
      return false;
    }
    int corner[4] = {-1, -1, -1, -1}, count = 0;
    bool usable = f < static_cast<int>(node->patchMapping.size()) &&
                  PatchCorners(*node->patchMesh, node->patchMapping[static_cast<std::size_t>(f)],
                               table, corner, count);
    for (int i = 0; i < 3 && usable; ++i) {
      int v = static_cast<int>(node->mesh->faces[static_cast<std::size_t>(f)].v[i]);
      if (v >= m || done[static_cast<std::size_t>(v)]) continue;
      const Point3& at = node->mesh->verts[static_cast<std::size_t>(v)];
      Point3 c[4];
      for (int k = 0; k < count; ++k) c[k] = points[static_cast<std::size_t>(corner[k])];
      float w[4] = {0, 0, 0, 0};
      if (count == 4) {
        float ab = HalfCross(c[0], c[1], at), bc = HalfCross(c[1], c[2], at);
        float cd = HalfCross(c[2], c[3], at), da = HalfCross(c[3], c[0], at);
        w[0] = bc * cd;
        w[1] = cd * da;
        w[2] = da * ab;
        w[3] = ab * bc;
      } else {
        w[0] = HalfCross(c[1], c[2], at);
        w[1] = HalfCross(c[2], c[0], at);
        w[2] = HalfCross(c[0], c[1], at);
      }
      float total = w[0] + w[1] + w[2] + w[3];
      if (!(total > 0.0f)) {
        TransferPointWeights(node, v, corner[0], 1.0f);
      } else {
        for (int k = 0; k < count; ++k) {
          if (w[k] > 0.0f) TransferPointWeights(node, v, corner[k], w[k] / total);
        }
      }
      done[static_cast<std::size_t>(v)] = 1;
    }
  }
  return true;
}
