// Points and directions in the host's coordinate system.
#pragma once

#include <cmath>

struct Point3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;

  constexpr Point3() = default;
  constexpr Point3(float xIn, float yIn, float zIn) : x(xIn), y(yIn), z(zIn) {}

  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  constexpr Point3 operator+(const Point3& p) const { return {x + p.x, y + p.y, z + p.z}; }
  constexpr Point3 operator-(const Point3& p) const { return {x - p.x, y - p.y, z - p.z}; }
  constexpr Point3 operator-() const { return {-x, -y, -z}; }
  constexpr Point3 operator*(float f) const { return {x * f, y * f, z * f}; }
  constexpr Point3 operator/(float f) const { return {x / f, y / f, z / f}; }
  Point3& operator+=(const Point3& p) {
    x += p.x;
    y += p.y;
    z += p.z;
    return *this;
  }
  Point3& operator-=(const Point3& p) {
    x -= p.x;
    y -= p.y;
    z -= p.z;
    return *this;
  }
  Point3& operator*=(float f) {
    x *= f;
    y *= f;
    z *= f;
    return *this;
  }
  constexpr bool operator==(const Point3& p) const { return x == p.x && y == p.y && z == p.z; }
  // Every component within `epsilon` of p's.
  bool Equals(const Point3& p, float epsilon = 1e-6f) const {
    return std::fabs(x - p.x) <= epsilon && std::fabs(y - p.y) <= epsilon &&
           std::fabs(z - p.z) <= epsilon;
  }

  float Length() const { return std::sqrt(x * x + y * y + z * z); }
  float LengthSquared() const { return x * x + y * y + z * z; }
};

inline constexpr Point3 operator*(float f, const Point3& p) { return p * f; }
inline constexpr float DotProd(const Point3& a, const Point3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline constexpr Point3 CrossProd(const Point3& a, const Point3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Point3& p) { return p.Length(); }

// The unit vector along p; a zero vector stays zero rather than becoming not-a-number.
inline Point3 Normalize(const Point3& p) {
  float length = p.Length();
  return length > 0.0f ? p / length : Point3();
}
