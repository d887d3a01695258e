#include "ruv/scene/transforms.h"

#include "host/decomp.h"
#include "host/iskin.h"
#include "host/object.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/conversion.h"
#include "ruv/scene/modifier_queries.h"
#include "ruv/scene/xnode.h"

Matrix3 RemoveMirror(const Matrix3& m) {
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
