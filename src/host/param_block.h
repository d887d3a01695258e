// Parameter blocks: a plug-in's parameters by ID, each with an internal name and a type.
#pragma once

#include "host/color.h"
#include "host/point3.h"
#include "host/time_value.h"

class Texmap;
class PBBitmap;

using ParamID = short;

enum ParamType2 : int {
  TYPE_FLOAT = 0,
  TYPE_INT = 1,
  TYPE_RGBA = 2,
  TYPE_POINT3 = 3,
  TYPE_BOOL = 4,
  TYPE_ANGLE = 5,
  TYPE_PCNT_FRAC = 6,
  TYPE_WORLD = 7,
  TYPE_STRING = 8,
  TYPE_FILENAME = 9,
  TYPE_TEXMAP = 15,
  TYPE_BITMAP = 16,
  TYPE_POINT4 = 22,
  TYPE_FRGBA = 23,
};

struct Point4 {
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
};

struct ParamDef {
  const wchar_t* int_name = L"";
  ParamType2 type = TYPE_FLOAT;
};

class IParamBlock2 {
 public:
  virtual ~IParamBlock2() = default;
  virtual int NumParams() = 0;
  // The ID of the parameter at `index` (0 .. NumParams() - 1).
  virtual ParamID IndextoID(int index) = 0;
  virtual ParamDef& GetParamDef(ParamID id) = 0;

  // Typed values at time t; a parameter of another type answers zero, empty or null.
  virtual float GetFloat(ParamID id, TimeValue t = 0) = 0;
  virtual int GetInt(ParamID id, TimeValue t = 0) = 0;
  virtual Point3 GetPoint3(ParamID id, TimeValue t = 0) = 0;
  virtual Point4 GetPoint4(ParamID id, TimeValue t = 0) = 0;
  virtual AColor GetAColor(ParamID id, TimeValue t = 0) = 0;
  virtual const wchar_t* GetStr(ParamID id, TimeValue t = 0) = 0;
  virtual Texmap* GetTexmap(ParamID id, TimeValue t = 0) = 0;
  virtual PBBitmap* GetBitmap(ParamID id, TimeValue t = 0) = 0;
};
