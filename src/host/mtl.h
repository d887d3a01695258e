// Materials and maps.
#pragma once

#include "host/animatable.h"
#include "host/color.h"
#include "host/matrix3.h"
#include "host/param_block.h"
#include "host/time_value.h"

class ShadeContext;
class Texmap;

// The super classes of materials and maps.
constexpr SClass_ID MATERIAL_CLASS_ID = 0x0C00;
constexpr SClass_ID TEXMAP_CLASS_ID = 0x0C10;

// Classes and interfaces of materials and maps the exporter recognises.
constexpr Class_ID DMTL_CLASS_ID(0x00000002, 0);
constexpr Class_ID DMTL2_CLASS_ID(0x00000003, 0);
constexpr Class_ID MULTI_CLASS_ID(0x00000200, 0);
constexpr Class_ID BMTEX_CLASS_ID(0x00000240, 0);
constexpr Class_ID GNORMAL_CLASS_ID(0x243e22c6, 0x63f6a014);
constexpr Class_ID VERTEX_COLOR_CLASS_ID(0x00934851, 0);
// A DirectX shader material answers this interface.
constexpr Interface_ID DXMATERIAL_INTERFACE_ID(0x55b3201d, 0x29ab7fc3);
// Its effect bitmaps are reached through this one (IDxMaterial).
constexpr Interface_ID IDXMATERIAL_INTERFACE_ID(0x54e4202f, 0x30ab6bc4);

// Tiling flags of a map's coordinates.
constexpr int U_WRAP = 1;
constexpr int V_WRAP = 2;
constexpr int U_MIRROR = 4;
constexpr int V_MIRROR = 8;

class MtlBase : public ReferenceTarget {
 public:
  virtual const wchar_t* GetName() = 0;
  virtual int NumSubTexmaps() { return 0; }
  virtual Texmap* GetSubTexmap(int i) {
    (void)i;
    return nullptr;
  }
  virtual int NumParamBlocks() { return 0; }
  virtual IParamBlock2* GetParamBlock(int i) {
    (void)i;
    return nullptr;
  }
};

class Mtl : public MtlBase {
 public:
  virtual int NumSubMtls() { return 0; }
  virtual Mtl* GetSubMtl(int i) {
    (void)i;
    return nullptr;
  }
  // The generic colour queries, for sub-material `mtlNum` and the front or back face.
  virtual Color GetDiffuse(int mtlNum, BOOL backFace) = 0;
  virtual Color GetSpecular(int mtlNum, BOOL backFace) = 0;
  virtual float GetShininess(int mtlNum, BOOL backFace) = 0;
  virtual float GetShinStr(int mtlNum, BOOL backFace) = 0;
  virtual float GetXParency(int mtlNum, BOOL backFace) = 0;
  virtual BOOL GetSelfIllumColorOn(int mtlNum, BOOL backFace) = 0;
  virtual Color GetSelfIllumColor(int mtlNum, BOOL backFace) = 0;
};

// The standard material: its own colour queries at a time, and map slots that can be switched off.
class StdMat : public Mtl {
 public:
  using Mtl::GetDiffuse;
  using Mtl::GetShininess;
  using Mtl::GetShinStr;
  using Mtl::GetSpecular;
  virtual BOOL MapEnabled(int i) = 0;
  virtual Color GetDiffuse(TimeValue t) = 0;
  virtual Color GetSpecular(TimeValue t) = 0;
  virtual float GetShininess(TimeValue t) = 0;
  virtual float GetShinStr(TimeValue t) = 0;
};

class Texmap : public MtlBase {
 public:
  // The map's colour and alpha at the shading context's point.
  virtual AColor EvalColor(ShadeContext& context) = 0;
  // The map's texture-coordinate transform.
  virtual void GetUVTransform(Matrix3& transform) { transform.IdentityMatrix(); }
  // U_WRAP, V_WRAP, U_MIRROR and V_MIRROR bits.
  virtual int GetTextureTiling() { return U_WRAP | V_WRAP; }
  virtual int GetMapChannel() { return 1; }
};

// A map that shows an image file. Its parameter block 0 holds the cropping values: U offset (0),
// V offset (1), width (2), height (3), apply (6) and crop-or-place (7).
class BitmapTex : public Texmap {
 public:
  virtual const wchar_t* GetMapName() = 0;
};

class PBBitmap;

// The effect bitmaps of a DirectX shader material.
class IDxMaterial : public BaseInterface {
 public:
  virtual int GetNumberOfEffectBitmaps() = 0;
  virtual PBBitmap* GetEffectBitmap(int index) = 0;
  virtual int GetBitmapMappingChannel(int index) = 0;
};
