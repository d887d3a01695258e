#include "host/sim/scene_file/geometry_budget.h"

#include <string>

#include "host/sim/scene_file/scene_limits.h"

namespace sim {

void GeometryBudget::Take(const JsonPlace& place, std::size_t vertices, std::size_t faces) {
  if (vertices > SceneLimits::kMaxSceneVertices - vertices_) {
    place.Fail("the scene's meshes would hold more than " +
               std::to_string(SceneLimits::kMaxSceneVertices) + " vertices in all");
  }
  if (faces > SceneLimits::kMaxSceneFaces - faces_) {
    place.Fail("the scene's meshes would hold more than " +
               std::to_string(SceneLimits::kMaxSceneFaces) + " faces in all");
  }
  vertices_ += vertices;
  faces_ += faces;
}

void GeometryBudget::TakeMapData(const JsonPlace& place, std::size_t vertices, std::size_t faces) {
  if (vertices > SceneLimits::kMaxSceneMapVertices - mapVertices_) {
    place.Fail("the scene's map channels and specified normals would hold more than " +
               std::to_string(SceneLimits::kMaxSceneMapVertices) + " vertices in all");
  }
  if (faces > SceneLimits::kMaxSceneMapFaces - mapFaces_) {
    place.Fail("the scene's map channels and specified normals would hold more than " +
               std::to_string(SceneLimits::kMaxSceneMapFaces) + " faces in all");
  }
  mapVertices_ += vertices;
  mapFaces_ += faces;
}

}  // namespace sim
