#include "ruv/core/transforms.h"

#include "host/decomp.h"
#include "host/iskin.h"
#include "host/object.h"
#include "ruv/core/conversion.h"
#include "ruv/core/modifier_queries.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

double Determinant3(const Matrix3& m) {
  auto e = [&m](int row, int col) { return static_cast<double>(m[row][col]); };
  return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
         e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
         e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

}  // namespace

Matrix3 RemoveMirror(const Matrix3& m) {
  // A positive determinant is what the decomposition would find too; sampling asks this for every
  // node at every sample, so the common case skips the decomposition.
  if (Determinant3(m) > 0.0) return m;
  AffineParts parts;
  decomp_affine(m, &parts);
  if (parts.f >= 0.0f) return m;
  Matrix3 u, q;
  parts.u.MakeMatrix(u);
  parts.q.MakeMatrix(q);
  // The mirror factor is left out: position, rotation and stretch stay.
  Matrix3 result = Inverse(u) * ScaleMatrix(parts.k) * u * q *
                   ScaleMatrix(Point3(-parts.f, -parts.f, -parts.f)) * TransMatrix(parts.t);
  return result;
}

Matrix3 NodeTransformAt(INode* node, TimeValue t) { return RemoveMirror(node->GetNodeTM(t)); }

namespace {

ISkin* SkinInterfaceOf(Modifier* modifier) {
  return static_cast<ISkin*>(modifier->GetInterface(I_SKIN));
}

IPhysiqueExport* PhysiqueInterfaceOf(Modifier* modifier) {
  return static_cast<IPhysiqueExport*>(modifier->GetInterface(I_PHYINTERFACE));
}

}  // namespace

Matrix3 BindPoseNodeMatrix(INode* node, TimeValue t) {
  if (!node) return Matrix3();
  Matrix3 initial;
  if (Modifier* skin = FindSkinModifier(node)) {
    ISkin* skinInterface = SkinInterfaceOf(skin);
    if (skinInterface && skinInterface->GetSkinInitTM(node, initial, false))
      return RemoveMirror(initial);
  } else if (Modifier* physique = FindPhysiqueModifier(node)) {
    IPhysiqueExport* physiqueInterface = PhysiqueInterfaceOf(physique);
    if (physiqueInterface && physiqueInterface->GetInitNodeTM(node, initial) == 0)
      return RemoveMirror(initial);
  }
  return NodeTransformAt(node, t);
}

Matrix3 BindPoseObjectMatrix(INode* node, TimeValue t) {
  if (!node) return Matrix3();
  Matrix3 initial;
  if (Modifier* skin = FindSkinModifier(node)) {
    ISkin* skinInterface = SkinInterfaceOf(skin);
    if (skinInterface && skinInterface->GetSkinInitTM(node, initial, true)) return initial;
  } else if (Modifier* physique = FindPhysiqueModifier(node)) {
    IPhysiqueExport* physiqueInterface = PhysiqueInterfaceOf(physique);
    if (physiqueInterface && physiqueInterface->GetInitNodeTM(node, initial) == 0) return initial;
  }
  return node->GetObjectTM(t);
}

Matrix3 LocalFrameMatrix(const XNode& node) {
  Matrix3 local = node.nodeTM;
  if (node.parent && !gExportOptions.WorldSpace) local = node.nodeTM * Inverse(node.parent->nodeTM);
  return ConvertTransform(local);
}
