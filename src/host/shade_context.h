// The shading context a map is evaluated in: one surface point with its coordinates.
#pragma once

#include "host/class_id.h"
#include "host/color.h"
#include "host/interface_id.h"
#include "host/matrix2.h"
#include "host/point3.h"
#include "host/time_value.h"

class INode;
class Object;

struct Box3 {
  Point3 pmin;
  Point3 pmax;
};

// The result of a shading evaluation, reset before every one.
struct ShadeOutput {
  Color c;
  Color t;
  float ior = 1.0f;
  int gbufId = 0;
  void Reset() { *this = ShadeOutput(); }
};

class ShadeContext : public BaseInterface {
 public:
  int mode = 0;
  BOOL doMaps = TRUE;
  BOOL filterMaps = FALSE;
  BOOL shadow = FALSE;
  BOOL backFace = FALSE;
  int mtlNum = 0;
  int nLights = 0;
  int rayLevel = 0;
  ShadeOutput out;

  virtual Class_ID ClassID() = 0;
  virtual BOOL InMtlEditor() = 0;
  virtual int Antialias() = 0;
  virtual int ProjType() = 0;
  virtual TimeValue CurTime() = 0;
  virtual int NodeID() = 0;
  virtual INode* Node() = 0;
  virtual Object* GetEvalObject() = 0;
  virtual Point3 BarycentricCoords() = 0;
  virtual int FaceNumber() = 0;
  virtual Point3 Normal() = 0;
  virtual Point3 OrigNormal() = 0;
  virtual Point3 GNormal() = 0;
  virtual void SetNormal(Point3 normal) = 0;
  virtual float Curve() = 0;
  virtual Point3 V() = 0;
  virtual Point3 OrigView() = 0;
  virtual void SetView(Point3 view) = 0;
  virtual Point3 ReflectVector() = 0;
  virtual Point3 RefractVector(float ior) = 0;
  virtual void SetIOR(float ior) = 0;
  virtual float GetIOR() = 0;
  virtual Point3 CamPos() = 0;
  virtual Point3 P() = 0;
  virtual Point3 DP() = 0;
  virtual void DP(Point3& dpdx, Point3& dpdy) = 0;
  virtual Point3 PObj() = 0;
  virtual Point3 DPObj() = 0;
  virtual Box3 ObjectBox() = 0;
  virtual Point3 PObjRelBox() = 0;
  virtual Point3 DPObjRelBox() = 0;
  virtual void ScreenUV(Point2& uv, Point2& duv) = 0;
  virtual void ScreenCoord(int& x, int& y) = 0;
  virtual Point2 SurfacePtScreen() = 0;
  virtual Point3 UVW(int channel = 0) = 0;
  virtual Point3 DUVW(int channel = 0) = 0;
  virtual void DPdUVW(Point3 dP[3], int channel = 0) = 0;
  virtual int BumpBasisVectors(Point3 dP[2], int axis, int channel = 0) = 0;
  virtual BOOL IsSuperSampleOn() = 0;
  virtual BOOL IsTextureSuperSampleOn() = 0;
  virtual int GetNSuperSample() = 0;
  virtual float GetSampleSizeScale() = 0;
  virtual Point3 UVWNormal(int channel = 0) = 0;
  virtual float RayDiam() = 0;
  virtual float RayConeAngle() = 0;
  virtual float CamNearRange() = 0;
  virtual float CamFarRange() = 0;
  virtual void GetBGColor(Color& bg, Color& transparency, BOOL fogBG = TRUE) = 0;
  virtual Point3 PointTo(const Point3& p, int ref) = 0;
  virtual Point3 PointFrom(const Point3& p, int ref) = 0;
  virtual Point3 VectorTo(const Point3& v, int ref) = 0;
  virtual Point3 VectorFrom(const Point3& v, int ref) = 0;
  virtual void SetGBufferID(int id) = 0;
  virtual AColor EvalGlobalEnvironMap(Point3 direction) = 0;
  virtual int Execute(int command) = 0;

  void ResetOutput() { out.Reset(); }
};
