// Online reduction of animation keys: a run of equal values keeps its first and its last key, so
// holds stay exact while the file holds two keys per hold instead of one per sample.
#pragma once

#include <cstdint>
#include <vector>

#include "ruv/core/animation_track.h"

struct KeyReduction {
  bool enabled = true;
  // Two values are equal when every component differs by no more than this.
  float tolerance = 1e-4f;
};

// The reduction of a KeyOptimizeLevel value: 0 off, 1 within 1e-6, 2 within 1e-5, any other
// within 1e-4.
KeyReduction KeyReductionForLevel(std::uint32_t keyOptimizeLevel);

// Appends `key` to `keys`, or, when it continues a run of at least two equal keys, moves the run's
// last key to its time instead. Values compare with the last stored key as it was stored, so a
// slow drift collapses only while it stays within the tolerance of that key.
void StoreKey(std::vector<MatrixKey>& keys, const MatrixKey& key, const KeyReduction& reduction);
void StoreKey(std::vector<VectorKey>& keys, const VectorKey& key, const KeyReduction& reduction);
// Rotations also keep consecutive quaternions in one hemisphere: an appended key whose dot product
// with the one before is negative is stored negated. The comparison uses the key as it arrives.
void StoreKey(std::vector<QuatKey>& keys, const QuatKey& key, const KeyReduction& reduction);
