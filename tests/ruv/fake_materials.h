// Small stand-ins for host materials and maps, holding exactly what a test sets.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/mtl.h"
#include "host/shade_context.h"

namespace fakes {

class ParamBlock : public IParamBlock2 {
 public:
  struct Param {
    ParamDef def;
    float f = 0;
    int i = 0;
    Point3 p3;
    Point4 p4;
    AColor color;
    std::wstring str;
    Texmap* map = nullptr;
    PBBitmap* bitmap = nullptr;
  };
  Param& Add(ParamID id, const wchar_t* name, ParamType2 type) {
    order_.push_back(id);
    Param& p = params_[id];
    names_.push_back(name);
    p.def = {names_.back().c_str(), type};
    return p;
  }
  int NumParams() override { return static_cast<int>(order_.size()); }
  ParamID IndextoID(int index) override { return order_[index]; }
  ParamDef& GetParamDef(ParamID id) override { return params_[id].def; }
  float GetFloat(ParamID id, TimeValue) override { return params_[id].f; }
  int GetInt(ParamID id, TimeValue) override { return params_[id].i; }
  Point3 GetPoint3(ParamID id, TimeValue) override { return params_[id].p3; }
  Point4 GetPoint4(ParamID id, TimeValue) override { return params_[id].p4; }
  AColor GetAColor(ParamID id, TimeValue) override { return params_[id].color; }
  const wchar_t* GetStr(ParamID id, TimeValue) override { return params_[id].str.c_str(); }
  Texmap* GetTexmap(ParamID id, TimeValue) override { return params_[id].map; }
  PBBitmap* GetBitmap(ParamID id, TimeValue) override { return params_[id].bitmap; }

 private:
  std::vector<ParamID> order_;
  std::map<ParamID, Param> params_;
  std::vector<std::wstring> names_;
};

class Map : public BitmapTex {
 public:
  Map(Class_ID id, std::wstring name) : id_(id), name_(std::move(name)) {}
  Class_ID ClassID() override { return id_; }
  SClass_ID SuperClassID() override { return 0xC10; }
  const wchar_t* GetName() override { return name_.c_str(); }
  const wchar_t* GetMapName() override { return file.c_str(); }
  AColor EvalColor(ShadeContext& context) override {
    Point3 uvw = context.UVW(0);
    samples.push_back(uvw);
    return AColor(uvw.x, uvw.y, 0, 1);
  }
  void GetUVTransform(Matrix3& m) override { m = uvTransform; }
  int GetTextureTiling() override { return tiling; }
  int GetMapChannel() override { return channel; }
  int NumSubTexmaps() override { return sub ? 1 : 0; }
  Texmap* GetSubTexmap(int) override { return sub; }
  int NumParamBlocks() override { return block ? 1 : 0; }
  IParamBlock2* GetParamBlock(int) override { return block.get(); }

  std::wstring file;
  Matrix3 uvTransform;
  int tiling = U_WRAP | V_WRAP;
  int channel = 1;
  Texmap* sub = nullptr;
  std::unique_ptr<ParamBlock> block;
  std::vector<Point3> samples;

 private:
  Class_ID id_;
  std::wstring name_;
};

// A standard material (or any other class) with up to 12 maps and fixed colours.
class Material : public StdMat {
 public:
  Material(Class_ID id, std::wstring name) : id_(id), name_(std::move(name)) {}
  Class_ID ClassID() override { return id_; }
  SClass_ID SuperClassID() override { return 0xC00; }
  const wchar_t* GetName() override { return name_.c_str(); }
  int NumSubMtls() override { return static_cast<int>(subs.size()); }
  Mtl* GetSubMtl(int i) override { return subs[i]; }
  int NumSubTexmaps() override { return static_cast<int>(maps.size()); }
  Texmap* GetSubTexmap(int i) override {
    return i < static_cast<int>(maps.size()) ? maps[i] : nullptr;
  }
  BOOL MapEnabled(int) override { return TRUE; }
  Color GetDiffuse(int, BOOL) override { return diffuse; }
  Color GetSpecular(int, BOOL) override { return specular; }
  float GetShininess(int, BOOL) override { return shininess; }
  float GetShinStr(int, BOOL) override { return 1; }
  float GetXParency(int, BOOL) override { return transparency; }
  BOOL GetSelfIllumColorOn(int, BOOL) override { return FALSE; }
  Color GetSelfIllumColor(int, BOOL) override { return {}; }
  Color GetDiffuse(TimeValue) override { return diffuse; }
  Color GetSpecular(TimeValue) override { return specular; }
  float GetShininess(TimeValue) override { return shininess; }
  float GetShinStr(TimeValue) override { return 1; }

  using StdMat::GetInterface;
  BaseInterface* GetInterface(Interface_ID id) override {
    return id == DXMATERIAL_INTERFACE_ID ? dxMarker : nullptr;
  }
  int NumParamBlocks() override { return static_cast<int>(blocks.size()); }
  IParamBlock2* GetParamBlock(int i) override { return blocks[i]; }

  std::vector<Mtl*> subs;
  std::vector<Texmap*> maps = std::vector<Texmap*>(12, nullptr);
  BaseInterface* dxMarker = nullptr;  // set: a DirectX shader material
  std::vector<IParamBlock2*> blocks;
  Color diffuse{0.5f, 0.25f, 0.125f};
  Color specular;
  float shininess = 0.2f;
  float transparency = 0.0f;

 private:
  Class_ID id_;
  std::wstring name_;
};

}  // namespace fakes
