// Assimp's bones and animations into the neutral model (assimp_animation.cpp).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/sim/import/imported_model.h"

struct aiMesh;
struct aiScene;

namespace sim::import {

// The bones of every mesh, gathered into one skin: each distinct bone name is one joint.
class AssimpBones {
 public:
  explicit AssimpBones(std::string fileName) : fileName_(std::move(fileName)) {}

  // The influences of `mesh` into `part` (whose positions are read), joints numbered across all
  // meshes, weights of 0 left out. Throws SceneFileError for a weight naming no vertex, or an
  // offset matrix that is not finite or cannot be inverted; `where` names the mesh.
  void ReadInfluences(const aiMesh& mesh, const std::string& where, ImportedMeshPart& part);

  // Once the nodes are read: the skin of every node whose mesh has bones, each bone resolved to
  // the node of its name. A bone that names no node is left out with its weights, with a warning.
  void MakeSkin(ImportedModel& model);

 private:
  std::string fileName_;
  std::map<std::string, int> index_;
  std::vector<std::string> names_;
  std::vector<Matrix3> offsets_;
  std::vector<std::string> warnings_;
};

// The node channels of every animation, once the nodes are read; `fileName` names the file in
// errors.
void ReadAssimpAnimations(const aiScene& scene, const std::string& fileName, ImportedModel& model);

}  // namespace sim::import
