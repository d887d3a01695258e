// A node of the host's scene graph.
#pragma once

#include "host/matrix3.h"
#include "host/time_value.h"
#include "platform/win_types.h"

class Control;
class Mtl;
class Object;

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
  // The transform of the node's object in world space: the node transform with the pivot offset.
  virtual Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr) {
    return GetNodeTM(t, valid);
  }

  // The top of the node's object-space pipeline (a derived object or the base object); null for
  // a node without an object.
  virtual Object* GetObjectRef() { return nullptr; }
  // The top of the whole pipeline, world-space modifiers included.
  virtual Object* GetObjOrWSMRef() { return GetObjectRef(); }
  // The node's material; null when it has none.
  virtual Mtl* GetMtl() { return nullptr; }
  // The node's wire colour, packed 0x00BBGGRR.
  virtual DWORD GetWireColor() { return 0; }
  // The controller of the node's transform; null when it has none.
  virtual Control* GetTMController() { return nullptr; }
  // An extra interface of the node by number; null when it has none of that kind.
  virtual void* GetInterface(DWORD id) {
    (void)id;
    return nullptr;
  }
};
