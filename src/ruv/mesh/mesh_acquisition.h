// Gives a renderable node a triangle mesh of its own, taken from the host's object stack.
#pragma once

#include "host/time_value.h"

struct XRenderableNode;

// Evaluates the node's object (below its first enabled Skin or Physique modifier, so a skinned
// mesh comes in its bind pose) at t, converts it to a triangle mesh and reads it in place (the
// host's own object locked while the node holds it; XRenderableNode::WritableMesh copies it
// before anything changes it), with the evaluated object's points. A patch object is tessellated by
// the host core's conversion routine, found by name at run time, which also fills patchMapping;
// without the routine it converts like any other object and becomes a plain mesh node. True when
// the node holds a mesh with at least one face and one vertex; a node that already has one returns
// true at once.
bool AcquireMesh(XRenderableNode* node, TimeValue t);
