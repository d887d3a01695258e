#include "host/sim/import/gltf_accessors.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"

namespace sim::import {

namespace {

// More elements than any scene may hold: three indices per face at the face limit.
constexpr std::size_t kMaxElements = 3 * SceneLimits::kMaxSceneFaces;

std::size_t ComponentBytes(int componentType) {
  switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
      return 2;
    case TINYGLTF_COMPONENT_TYPE_INT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
      return 4;
    default:
      return 0;
  }
}

int ComponentsOf(int type) {
  switch (type) {
    case TINYGLTF_TYPE_SCALAR:
      return 1;
    case TINYGLTF_TYPE_VEC2:
      return 2;
    case TINYGLTF_TYPE_VEC3:
      return 3;
    case TINYGLTF_TYPE_VEC4:
    case TINYGLTF_TYPE_MAT2:
      return 4;
    case TINYGLTF_TYPE_MAT3:
      return 9;
    case TINYGLTF_TYPE_MAT4:
      return 16;
    default:
      return 0;
  }
}

template <class T>
T Load(const unsigned char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

double Component(const unsigned char* p, int componentType, bool normalized) {
  switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
      double v = Load<std::int8_t>(p);
      return normalized ? std::max(v / 127.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return normalized ? Load<std::uint8_t>(p) / 255.0 : Load<std::uint8_t>(p);
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      double v = Load<std::int16_t>(p);
      return normalized ? std::max(v / 32767.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
      return normalized ? Load<std::uint16_t>(p) / 65535.0 : Load<std::uint16_t>(p);
    case TINYGLTF_COMPONENT_TYPE_INT:
      return Load<std::int32_t>(p);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
      return normalized ? Load<std::uint32_t>(p) / 4294967295.0 : Load<std::uint32_t>(p);
    default:
      return Load<float>(p);
  }
}

}  // namespace

void GltfAccessors::Fail(const std::string& place, const std::string& problem) const {
  throw SceneFileError(fileName_, place, problem);
}

const tinygltf::Accessor& GltfAccessors::AccessorAt(int index, const std::string& place) const {
  if (index < 0 || static_cast<std::size_t>(index) >= model_.accessors.size()) {
    Fail(place, "accessor " + std::to_string(index) + " does not exist: the file has " +
                    std::to_string(model_.accessors.size()) + " accessors");
  }
  const tinygltf::Accessor& accessor = model_.accessors[static_cast<std::size_t>(index)];
  std::string self = "/accessors/" + std::to_string(index);
  if (ComponentBytes(accessor.componentType) == 0) {
    Fail(self, "unknown component type " + std::to_string(accessor.componentType));
  }
  if (ComponentsOf(accessor.type) == 0) Fail(self, "unknown type " + std::to_string(accessor.type));
  if (accessor.count > kMaxElements) {
    Fail(self, "count " + std::to_string(accessor.count) + " is more than the limit of " +
                   std::to_string(kMaxElements));
  }
  return accessor;
}

std::size_t GltfAccessors::Count(int index, const std::string& place) const {
  return AccessorAt(index, place).count;
}

int GltfAccessors::Components(int index, const std::string& place) const {
  return ComponentsOf(AccessorAt(index, place).type);
}

const unsigned char* GltfAccessors::ViewBytes(int bufferView, std::size_t offset,
                                              std::size_t length, const std::string& place) const {
  if (bufferView < 0 || static_cast<std::size_t>(bufferView) >= model_.bufferViews.size()) {
    Fail(place, "buffer view " + std::to_string(bufferView) + " does not exist: the file has " +
                    std::to_string(model_.bufferViews.size()) + " buffer views");
  }
  const tinygltf::BufferView& view = model_.bufferViews[static_cast<std::size_t>(bufferView)];
  std::string self = "/bufferViews/" + std::to_string(bufferView);
  if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model_.buffers.size()) {
    Fail(self, "buffer " + std::to_string(view.buffer) + " does not exist");
  }
  const std::vector<unsigned char>& data =
      model_.buffers[static_cast<std::size_t>(view.buffer)].data;
  if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) {
    Fail(self, "bytes " + std::to_string(view.byteOffset) + " to " +
                   std::to_string(view.byteOffset + view.byteLength) + " lie outside buffer " +
                   std::to_string(view.buffer) + " of " + std::to_string(data.size()) + " bytes");
  }
  if (offset > view.byteLength || length > view.byteLength - offset) {
    Fail(place, "bytes " + std::to_string(offset) + " to " + std::to_string(offset + length) +
                    " lie outside buffer view " + std::to_string(bufferView) + " of " +
                    std::to_string(view.byteLength) + " bytes");
  }
  return data.data() + view.byteOffset + offset;
}

template <class T, class Convert>
std::vector<T> GltfAccessors::Values(int index, const std::string& place, Convert convert) const {
  const tinygltf::Accessor& accessor = AccessorAt(index, place);
  std::string self = "/accessors/" + std::to_string(index);
  const std::size_t components = static_cast<std::size_t>(ComponentsOf(accessor.type));
  const std::size_t componentBytes = ComponentBytes(accessor.componentType);
  const std::size_t elementBytes = components * componentBytes;
  std::vector<T> values(accessor.count * components, convert(0.0));
  if (accessor.bufferView >= 0 && accessor.count > 0) {
    const tinygltf::BufferView* view =
        static_cast<std::size_t>(accessor.bufferView) < model_.bufferViews.size()
            ? &model_.bufferViews[static_cast<std::size_t>(accessor.bufferView)]
            : nullptr;
    std::size_t stride = view && view->byteStride ? view->byteStride : elementBytes;
    if (stride < elementBytes) {
      Fail(self, "the buffer view's stride " + std::to_string(stride) +
                     " is shorter than one element of " + std::to_string(elementBytes) + " bytes");
    }
    std::size_t span = stride * (accessor.count - 1) + elementBytes;
    const unsigned char* bytes = ViewBytes(accessor.bufferView, accessor.byteOffset, span, self);
    for (std::size_t e = 0; e < accessor.count; ++e) {
      for (std::size_t c = 0; c < components; ++c) {
        values[e * components + c] = convert(Component(
            bytes + e * stride + c * componentBytes, accessor.componentType, accessor.normalized));
      }
    }
  }
  if (accessor.sparse.isSparse) {
    std::string sparse = self + "/sparse";
    const auto& s = accessor.sparse;
    if (s.count < 0 || static_cast<std::size_t>(s.count) > accessor.count) {
      Fail(sparse, "count " + std::to_string(s.count) + " is outside 0 to " +
                       std::to_string(accessor.count));
    }
    std::size_t count = static_cast<std::size_t>(s.count);
    std::size_t indexBytes = ComponentBytes(s.indices.componentType);
    if (s.indices.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
        s.indices.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        s.indices.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
      Fail(sparse + "/indices", "indices must be unsigned bytes, shorts or ints");
    }
    if (s.indices.byteOffset < 0 || s.values.byteOffset < 0) Fail(sparse, "negative byte offset");
    const unsigned char* indices =
        ViewBytes(s.indices.bufferView, static_cast<std::size_t>(s.indices.byteOffset),
                  count * indexBytes, sparse + "/indices");
    const unsigned char* substitutes =
        ViewBytes(s.values.bufferView, static_cast<std::size_t>(s.values.byteOffset),
                  count * elementBytes, sparse + "/values");
    for (std::size_t i = 0; i < count; ++i) {
      auto target = static_cast<std::size_t>(
          Component(indices + i * indexBytes, s.indices.componentType, false));
      if (target >= accessor.count) {
        Fail(sparse + "/indices", "element " + std::to_string(target) +
                                      " does not exist: the "
                                      "accessor has " +
                                      std::to_string(accessor.count));
      }
      for (std::size_t c = 0; c < components; ++c) {
        values[target * components + c] =
            convert(Component(substitutes + i * elementBytes + c * componentBytes,
                              accessor.componentType, accessor.normalized));
      }
    }
  }
  return values;
}

std::vector<float> GltfAccessors::Floats(int index, int components,
                                         const std::string& place) const {
  int actual = Components(index, place);
  if (components != 0 && actual != components) {
    Fail(place, "accessor " + std::to_string(index) + " has " + std::to_string(actual) +
                    " components per element, expected " + std::to_string(components));
  }
  // A value no float holds is marked NaN as it is read and refused once every substitution is in,
  // so that a sparse value may still replace it.
  std::vector<float> result = Values<float>(index, place, [](double v) {
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
      return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(v);
  });
  for (std::size_t i = 0; i < result.size(); ++i) {
    if (std::isnan(result[i])) {
      Fail("/accessors/" + std::to_string(index),
           "element " + std::to_string(i / static_cast<std::size_t>(actual)) +
               " holds a value that is not a finite float");
    }
  }
  return result;
}

std::vector<std::uint32_t> GltfAccessors::Indices(int index, const std::string& place) const {
  const tinygltf::Accessor& accessor = AccessorAt(index, place);
  if (accessor.type != TINYGLTF_TYPE_SCALAR ||
      (accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
       accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
       accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)) {
    Fail(place, "accessor " + std::to_string(index) +
                    " cannot hold indices: it must be a scalar of unsigned bytes, shorts or ints");
  }
  // Unsigned integers of at most 32 bits: every one converts exactly.
  return Values<std::uint32_t>(index, place,
                               [](double v) { return static_cast<std::uint32_t>(v); });
}

}  // namespace sim::import
