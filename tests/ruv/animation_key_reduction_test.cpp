// Key reduction: runs of equal keys keep their first and last key, drift is measured against the
// stored key, and rotations stay in one hemisphere.
#include <gtest/gtest.h>

#include <bit>

#include "ruv/animation/key_reduction.h"

namespace {

const KeyReduction kLevel3 = KeyReductionForLevel(3);

std::vector<VectorKey> StorePositions(const std::vector<float>& xs,
                                      const KeyReduction& reduction = kLevel3) {
  std::vector<VectorKey> keys;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    StoreKey(keys, VectorKey{KeyKindPosition, static_cast<std::int32_t>(i), {xs[i], 0, 0}},
             reduction);
  }
  return keys;
}

// (time, x) of every key.
std::vector<std::pair<std::int32_t, float>> Summary(const std::vector<VectorKey>& keys) {
  std::vector<std::pair<std::int32_t, float>> out;
  for (const VectorKey& key : keys) out.emplace_back(key.time, key.value.x);
  return out;
}

using Keys = std::vector<std::pair<std::int32_t, float>>;

}  // namespace

TEST(KeyReduction, LevelsGiveTheirTolerancesBitForBit) {
  EXPECT_FALSE(KeyReductionForLevel(0).enabled);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(KeyReductionForLevel(1).tolerance), 0x358637bdu);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(KeyReductionForLevel(2).tolerance), 0x3727c5acu);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(KeyReductionForLevel(3).tolerance), 0x38d1b717u);
  EXPECT_EQ(KeyReductionForLevel(4000000000u).tolerance, kLevel3.tolerance);
}

TEST(KeyReduction, HoldsKeepTheirFirstAndLastKey) {
  // A A A A B: the hold ends at its last sample, so the change to B starts exactly there.
  EXPECT_EQ(Summary(StorePositions({1, 1, 1, 1, 2})), (Keys{{0, 1}, {3, 1}, {4, 2}}));
  EXPECT_EQ(Summary(StorePositions({1, 2, 2, 2})), (Keys{{0, 1}, {1, 2}, {3, 2}}));
  EXPECT_EQ(Summary(StorePositions({1, 1})), (Keys{{0, 1}, {1, 1}}));
  EXPECT_EQ(Summary(StorePositions({5})), (Keys{{0, 5}}));
  EXPECT_EQ(StorePositions({1, 1, 1, 1, 2}, KeyReductionForLevel(0)).size(), 5u)
      << "level 0 keeps every key";
}

TEST(KeyReduction, DriftIsMeasuredAgainstTheStoredKey) {
  // 3e-5 per sample: samples 1 to 4 stay within 1e-4 of the stored 3e-5, sample 5 leaves it.
  std::vector<float> xs;
  for (int i = 0; i < 6; ++i) xs.push_back(3e-5f * static_cast<float>(i));
  Keys keys = Summary(StorePositions(xs));
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].first, 0);
  EXPECT_EQ(keys[1].first, 4);
  EXPECT_FLOAT_EQ(keys[1].second, 3e-5f) << "the run keeps the value it was stored with";
  EXPECT_EQ(keys[2].first, 5);
}

TEST(KeyReduction, MatricesCompareAllTwelveElements) {
  std::vector<MatrixKey> keys;
  Matrix3 moved;
  moved.SetTrans({0, 0, 1e-3f});
  for (const Matrix3& m : {Matrix3(), Matrix3(), Matrix3(), moved}) {
    StoreKey(keys, MatrixKey{KeyKindMatrix, static_cast<std::int32_t>(keys.size() + 10), m},
             kLevel3);
  }
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[1].time, 12);
  EXPECT_EQ(keys[2].value, moved);
}

TEST(KeyReduction, RotationsStayInOneHemisphere) {
  Quat a(0, 0, 0.70710677f, 0.70710677f);
  Quat b(0, 0, 0.69397f, -0.72f);  // just past the sign boundary of a's arc
  std::vector<QuatKey> keys;
  StoreKey(keys, QuatKey{KeyKindRotation, 0, a}, kLevel3);
  StoreKey(keys, QuatKey{KeyKindRotation, 1, b}, kLevel3);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[1].value, Quat(-b.x, -b.y, -b.z, -b.w)) << "stored negated";
  EXPECT_GE(keys[0].value % keys[1].value, 0.0f);
  // The next sample is b as the host gives it: compared before any flip, it differs from the
  // stored -b, so it is appended (and flipped to follow -b).
  StoreKey(keys, QuatKey{KeyKindRotation, 2, b}, kLevel3);
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[2].value, Quat(-b.x, -b.y, -b.z, -b.w));
  StoreKey(keys, QuatKey{KeyKindRotation, 3, b}, kLevel3);
  EXPECT_EQ(keys.size(), 4u) << "b never equals the stored -b";
}
