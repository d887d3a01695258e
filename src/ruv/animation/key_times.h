// The times at which a node's transform controllers hold keys, for extraction at the controllers'
// own key times and for the work estimate.
#pragma once

#include <cstdint>

#include "host/inode.h"
#include "ruv/core/animation_track.h"

struct ExportContext;
struct XNode;

// Fills the track's position, rotation and scale times with the keys inside
// [track.startTime, track.endTime] and its keyTimes with their union and both ends, sorted and
// distinct; sets separateKeys from the KeyType option. Fails when the node has no transform
// controller, none of its parts is animated, no part has two keys inside the clip, or a
// controller's parts nest deeper than any real controller does. A key interface whose key size is
// below 1 counts as a controller without keys.
bool CollectKeyTimes(INode* node, AnimationTrack& track);

// The number of key times that extraction at the controllers' key times would use, summed over
// the clips; 0 when the Animation option is off, the node has no host node, no transform controller
// or no animated part, or when that extraction would fall back to sampling.
std::uint32_t CountKeyTimes(const ExportContext& context, const XNode& node);
