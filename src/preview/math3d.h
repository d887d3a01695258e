// Vectors and matrices in the DirectX convention the .x format uses: row vectors multiplied on the
// left (p' = p * M), matrices stored row by row with the translation in elements 12..14. The same
// sixteen floats are what OpenGL expects column by column, so no transposition is ever needed.
#pragma once

#include <array>
#include <cmath>

namespace preview {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
  float length = Length(a);
  return length > 0 ? a * (1.0f / length) : Vec3{0, 0, 0};
}

struct Mat4 {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float& operator()(int row, int column) { return m[row * 4 + column]; }
  float operator()(int row, int column) const { return m[row * 4 + column]; }
};

// a then b: p * (a * b) == (p * a) * b.
Mat4 operator*(const Mat4& a, const Mat4& b);
Vec3 TransformPoint(Vec3 p, const Mat4& m);
Vec3 TransformDirection(Vec3 d, const Mat4& m);
float Determinant3x3(const Mat4& m);
// The inverse of an affine matrix (last column 0,0,0,1); identity when it is singular.
Mat4 InverseAffine(const Mat4& m);
Mat4 Transpose(const Mat4& m);

Mat4 Translation(Vec3 t);
Mat4 Scaling(Vec3 s);
// A unit quaternion (w, x, y, z) as a rotation matrix in the row-vector convention.
Mat4 RotationFromQuaternion(float w, float x, float y, float z);

}  // namespace preview
