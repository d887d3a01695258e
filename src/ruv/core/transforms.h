// Node and object matrices: mirror removal, bind poses and the local frame matrix.
#pragma once

#include "host/inode.h"
#include "host/matrix3.h"

struct XNode;

// The matrix without its reflection: unchanged, bit for bit, unless its determinant is negative.
Matrix3 RemoveMirror(const Matrix3& m);

// The node's world transform at t, mirror removed.
Matrix3 NodeTransformAt(INode* node, TimeValue t);

// The node matrix of the pose the node's skin was bound in (the transform at t without a skin),
// mirror removed; identity without a node.
Matrix3 BindPoseNodeMatrix(INode* node, TimeValue t);

// The object matrix of that pose, pivot included and mirror kept; identity without a node.
Matrix3 BindPoseObjectMatrix(INode* node, TimeValue t);

// The node's matrix relative to its parent (to the world at the top or in world space), in output
// space: C^-1 * L * C.
Matrix3 LocalFrameMatrix(const XNode& node);
