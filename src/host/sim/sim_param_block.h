// A parameter block in memory: parameters by ID, each with its internal name, type and one value
// (parameters are not animated here, so every time answers the same value).
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/bitmap.h"
#include "host/param_block.h"

namespace sim {

// The type GetParamDef answers for an ID the block does not hold: no typed getter answers it.
constexpr ParamType2 kNoParamType = static_cast<ParamType2>(-1);

class SimParamBlock : public IParamBlock2 {
 public:
  // What a parameter holds. Maps are owned by the scene; bitmaps by the block. A bitmap parameter
  // without a file holds a null bitmap.
  using Value = std::variant<float, int, Point3, Point4, AColor, std::wstring, Texmap*,
                             std::shared_ptr<PBBitmap>>;

  // Appends a parameter; an ID given twice replaces the earlier parameter's definition and value in
  // place. The value must suit the type (see ValueFits); one that does not is stored as the type's
  // zero value, so a typed getter never answers a value of another type.
  void Add(ParamID id, std::wstring internalName, ParamType2 type, Value value);
  // A bitmap parameter naming `hostPath` (empty: no bitmap).
  void AddBitmap(ParamID id, std::wstring internalName, const std::wstring& hostPath);

  // Whether `value` is what a parameter of `type` holds.
  static bool ValueFits(ParamType2 type, const Value& value);

  // IParamBlock2. An ID the block does not hold answers like a parameter of another type; an
  // index out of range answers the ID -1, which no parameter has.
  int NumParams() override { return static_cast<int>(params_.size()); }
  ParamID IndextoID(int index) override;
  ParamDef& GetParamDef(ParamID id) override;
  // Float, percent fraction, angle and world distance.
  float GetFloat(ParamID id, TimeValue t = 0) override;
  // Integer and bool.
  int GetInt(ParamID id, TimeValue t = 0) override;
  // Point3 and colour (RGB).
  Point3 GetPoint3(ParamID id, TimeValue t = 0) override;
  // Point4 and floating RGBA colour.
  Point4 GetPoint4(ParamID id, TimeValue t = 0) override;
  // Colour (alpha 1) and floating RGBA colour.
  AColor GetAColor(ParamID id, TimeValue t = 0) override;
  // String and file name; never null.
  const wchar_t* GetStr(ParamID id, TimeValue t = 0) override;
  Texmap* GetTexmap(ParamID id, TimeValue t = 0) override;
  PBBitmap* GetBitmap(ParamID id, TimeValue t = 0) override;

 private:
  struct Param {
    ParamID id;
    std::wstring internalName;
    Value value;
    // What GetParamDef hands out; int_name points into internalName.
    ParamDef def;
  };

  Param* Find(ParamID id);
  template <class T>
  const T* ValueOf(ParamID id, std::initializer_list<ParamType2> types);

  // Held by pointer, so that a definition handed out stays where it is as parameters are added.
  std::vector<std::unique_ptr<Param>> params_;
  // The definition of an ID the block does not hold, reset on every such call.
  ParamDef unknown_;
};

}  // namespace sim
