// The shading context a procedural map is rendered in: one flat surface point at a time, facing
// the viewer, with the texture coordinates of the pixel being rendered.
#pragma once

#include "host/shade_context.h"

class ShaderContextTex : public ShadeContext {
 public:
  ShaderContextTex();

  TimeValue curTime = 0;
  Point3 normal{0, 0, 1};
  Point3 view{0, 0, -1};
  Point2 uv{0, 0};
  Point2 duv{0, 0};
  Point3 objectPoint{0, 0, 0};
  int screenX = 0;
  int screenY = 0;
  float curve = 0.0f;
  int projType = 1;  // parallel

  Class_ID ClassID() override { return Class_ID(0, 0); }
  BOOL InMtlEditor() override { return TRUE; }
  int Antialias() override { return 0; }
  int ProjType() override { return projType; }
  TimeValue CurTime() override { return curTime; }
  int NodeID() override { return -1; }
  INode* Node() override { return nullptr; }
  Object* GetEvalObject() override { return nullptr; }
  Point3 BarycentricCoords() override { return {}; }
  int FaceNumber() override { return 0; }
  Point3 Normal() override { return normal; }
  Point3 OrigNormal() override { return normal; }
  Point3 GNormal() override { return normal; }
  void SetNormal(Point3) override {}
  float Curve() override { return curve; }
  Point3 V() override { return view; }
  Point3 OrigView() override { return view; }
  void SetView(Point3 v) override { view = v; }
  Point3 ReflectVector() override { return {}; }
  Point3 RefractVector(float) override { return {}; }
  void SetIOR(float) override {}
  float GetIOR() override { return 1.0f; }
  Point3 CamPos() override { return {}; }
  Point3 P() override { return {}; }
  Point3 DP() override { return {}; }
  void DP(Point3&, Point3&) override {}
  Point3 PObj() override { return objectPoint; }
  Point3 DPObj() override { return {}; }
  Box3 ObjectBox() override { return {}; }
  Point3 PObjRelBox() override { return {}; }
  Point3 DPObjRelBox() override { return {}; }
  void ScreenUV(Point2& outUV, Point2& outDUV) override {
    outUV = uv;
    outDUV = duv;
  }
  void ScreenCoord(int& x, int& y) override {
    x = screenX;
    y = screenY;
  }
  Point2 SurfacePtScreen() override { return {}; }
  Point3 UVW(int) override { return {uv.x, uv.y, 0.0f}; }
  Point3 DUVW(int) override { return {}; }
  void DPdUVW(Point3[3], int) override {}
  int BumpBasisVectors(Point3[2], int, int) override { return 0; }
  BOOL IsSuperSampleOn() override { return FALSE; }
  BOOL IsTextureSuperSampleOn() override { return FALSE; }
  int GetNSuperSample() override { return 0; }
  float GetSampleSizeScale() override { return 1.0f; }
  Point3 UVWNormal(int) override { return {0, 0, 1}; }
  float RayDiam() override { return DP().Length(); }
  float RayConeAngle() override { return 0.0f; }
  float CamNearRange() override { return 0.0f; }
  float CamFarRange() override { return 0.0f; }
  void GetBGColor(Color&, Color&, BOOL) override {}
  Point3 PointTo(const Point3& p, int) override { return p; }
  Point3 PointFrom(const Point3& p, int) override { return p; }
  Point3 VectorTo(const Point3& v, int) override { return v; }
  Point3 VectorFrom(const Point3& v, int) override { return v; }
  void SetGBufferID(int id) override { out.gbufId = id; }
  AColor EvalGlobalEnvironMap(Point3) override { return AColor(0, 0, 0, 0); }
  int Execute(int) override { return 0; }
};
