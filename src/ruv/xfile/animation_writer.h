// Animation set records: one AnimationSet per clip, holding an Animation for every processed node
// with keys in that clip, which names the node's frame and carries its AnimationKey records.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace xof {
class SaveData;
}
struct ExportContext;
struct XNode;

// The name of each clip's set: the clip's name made a clean identifier, with '_' appended while
// an earlier set already has it, so that "Walk cycle" and "Walk_cycle" both get a set of their own.
std::vector<std::wstring> AnimationSetNames();

// Adds the set of clip `clipIndex` at the top of the file and the animations of every top-level
// node and its subtree under it.
void WriteAnimationSet(ExportContext* context, const std::string& name, std::size_t clipIndex);

// The animation of `node` for the clip under `set`, then those of its children. The clip's tracks
// are emptied as they are written when the context says so (releaseWrittenTracks).
void WriteNodeAnimation(ExportContext* context, xof::SaveData* set, XNode* node,
                        std::size_t clipIndex);
