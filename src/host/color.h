// Colours: RGB and RGB with alpha, as floats nominally 0..1.
#pragma once

struct Color {
  float r = 0.0f, g = 0.0f, b = 0.0f;
  constexpr Color() = default;
  constexpr Color(float red, float green, float blue) : r(red), g(green), b(blue) {}
  constexpr bool operator==(const Color&) const = default;
};

struct AColor {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
  constexpr AColor() = default;
  constexpr AColor(float red, float green, float blue, float alpha = 1.0f)
      : r(red), g(green), b(blue), a(alpha) {}
  constexpr bool operator==(const AColor&) const = default;
};
