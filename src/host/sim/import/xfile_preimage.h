// The host value whose image under `f` is `target`, starting from `guess`: the exporter computes
// file values from host values (1 - v, a product), and an import that gives back exactly the value
// the file holds lets the file come back unchanged. A few floats either side are tried; the guess
// stands when none fits.
#pragma once

#include <cmath>
#include <limits>

namespace sim::import {

template <class F>
float Preimage(float guess, float target, F f) {
  if (!std::isfinite(guess) || f(guess) == target) return guess;
  float down = guess, up = guess;
  for (int step = 0; step < 8; ++step) {
    down = std::nextafter(down, -std::numeric_limits<float>::infinity());
    up = std::nextafter(up, std::numeric_limits<float>::infinity());
    if (f(down) == target) return down;
    if (f(up) == target) return up;
  }
  return guess;
}

}  // namespace sim::import
