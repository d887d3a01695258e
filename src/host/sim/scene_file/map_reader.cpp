#include "host/sim/scene_file/map_reader.h"

#include <string>
#include <string_view>

#include "host/sim/scene_file/class_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/texture_path.h"

namespace sim {

namespace {

struct NamedFlag {
  std::string_view name;
  int bit;
};

constexpr NamedFlag kTilingFlags[] = {
    {"uWrap", U_WRAP}, {"vWrap", V_WRAP}, {"uMirror", U_MIRROR}, {"vMirror", V_MIRROR}};

// Keys every map may have, then those of each type.
constexpr std::string_view kCommonKeys[] = {"type",  "name",   "offset",     "repeat",
                                            "angle", "tiling", "mapChannel", "subMaps"};

void ExpectMapKeys(const JsonPlace& map, bool inStandardSlot,
                   std::initializer_list<std::string_view> own) {
  std::vector<std::string_view> keys(std::begin(kCommonKeys), std::end(kCommonKeys));
  keys.insert(keys.end(), own.begin(), own.end());
  if (inStandardSlot) keys.push_back("enabled");
  map.ExpectObject(keys);
}

// [u, v]
std::pair<float, float> ReadPair(const JsonPlace& pair) {
  pair.ExpectArray(2, 2);
  float u = pair.Element(0).Float();
  return {u, pair.Element(1).Float()};
}

int ReadTilingFlags(const JsonPlace& list) {
  std::size_t count = list.ExpectArray(0, std::size(kTilingFlags));
  int flags = 0;
  for (std::size_t i = 0; i < count; ++i) {
    JsonPlace entry = list.Element(i);
    std::string name = entry.String();
    bool known = false;
    for (const NamedFlag& flag : kTilingFlags) {
      if (flag.name == name) {
        flags |= flag.bit;
        known = true;
      }
    }
    if (!known) {
      entry.Fail("unknown tiling flag \"" + name + "\" (known: uWrap, vWrap, uMirror, vMirror)");
    }
  }
  return flags;
}

BitmapCrop ReadCrop(const JsonPlace& crop) {
  crop.ExpectObject({"u", "v", "width", "height", "apply", "mode"});
  BitmapCrop result;
  result.apply = true;
  if (auto u = crop.OptionalField("u")) result.u = u->Float();
  if (auto v = crop.OptionalField("v")) result.v = v->Float();
  if (auto width = crop.OptionalField("width")) result.width = width->Float();
  if (auto height = crop.OptionalField("height")) result.height = height->Float();
  if (auto apply = crop.OptionalField("apply")) result.apply = apply->Bool();
  if (auto mode = crop.OptionalField("mode")) {
    std::string text = mode->String();
    if (text != "crop" && text != "place") mode->Fail("expected \"crop\" or \"place\"");
    result.place = text == "place";
  }
  return result;
}

// Exactly `count` colours.
std::vector<AColor> ReadColors(const JsonPlace& map, std::size_t count) {
  std::vector<AColor> colors;
  auto list = map.OptionalField("colors");
  if (!list) return colors;
  list->ExpectArray(count, count);
  for (std::size_t i = 0; i < count; ++i) colors.push_back(ReadAColor(list->Element(i)));
  return colors;
}

AColor ColorOr(const std::vector<AColor>& colors, std::size_t i, const AColor& fallback) {
  return i < colors.size() ? colors[i] : fallback;
}

MapBuilder ReadTypedMap(const JsonPlace& map, const std::string& type,
                        const std::filesystem::path& baseFolder, bool inStandardSlot) {
  if (type == "bitmap") {
    ExpectMapKeys(map, inStandardSlot, {"file", "crop", "color"});
    MapBuilder bitmap =
        BitmapTexture(ResolveTexturePath(map.Field("file").WideString(), baseFolder));
    if (auto crop = map.OptionalField("crop")) {
      BitmapCrop values = ReadCrop(*crop);
      if (values.place) {
        bitmap.Place(values.u, values.v, values.width, values.height, values.apply);
      } else {
        bitmap.Crop(values.u, values.v, values.width, values.height, values.apply);
      }
    }
    if (auto color = map.OptionalField("color")) bitmap.FlatColor(ReadAColor(*color));
    return bitmap;
  }
  if (type == "checker") {
    ExpectMapKeys(map, inStandardSlot, {"colors"});
    std::vector<AColor> colors = ReadColors(map, 2);
    return Checker(ColorOr(colors, 0, {0, 0, 0}), ColorOr(colors, 1, {1, 1, 1}));
  }
  if (type == "gradient") {
    ExpectMapKeys(map, inStandardSlot, {"colors", "middle"});
    std::vector<AColor> colors = ReadColors(map, 3);
    float middle = 0.5f;
    if (auto place = map.OptionalField("middle")) {
      middle = place->Float();
      if (middle < 0 || middle > 1) place->Fail("the middle lies between 0 and 1");
    }
    return Gradient(ColorOr(colors, 0, {0, 0, 0}), ColorOr(colors, 1, {0.5f, 0.5f, 0.5f}),
                    ColorOr(colors, 2, {1, 1, 1}), middle);
  }
  if (type == "noise") {
    ExpectMapKeys(map, inStandardSlot, {"colors", "size"});
    std::vector<AColor> colors = ReadColors(map, 2);
    float size = 25.0f;
    if (auto place = map.OptionalField("size")) {
      size = place->Float();
      if (!(size > 0)) place->Fail("the size must be above 0");
    }
    return Noise(ColorOr(colors, 0, {0, 0, 0}), ColorOr(colors, 1, {1, 1, 1}), size);
  }
  if (type == "normalBump") {
    ExpectMapKeys(map, inStandardSlot, {"map", "bumpMap"});
    MapBuilder normalBump = NormalBump(ReadMap(map.Field("map"), baseFolder));
    if (auto bump = map.OptionalField("bumpMap")) normalBump.SubMap(1, ReadMap(*bump, baseFolder));
    return normalBump;
  }
  if (type == "vertexColor") {
    ExpectMapKeys(map, inStandardSlot, {});
    return VertexColorMap();
  }
  if (type == "custom") {
    ExpectMapKeys(map, inStandardSlot, {"classId", "color"});
    JsonPlace classPlace = map.Field("classId");
    Class_ID classId = ReadClassId(classPlace);
    if (classId == BMTEX_CLASS_ID || classId == GNORMAL_CLASS_ID) {
      classPlace.Fail(
          "a \"custom\" map cannot claim the bitmap's class [576, 0] or the normal bump's class");
    }
    MapBuilder custom = CustomMap(classId);
    if (auto color = map.OptionalField("color")) custom.FlatColor(ReadAColor(*color));
    return custom;
  }
  map.Field("type").Fail(
      "unknown map type \"" + type +
      "\" (known: \"bitmap\", \"checker\", \"gradient\", \"noise\", \"normalBump\", "
      "\"vertexColor\", \"custom\")");
}

}  // namespace

Color ReadColor(const JsonPlace& color) {
  color.ExpectArray(3, 3);
  float r = color.Element(0).Float(), g = color.Element(1).Float();
  return {r, g, color.Element(2).Float()};
}

AColor ReadAColor(const JsonPlace& color) {
  std::size_t count = color.ExpectArray(3, 4);
  float r = color.Element(0).Float(), g = color.Element(1).Float(), b = color.Element(2).Float();
  return {r, g, b, count == 4 ? color.Element(3).Float() : 1.0f};
}

MapBuilder ReadMap(const JsonPlace& map, const std::filesystem::path& baseFolder,
                   bool inStandardSlot) {
  if (!map.IsObject()) map.Fail("expected a map object");
  std::string type = map.Field("type").String();
  MapBuilder result = ReadTypedMap(map, type, baseFolder, inStandardSlot);
  if (auto name = map.OptionalField("name")) result.Name(name->WideString());
  if (auto offset = map.OptionalField("offset")) {
    auto [u, v] = ReadPair(*offset);
    result.Offset(u, v);
  }
  if (auto repeat = map.OptionalField("repeat")) {
    auto [u, v] = ReadPair(*repeat);
    result.Repeat(u, v);
  }
  if (auto angle = map.OptionalField("angle")) result.Angle(angle->Float());
  if (auto tiling = map.OptionalField("tiling")) result.Tiling(ReadTilingFlags(*tiling));
  if (auto channel = map.OptionalField("mapChannel")) {
    result.Channel(static_cast<int>(channel->Integer(0, SceneLimits::kMaxMapChannel)));
  }
  if (auto subMaps = map.OptionalField("subMaps")) {
    // Normal Bump's sub-maps are its "map" and "bumpMap".
    if (type == "normalBump")
      subMaps->Fail("a Normal Bump map gives its sub-maps as \"map\" and \"bumpMap\"");
    std::size_t count = subMaps->ExpectArray(0, SceneLimits::kMaxSubMaps);
    for (std::size_t i = 0; i < count; ++i) {
      JsonPlace entry = subMaps->Element(i);
      if (!entry.IsNull()) result.SubMap(static_cast<int>(i), ReadMap(entry, baseFolder));
    }
  }
  return result;
}

}  // namespace sim
