// The skinning interfaces the exporter asks modifiers for.
#pragma once

#include "host/class_id.h"
#include "host/inode.h"
#include "host/matrix3.h"

// Interface number of the Skin modifier's skin interface.
constexpr DWORD I_SKIN = 0x00010000;
// Interface number of the Physique modifier's export interface.
constexpr DWORD I_PHYINTERFACE = 0x00100100;

constexpr Class_ID SKIN_CLASSID(0x0095C723, 0x00015666);
constexpr Class_ID PHYSIQUE_CLASSID(0x00000100, 0x00000000);

class ISkin {
 public:
  virtual ~ISkin() = default;
  // The transform of `node` when the skin was bound; with `objectOffset`, that of its object.
  // Returns non-zero when the skin holds one.
  virtual int GetSkinInitTM(INode* node, Matrix3& transform, bool objectOffset = false) = 0;
};

class IPhysiqueExport {
 public:
  virtual ~IPhysiqueExport() = default;
  // The transform of `node` when Physique was attached; returns 0 on success.
  virtual int GetInitNodeTM(INode* node, Matrix3& transform) = 0;
};
