// Corner normals, the normal matrix, and per-vertex tangent frames.
#pragma once

#include "host/matrix3.h"
#include "host/mesh.h"

// The normal at corner `corner` of face `face`, in mesh space: the specified normal when `spec` is
// given, else the smoothing-group normal of the corner's render vertex (the face normal for a face
// outside every group). Zero without a mesh or a face.
Point3 CornerNormal(Mesh* mesh, int face, int corner, MeshNormalSpec* spec);

// The matrix that carries normals through M: the inverse transpose of M's linear part.
Matrix3 NormalMatrix(const Matrix3& m);

struct TriangleAngles {
  float a = 0.0f, b = 0.0f, c = 0.0f;
};

// The interior angles of triangle ABC at A, B and C, in radians.
TriangleAngles CornerAngles(const Point3& a, const Point3& b, const Point3& c);

struct TangentFrame {
  Point3 tangent;
  Point3 binormal;
};

// The tangent and binormal at corner P1 of a triangle from its positions and texture coordinates
// (u and v read from x and y); each unit length or zero.
TangentFrame FaceTangentFrame(const Point3& p1, const Point3& p2, const Point3& p3,
                              const Point3& t1, const Point3& t2, const Point3& t3);

// Makes tangent, binormal and normal an orthonormal frame whose handedness follows the normal.
void OrthonormalizeTangentFrame(Point3& tangent, Point3& binormal, Point3& normal);
