// Two-dimensional points and affine transforms, as texture coordinates use them.
#pragma once

struct Point2 {
  float x = 0.0f, y = 0.0f;
  constexpr Point2() = default;
  constexpr Point2(float xIn, float yIn) : x(xIn), y(yIn) {}
  constexpr bool operator==(const Point2&) const = default;
};

// Rows X, Y and the translation T: (u, v) becomes (u*X.x + v*Y.x + T.x, u*X.y + v*Y.y + T.y).
// In A * B the transform A applies first.
struct Matrix2 {
  Point2 x{1, 0};
  Point2 y{0, 1};
  Point2 t{0, 0};

  constexpr bool operator==(const Matrix2&) const = default;
  constexpr Matrix2 operator*(const Matrix2& b) const {
    return {{x.x * b.x.x + x.y * b.y.x, x.x * b.x.y + x.y * b.y.y},
            {y.x * b.x.x + y.y * b.y.x, y.x * b.x.y + y.y * b.y.y},
            {t.x * b.x.x + t.y * b.y.x + b.t.x, t.x * b.x.y + t.y * b.y.y + b.t.y}};
  }
};

constexpr Point2 operator*(const Point2& p, const Matrix2& m) {
  return {p.x * m.x.x + p.y * m.y.x + m.t.x, p.x * m.x.y + p.y * m.y.y + m.t.y};
}
