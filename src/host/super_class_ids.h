// Super class IDs and class IDs of host classes the exporter recognises.
#pragma once

#include "host/class_id.h"
#include "platform/win_types.h"

constexpr SClass_ID GEN_DERIVOB_CLASS_ID = 0x0002;
constexpr SClass_ID DERIVOB_CLASS_ID = 0x0003;
constexpr SClass_ID GEOMOBJECT_CLASS_ID = 0x0010;
constexpr SClass_ID SHAPE_CLASS_ID = 0x0040;
constexpr SClass_ID HELPER_CLASS_ID = 0x0050;
constexpr SClass_ID OSM_CLASS_ID = 0x0810;
constexpr SClass_ID WSM_CLASS_ID = 0x0820;
constexpr SClass_ID CTRL_MATRIX3_CLASS_ID = 0x9008;
constexpr SClass_ID CTRL_POSITION_CLASS_ID = 0x900b;
constexpr SClass_ID CTRL_ROTATION_CLASS_ID = 0x900c;
constexpr SClass_ID CTRL_SCALE_CLASS_ID = 0x900d;

// The triangle-mesh object, which every renderable geometry converts to.
constexpr Class_ID TRIOBJ_CLASS_ID(0x0009, 0);
// The derived object that holds a node's world-space modifiers.
constexpr Class_ID WSM_DERIVOB_CLASS_ID(0x0004, 0);
// The interface a node answers for its world-space modifier state.
constexpr DWORD NODE_WSM_INTERFACE_ID = 0x60;
