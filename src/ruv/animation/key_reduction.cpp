#include "ruv/animation/key_reduction.h"

#include <bit>

namespace {

bool SameValue(const Matrix3& a, const Matrix3& b, float tolerance) {
  return a.Equals(b, tolerance);
}
bool SameValue(const Point3& a, const Point3& b, float tolerance) { return a.Equals(b, tolerance); }
bool SameValue(const Quat& a, const Quat& b, float tolerance) { return a.Equals(b, tolerance); }

// Returns whether the key was appended.
template <class Key>
bool Store(std::vector<Key>& keys, const Key& key, const KeyReduction& reduction) {
  std::size_t n = keys.size();
  if (reduction.enabled && n >= 2 && SameValue(keys[n - 1].value, key.value, reduction.tolerance) &&
      SameValue(keys[n - 2].value, keys[n - 1].value, reduction.tolerance)) {
    keys[n - 1].time = key.time;
    return false;
  }
  keys.push_back(key);
  return true;
}

}  // namespace

KeyReduction KeyReductionForLevel(std::uint32_t keyOptimizeLevel) {
  // The tolerances as exact float bit patterns, so every level compares the same on every build.
  switch (keyOptimizeLevel) {
    case 0:
      return {false, std::bit_cast<float>(0x358637bdu)};
    case 1:
      return {true, std::bit_cast<float>(0x358637bdu)};
    case 2:
      return {true, std::bit_cast<float>(0x3727c5acu)};
    default:
      return {true, std::bit_cast<float>(0x38d1b717u)};
  }
}

void StoreKey(std::vector<MatrixKey>& keys, const MatrixKey& key, const KeyReduction& reduction) {
  Store(keys, key, reduction);
}

void StoreKey(std::vector<VectorKey>& keys, const VectorKey& key, const KeyReduction& reduction) {
  Store(keys, key, reduction);
}

void StoreKey(std::vector<QuatKey>& keys, const QuatKey& key, const KeyReduction& reduction) {
  if (!Store(keys, key, reduction) || keys.size() < 2) return;
  Quat& last = keys.back().value;
  if ((last % keys[keys.size() - 2].value) < 0.0f) last = Quat(-last.x, -last.y, -last.z, -last.w);
}
