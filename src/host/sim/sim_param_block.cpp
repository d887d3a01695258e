#include "host/sim/sim_param_block.h"

#include <algorithm>

namespace sim {

namespace {

SimParamBlock::Value ZeroOf(ParamType2 type) {
  switch (type) {
    case TYPE_INT:
    case TYPE_BOOL:
      return 0;
    case TYPE_RGBA:
    case TYPE_POINT3:
      return Point3();
    case TYPE_POINT4:
      return Point4();
    case TYPE_FRGBA:
      return AColor();
    case TYPE_STRING:
    case TYPE_FILENAME:
      return std::wstring();
    case TYPE_TEXMAP:
      return static_cast<Texmap*>(nullptr);
    case TYPE_BITMAP:
      return std::shared_ptr<PBBitmap>();
    default:
      return 0.0f;
  }
}

}  // namespace

bool SimParamBlock::ValueFits(ParamType2 type, const Value& value) {
  return value.index() == ZeroOf(type).index();
}

void SimParamBlock::Add(ParamID id, std::wstring internalName, ParamType2 type, Value value) {
  if (!ValueFits(type, value)) value = ZeroOf(type);
  Param* param = Find(id);
  if (!param) param = params_.emplace_back(std::make_unique<Param>()).get();
  param->id = id;
  param->internalName = std::move(internalName);
  param->value = std::move(value);
  param->def.int_name = param->internalName.c_str();
  param->def.type = type;
}

void SimParamBlock::AddBitmap(ParamID id, std::wstring internalName, const std::wstring& hostPath) {
  std::shared_ptr<PBBitmap> bitmap;
  if (!hostPath.empty()) {
    bitmap = std::make_shared<PBBitmap>();
    bitmap->bi.SetName(hostPath.c_str());
  }
  Add(id, std::move(internalName), TYPE_BITMAP, std::move(bitmap));
}

SimParamBlock::Param* SimParamBlock::Find(ParamID id) {
  auto found = std::find_if(params_.begin(), params_.end(),
                            [id](const std::unique_ptr<Param>& param) { return param->id == id; });
  return found == params_.end() ? nullptr : found->get();
}

template <class T>
const T* SimParamBlock::ValueOf(ParamID id, std::initializer_list<ParamType2> types) {
  Param* param = Find(id);
  if (!param || std::find(types.begin(), types.end(), param->def.type) == types.end()) {
    return nullptr;
  }
  return std::get_if<T>(&param->value);
}

ParamID SimParamBlock::IndextoID(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= params_.size()) return -1;
  return params_[static_cast<std::size_t>(index)]->id;
}

ParamDef& SimParamBlock::GetParamDef(ParamID id) {
  if (Param* param = Find(id)) return param->def;
  unknown_ = {L"", kNoParamType};
  return unknown_;
}

float SimParamBlock::GetFloat(ParamID id, TimeValue) {
  const float* value = ValueOf<float>(id, {TYPE_FLOAT, TYPE_PCNT_FRAC, TYPE_ANGLE, TYPE_WORLD});
  return value ? *value : 0.0f;
}

int SimParamBlock::GetInt(ParamID id, TimeValue) {
  const int* value = ValueOf<int>(id, {TYPE_INT, TYPE_BOOL});
  return value ? *value : 0;
}

Point3 SimParamBlock::GetPoint3(ParamID id, TimeValue) {
  const Point3* value = ValueOf<Point3>(id, {TYPE_POINT3, TYPE_RGBA});
  return value ? *value : Point3();
}

Point4 SimParamBlock::GetPoint4(ParamID id, TimeValue) {
  if (const Point4* value = ValueOf<Point4>(id, {TYPE_POINT4})) return *value;
  if (const AColor* color = ValueOf<AColor>(id, {TYPE_FRGBA})) {
    return {color->r, color->g, color->b, color->a};
  }
  return {};
}

AColor SimParamBlock::GetAColor(ParamID id, TimeValue) {
  if (const AColor* value = ValueOf<AColor>(id, {TYPE_FRGBA})) return *value;
  if (const Point3* color = ValueOf<Point3>(id, {TYPE_RGBA})) return {color->x, color->y, color->z};
  return {};
}

const wchar_t* SimParamBlock::GetStr(ParamID id, TimeValue) {
  const std::wstring* value = ValueOf<std::wstring>(id, {TYPE_STRING, TYPE_FILENAME});
  return value ? value->c_str() : L"";
}

Texmap* SimParamBlock::GetTexmap(ParamID id, TimeValue) {
  Texmap* const* value = ValueOf<Texmap*>(id, {TYPE_TEXMAP});
  return value ? *value : nullptr;
}

PBBitmap* SimParamBlock::GetBitmap(ParamID id, TimeValue) {
  const std::shared_ptr<PBBitmap>* value = ValueOf<std::shared_ptr<PBBitmap>>(id, {TYPE_BITMAP});
  return value ? value->get() : nullptr;
}

}  // namespace sim
