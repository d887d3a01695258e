// Class identities that scenes of the in-memory host use: the host's own classes that scenes name,
// and the classes this host adds for its parametric geometry, helpers, shapes and test modifiers.
#pragma once

#include "host/class_id.h"
#include "host/super_class_ids.h"

namespace sim {

// Host classes.
constexpr Class_ID kDummyClass(0x876234, 0);
constexpr Class_ID kBoneClass(0x28bf6e8d, 0x2ecca840);
constexpr Class_ID kBoneOtherClassA(0x2e6a0c09, 0x43d5c9c0);
constexpr Class_ID kBoneOtherClassB(0x73dc4833, 0x65c93caa);
constexpr Class_ID kBipedClass(0x9125, 0);
constexpr Class_ID kTargetClass(0x1020, 0);
constexpr Class_ID kPatchClass(0x1030, 0);
constexpr Class_ID kSurfaceClass(0x4135, 0);
constexpr Class_ID kSkinModifierClass(0x0095C723, 0x00015666);
constexpr Class_ID kPhysiqueModifierClass(0x00000100, 0x00000000);
// The transform controller of a biped's footsteps.
constexpr Class_ID kFootstepControllerClass(0x3011, 0);

// Classes of this host.
constexpr Class_ID kBoxClass(0x0010, 0);
constexpr Class_ID kSphereClass(0x0011, 0);
// A point helper: a helper that is not a dummy.
constexpr Class_ID kPointHelperClass(0x72757601, 0x68656c70);
// A spline shape.
constexpr Class_ID kLineShapeClass(0x72757602, 0x73687065);
// Modifiers that move every point by a fixed vector, so that a test can tell which part of a stack
// an exporter evaluated.
constexpr Class_ID kDisplaceModifierClass(0x72757603, 0x64697370);
constexpr Class_ID kWorldDisplaceModifierClass(0x72757604, 0x64697370);
// The derived object that holds object-space modifiers; the world-space one is
// WSM_DERIVOB_CLASS_ID.
constexpr Class_ID kObjectSpaceDerivedClass(0x0001, 0);
// The position-rotation-scale transform controller.
constexpr Class_ID kTransformControllerClass(0x72757605, 0x70727320);
// The keyframe controllers of its parts, by interpolation: points (position and scale) and
// rotations.
constexpr Class_ID kLinearPoint3ControllerClass(0x72757620, 0x6c696e70);
constexpr Class_ID kBezierPoint3ControllerClass(0x72757621, 0x62657a70);
constexpr Class_ID kTcbPoint3ControllerClass(0x72757622, 0x74636270);
constexpr Class_ID kLinearRotationControllerClass(0x72757623, 0x6c696e72);
constexpr Class_ID kTcbRotationControllerClass(0x72757624, 0x74636272);

}  // namespace sim
