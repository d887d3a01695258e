// A shading context for evaluating maps outside a renderer: one surface point with its texture
// coordinates and object-space position, facing the viewer, at time 0. Everything else answers
// zero, null or "no".
#pragma once

#include "host/shade_context.h"

namespace sim {

class SimShadeContext : public ShadeContext {
 public:
  SimShadeContext() = default;
  SimShadeContext(const Point3& uvw, const Point3& objectPoint)
      : uvw_(uvw), objectPoint_(objectPoint) {}

  void SetUVW(const Point3& uvw) { uvw_ = uvw; }
  void SetObjectPoint(const Point3& p) { objectPoint_ = p; }
  void SetTime(TimeValue t) { time_ = t; }

  Class_ID ClassID() override { return Class_ID(0, 0); }
  BOOL InMtlEditor() override { return FALSE; }
  int Antialias() override { return 0; }
  int ProjType() override { return 1; }
  TimeValue CurTime() override { return time_; }
  int NodeID() override { return -1; }
  INode* Node() override { return nullptr; }
  Object* GetEvalObject() override { return nullptr; }
  Point3 BarycentricCoords() override { return {}; }
  int FaceNumber() override { return 0; }
  Point3 Normal() override { return {0, 0, 1}; }
  Point3 OrigNormal() override { return {0, 0, 1}; }
  Point3 GNormal() override { return {0, 0, 1}; }
  void SetNormal(Point3) override {}
  float Curve() override { return 0.0f; }
  Point3 V() override { return {0, 0, -1}; }
  Point3 OrigView() override { return {0, 0, -1}; }
  void SetView(Point3) override {}
  Point3 ReflectVector() override { return {}; }
  Point3 RefractVector(float) override { return {}; }
  void SetIOR(float) override {}
  float GetIOR() override { return 1.0f; }
  Point3 CamPos() override { return {}; }
  Point3 P() override { return objectPoint_; }
  Point3 DP() override { return {}; }
  void DP(Point3& dpdx, Point3& dpdy) override { dpdx = dpdy = Point3(); }
  Point3 PObj() override { return objectPoint_; }
  Point3 DPObj() override { return {}; }
  Box3 ObjectBox() override { return {}; }
  Point3 PObjRelBox() override { return {}; }
  Point3 DPObjRelBox() override { return {}; }
  void ScreenUV(Point2& uv, Point2& duv) override {
    uv = {uvw_.x, uvw_.y};
    duv = {};
  }
  void ScreenCoord(int& x, int& y) override { x = y = 0; }
  Point2 SurfacePtScreen() override { return {}; }
  // The same coordinates on every channel.
  Point3 UVW(int) override { return uvw_; }
  Point3 DUVW(int) override { return {}; }
  void DPdUVW(Point3 dP[3], int) override { dP[0] = dP[1] = dP[2] = Point3(); }
  int BumpBasisVectors(Point3[2], int, int) override { return 0; }
  BOOL IsSuperSampleOn() override { return FALSE; }
  BOOL IsTextureSuperSampleOn() override { return FALSE; }
  int GetNSuperSample() override { return 0; }
  float GetSampleSizeScale() override { return 1.0f; }
  Point3 UVWNormal(int) override { return {0, 0, 1}; }
  float RayDiam() override { return 0.0f; }
  float RayConeAngle() override { return 0.0f; }
  float CamNearRange() override { return 0.0f; }
  float CamFarRange() override { return 0.0f; }
  void GetBGColor(Color&, Color&, BOOL) override {}
  Point3 PointTo(const Point3& p, int) override { return p; }
  Point3 PointFrom(const Point3& p, int) override { return p; }
  Point3 VectorTo(const Point3& v, int) override { return v; }
  Point3 VectorFrom(const Point3& v, int) override { return v; }
  void SetGBufferID(int id) override { out.gbufId = id; }
  AColor EvalGlobalEnvironMap(Point3) override { return {0, 0, 0, 0}; }
  int Execute(int) override { return 0; }

 private:
  Point3 uvw_;
  Point3 objectPoint_;
  TimeValue time_ = 0;
};

}  // namespace sim
