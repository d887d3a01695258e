#include "ruv/mesh/tangent_frames.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsZero(const Point3& p) { return p.x == 0.0f && p.y == 0.0f && p.z == 0.0f; }

Point3 Project(const Point3& x, const Point3& y) { return y * (DotProd(x, y) / DotProd(y, y)); }

// Negates x when the frame (t, b) turns against the normal.
void CheckHandedness(Point3& x, const Point3& t, const Point3& b, const Point3& n) {
  if (DotProd(CrossProd(t, b), n) < 0.0f) x = -x;
}

Point3 NormalizeIfNonZero(const Point3& p) { return IsZero(p) ? p : Normalize(p); }

}  // namespace

Point3 CornerNormal(Mesh* mesh, int face, int corner, MeshNormalSpec* spec) {
  if (!mesh || face < 0 || face >= mesh->getNumFaces()) return Point3();
  if (spec) return spec->GetNormal(face, corner);
  const Face& f = mesh->faces[face];
  RVertex* rv = mesh->getRVertPtr(static_cast<int>(f.v[corner]));
  if (!rv) return mesh->getFaceNormal(face);
  if (rv->rFlags & SPECIFIED_NORMAL) return rv->rn.normal;
  DWORD count = rv->rFlags & NORCT_MASK;
  if (count == 0 || f.smGroup == 0) return mesh->getFaceNormal(face);
  if (count == 1) return rv->rn.normal;
  for (DWORD i = 0; i < count && i < rv->ern.size(); ++i) {
    if (rv->ern[i].smGroup & f.smGroup) return rv->ern[i].normal;
  }
  return mesh->getFaceNormal(face);
}

Matrix3 NormalMatrix(const Matrix3& m) {
  Matrix3 linear = m;
  linear.NoTrans();
  Matrix3 inverse = Inverse(linear);
  Matrix3 out;
  for (int row = 0; row < 3; ++row)
    out.SetRow(row, Point3(inverse[0][row], inverse[1][row], inverse[2][row]));
  return out;
}

TriangleAngles CornerAngles(const Point3& a, const Point3& b, const Point3& c) {
  float la = std::sqrt((c - b).LengthSquared());
  float lb = std::sqrt((a - c).LengthSquared());
  float lc = std::sqrt((a - b).LengthSquared());
  // A triangle with a zero-length edge has no angles to weight by: its corners weigh nothing,
  // rather than spreading a not-a-number into every frame it touches.
  if (la == 0.0f || lb == 0.0f || lc == 0.0f) return {};
  // Round-off can push a cosine of a sliver triangle just past 1.
  auto angle = [](float cosine) { return std::acos(std::clamp(cosine, -1.0f, 1.0f)); };
  return {angle((lc * lc + lb * lb - la * la) / (2 * lb * lc)),
          angle((lc * lc + la * la - lb * lb) / (2 * lc * la)),
          angle((lb * lb + la * la - lc * lc) / (2 * la * lb))};
}

TangentFrame FaceTangentFrame(const Point3& p1, const Point3& p2, const Point3& p3,
                              const Point3& t1, const Point3& t2, const Point3& t3) {
  Point3 e1 = p2 - p1, e2 = p3 - p1;
  float du1 = t2.x - t1.x, dv1 = t2.y - t1.y, du2 = t3.x - t1.x, dv2 = t3.y - t1.y;
  float d = du1 * dv2 - du2 * dv1;
  if (d != 0.0f) {
    float r = 1.0f / d;
    return {Normalize((e1 * dv2 - e2 * dv1) * r), Normalize((e2 * du1 - e1 * du2) * r)};
  }
  if (du1 != 0.0f) return {Normalize(e1 / du1), {}};
  if (du2 != 0.0f) return {Normalize(e2 / du2), {}};
  return {};
}

void OrthonormalizeTangentFrame(Point3& t, Point3& b, Point3& n) {
  t = NormalizeIfNonZero(t);
  b = NormalizeIfNonZero(b);
  if (DotProd(CrossProd(t, b), n) < 0.0f) b = -b;

  if (IsZero(n)) {
    if (IsZero(t) || IsZero(b)) return;
    b = b - Project(b, t);
    CheckHandedness(b, t, b, n);
    n = CrossProd(t, b);
  } else if (IsZero(t) && IsZero(b)) {
    Point3 axis = n.x == 0.0f && n.y == 0.0f ? Point3(1, 0, 0) : Point3(0, 0, 1);
    t = axis - Project(axis, n);
    CheckHandedness(t, t, b, n);
    b = CrossProd(n, t);
  } else if (IsZero(t)) {
    b = b - Project(b, n);
    CheckHandedness(b, t, b, n);
    t = CrossProd(b, n);
  } else if (IsZero(b)) {
    t = t - Project(t, n);
    CheckHandedness(t, t, b, n);
    b = CrossProd(n, t);
  } else {
    t = t - Project(t, n);
    CheckHandedness(t, t, b, n);
    if (IsZero(t)) {
      b = b - Project(b, n);
      CheckHandedness(b, t, b, n);
      t = CrossProd(b, n);
    } else {
      Point3 entering = b;
      b = entering - Project(entering, n) - Project(entering, t);
      CheckHandedness(b, t, b, n);
    }
  }
  t = NormalizeIfNonZero(t);
  b = NormalizeIfNonZero(b);
  n = NormalizeIfNonZero(n);
}
