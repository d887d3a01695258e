// Host classes by which export nodes are classified.
#pragma once

#include "host/class_id.h"

constexpr Class_ID kTargetClass(0x1020, 0);
constexpr Class_ID kBoneClass(0x28bf6e8d, 0x2ecca840);
constexpr Class_ID kBipedClass(0x9125, 0);
constexpr Class_ID kBoneOtherClassA(0x2e6a0c09, 0x43d5c9c0);
constexpr Class_ID kBoneOtherClassB(0x73dc4833, 0x65c93caa);
constexpr Class_ID kFootstepControllerClass(0x3011, 0);
constexpr Class_ID kDummyClass(0x876234, 0);
constexpr Class_ID kPatchClass(0x1030, 0);
constexpr Class_ID kSurfaceClass(0x4135, 0);
// Surface classes that share a first part and differ in the second.
constexpr unsigned kSurfaceFamilyPartA = 0x76a11646;
constexpr unsigned kSurfaceFamilyPartsB[] = {0x12a822fb, 0x0badbeff, 0x12a83145, 0x12a92143};
