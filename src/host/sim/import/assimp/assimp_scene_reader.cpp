// Assimp's scene into the neutral model: nodes with their transforms, one part per Assimp mesh,
// materials through assimp_materials.cpp.
#include "host/sim/import/assimp/assimp_scene_reader.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cctype>
#include <cmath>
#include <set>

#include "host/sim/import/assimp/assimp_animation.h"
#include "host/sim/import/assimp/assimp_files.h"
#include "host/sim/import/assimp/assimp_materials.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const aiVector3D& v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }

class AssimpReader {
 public:
  AssimpReader(const aiScene& scene, std::string fileName, ImportedModel& model)
      : scene_(scene), fileName_(std::move(fileName)), model_(model), bones_(fileName_) {}

  // Bones and animations, once the nodes are read.
  void ReadSkinsAndAnimations() {
    bones_.MakeSkin(model_);
    ReadAssimpAnimations(scene_, fileName_, model_);
  }

  void ReadParts() {
    for (unsigned m = 0; m < scene_.mNumMeshes; ++m)
      model_.parts.push_back(Part(*scene_.mMeshes[m], m));
  }

  // Depth-first with an explicit stack. The root is left out when it only gathers the others.
  void ReadNodes() {
    const aiNode* root = scene_.mRootNode;
    if (!root) Fail("the file holds no scene");
    struct Pending {
      const aiNode* node;
      int parent;
      int depth;
    };
    std::vector<Pending> stack;
    bool skipRoot = root->mTransformation.IsIdentity() && root->mNumMeshes == 0;
    if (skipRoot) {
      for (unsigned k = root->mNumChildren; k-- > 0;) stack.push_back({root->mChildren[k], -1, 1});
    } else {
      stack.push_back({root, -1, 1});
    }
    std::set<const aiNode*> seen;
    while (!stack.empty()) {
      Pending next = stack.back();
      stack.pop_back();
      if (!next.node || !seen.insert(next.node).second) Fail("the node hierarchy loops");
      if (next.depth > SceneLimits::kMaxHierarchyDepth || seen.size() > SceneLimits::kMaxNodes) {
        Fail("the node hierarchy is deeper or larger than a scene may be");
      }
      int self = static_cast<int>(model_.nodes.size());
      model_.nodes.push_back(Node(*next.node, next.parent));
      for (unsigned k = next.node->mNumChildren; k-- > 0;) {
        stack.push_back({next.node->mChildren[k], self, next.depth + 1});
      }
    }
  }

  void WarnDropped() {
    auto count = [&](unsigned n, const char* what) {
      if (n > 0) model_.warnings.push_back(std::to_string(n) + " " + what);
    };
    count(scene_.mNumCameras, "cameras are dropped");
    count(scene_.mNumLights, "lights are dropped");
  }

 private:
  [[noreturn]] void Fail(const std::string& problem) const {
    throw SceneFileError(fileName_, "", problem);
  }

  void Warn(const std::string& line) {
    if (warned_.insert(line).second) model_.warnings.push_back(line);
  }

  ImportedNode Node(const aiNode& source, int parent) {
    ImportedNode node;
    node.parent = parent;
    std::string name = source.mName.C_Str();
    node.name =
        platform::Utf8ToWide(name.empty() ? "Node" + std::to_string(model_.nodes.size()) : name);
    const aiMatrix4x4& m = source.mTransformation;
    for (float v : {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4}) {
      if (!Finite(v)) Fail("node \"" + name + "\": the transform holds a value that is not finite");
    }
    // Assimp's matrices act on column vectors: the host's rows are its columns.
    node.local = Matrix3(Point3(m.a1, m.b1, m.c1), Point3(m.a2, m.b2, m.c2),
                         Point3(m.a3, m.b3, m.c3), Point3(m.a4, m.b4, m.c4));
    for (unsigned i = 0; i < source.mNumMeshes; ++i) {
      unsigned index = source.mMeshes[i];
      if (index >= scene_.mNumMeshes)
        Fail("node \"" + name + "\": mesh " + std::to_string(index) + " does not exist");
      if (model_.parts[index].triangles.empty()) continue;
      node.parts.push_back(static_cast<int>(index));
      if (node.meshName.empty())
        node.meshName = platform::Utf8ToWide(scene_.mMeshes[index]->mName.C_Str());
    }
    return node;
  }

  ImportedMeshPart Part(const aiMesh& mesh, unsigned index) {
    std::string where = "mesh " + std::to_string(index) + " \"" + mesh.mName.C_Str() + "\"";
    ImportedMeshPart part;
    const unsigned n = mesh.mNumVertices;
    part.positions.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
      const aiVector3D& p = mesh.mVertices[i];
      if (!Finite(p)) Fail(where + ": vertex " + std::to_string(i) + " is not a finite point");
      part.positions.emplace_back(p.x, p.y, p.z);
    }
    if (mesh.HasNormals()) {
      part.normals.reserve(n);
      for (unsigned i = 0; i < n; ++i) {
        const aiVector3D& v = mesh.mNormals[i];
        part.normals.emplace_back(Finite(v) ? Point3(v.x, v.y, v.z) : Point3());
      }
    }
    for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS && mesh.HasTextureCoords(set);
         ++set) {
      std::vector<Point3> coordinates(n);
      for (unsigned i = 0; i < n; ++i) {
        const aiVector3D& t = mesh.mTextureCoords[set][i];
        if (!Finite(t))
          Fail(where + ": texture coordinate " + std::to_string(i) + " is not finite");
        coordinates[i] = Point3(t.x, t.y, mesh.mNumUVComponents[set] > 2 ? t.z : 0.0f);
      }
      part.uvSets.push_back(std::move(coordinates));
    }
    if (mesh.HasVertexColors(0)) {
      part.colors.reserve(n);
      bool translucent = false;
      for (unsigned i = 0; i < n; ++i) {
        const aiColor4D& c = mesh.mColors[0][i];
        part.colors.emplace_back(c.r, c.g, c.b);
        translucent = translucent || c.a != 1.0f;
      }
      if (translucent) {
        part.alpha.resize(n);
        for (unsigned i = 0; i < n; ++i) part.alpha[i] = mesh.mColors[0][i].a;
      }
    }
    if (mesh.HasVertexColors(1)) Warn("vertex colour sets after the first are dropped");
    bones_.ReadInfluences(mesh, where, part);
    if (mesh.mNumAnimMeshes > 0) Warn("morph targets are dropped");
    part.triangles.reserve(mesh.mNumFaces);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      const aiFace& face = mesh.mFaces[f];
      if (face.mNumIndices != 3) {
        Warn("points and lines are skipped (" + where + ")");
        continue;
      }
      for (unsigned k = 0; k < 3; ++k) {
        if (face.mIndices[k] >= n) {
          Fail(where + ": face " + std::to_string(f) + " names vertex " +
               std::to_string(face.mIndices[k]) + " of " + std::to_string(n));
        }
      }
      part.triangles.push_back({face.mIndices[0], face.mIndices[1], face.mIndices[2]});
    }
    part.material =
        mesh.mMaterialIndex < scene_.mNumMaterials ? static_cast<int>(mesh.mMaterialIndex) : -1;
    return part;
  }

  const aiScene& scene_;
  std::string fileName_;
  ImportedModel& model_;
  AssimpBones bones_;
  std::set<std::string> warned_;
};

// Whether the file is Z-up: FBX says so in the scene's metadata; Blender and 3MF files are Z-up
// by their format, and Assimp hands their coordinates over as they are.
bool IsZUp(const aiScene& scene, const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".blend" || extension == ".3mf") return true;
  int axis = 1;
  return scene.mMetaData && scene.mMetaData->Get("UpAxis", axis) && axis == 2;
}

}  // namespace

ImportedModel ReadWithAssimp(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings) {
  Assimp::Importer importer;
  // Every file Assimp opens passes the import's checks; the importer owns the file system.
  std::vector<std::string> refusedFiles;
  importer.SetIOHandler(new ModelFileSystem(ModelFolder::Of(path), refusedFiles));
  // Pivots folded into the node transforms, as a host keeps them, rather than helper nodes.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  const aiScene* scene =
      importer.ReadFile(path.string(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                           aiProcess_ValidateDataStructure);
  if (!scene) {
    std::string problem = importer.GetErrorString();
    if (!refusedFiles.empty()) problem += " (" + refusedFiles.front() + ")";
    throw SceneFileError(fileName, "", problem.empty() ? "not a model file Assimp reads" : problem);
  }
  // A scene without meshes is flagged incomplete, yet its nodes are still worth exporting.
  if (!scene->mRootNode) throw SceneFileError(fileName, "", "the file holds no scene");
  ImportedModel model;
  model.warnings = std::move(refusedFiles);
  model.yUp = settings.up == UpAxis::kFromFile ? !IsZUp(*scene, path) : settings.up == UpAxis::kY;
  AssimpReader reader(*scene, fileName, model);
  reader.WarnDropped();
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
  ReadAssimpMaterials(*scene, fileName, error ? path.parent_path() : folder, settings.imageFolder,
                      model);
  reader.ReadParts();
  reader.ReadNodes();
  reader.ReadSkinsAndAnimations();
  return model;
}

}  // namespace sim::import
