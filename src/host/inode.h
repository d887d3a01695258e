// A node of the host's scene graph.
#pragma once

#include "host/matrix3.h"
#include "host/time_value.h"
#include "platform/win_types.h"

class INode {
 public:
  virtual ~INode() = default;

  virtual const wchar_t* GetName() = 0;
  virtual INode* GetParentNode() = 0;
  virtual int NumberOfChildren() = 0;
  // The i-th child in the host's order; null for an index out of range.
  virtual INode* GetChildNode(int i) = 0;
  virtual BOOL IsRootNode() = 0;

  // Non-zero when the node is hidden in the viewports.
  virtual int IsNodeHidden(BOOL checkVisibilityFlags = FALSE) = 0;
  virtual int Selected() = 0;
  // Non-zero when the node's "Renderable" object property is checked.
  virtual int Renderable() = 0;

  // The node's transform in world space at time t, pivot excluded.
  virtual Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) = 0;
};
