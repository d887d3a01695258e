// Poses a `.x` file as Irrlicht 1.8 does: loaded through its scene manager on the null video
// driver (no window, no display), its skinned mesh animated and skinned in software, every mesh
// buffer's vertices read back. An engine of its own, to hold our files against.
//
// What Irrlicht does with a file (CXMeshFileLoader, CSkinnedMesh):
// - its frames are the file's key times in ticks: AnimTicksPerSecond is skipped as unknown;
// - every AnimationSet adds its keys to the same joints, one set after the other; then the middle
//   of three equal keys is dropped, and every key no later than the one before, so files whose
//   sets each start at tick 0 play a mix (the first set, but a joint the first set holds still
//   may take a later set's motion);
// - a joint with keys takes rotation and position from its keys alone (a part without keys is
//   zero, not the frame's), scale only when it has scale keys;
// - a vertex is Σ w · (global joint · offset) · v with the weights normalised, the mesh's own frame
//   unused; an offset within 1e-6 of the identity in every element is taken as "none given" and
//   replaced by the inverse of the joint's global rest matrix;
// - only `txt ` and `bin ` files are read: a compressed file is inflated here first (by our own
//   reader's inflater) and handed over with the header of its uncompressed encoding.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

using Position = std::array<double, 3>;

// The file's bytes, a compressed file's as its uncompressed encoding would hold them: the content
// under the header of that encoding.
std::string UncompressedXFile(const std::filesystem::path& file);

class IrrlichtPoser {
 public:
  explicit IrrlichtPoser(const std::filesystem::path& file);
  ~IrrlichtPoser();
  IrrlichtPoser(const IrrlichtPoser&) = delete;
  IrrlichtPoser& operator=(const IrrlichtPoser&) = delete;

  // Whether Irrlicht made a skinned mesh of the file.
  bool Loaded() const;
  // The last frame of Irrlicht's timeline: the latest key time in ticks.
  double LastFrame() const;

  // Every vertex of every mesh buffer, buffer after buffer, at `ticks` on Irrlicht's timeline.
  std::vector<Position> Posed(double ticks);

  // The same vertices as the file stores them, before any skinning: a skinned buffer's placed by
  // the rest matrix of `meshFrame` (Irrlicht keeps no link from a skinned mesh to its frame), any
  // other buffer's by its own frame's.
  std::vector<Position> Unposed(const std::string& meshFrame) const;

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
};

}  // namespace e2e
