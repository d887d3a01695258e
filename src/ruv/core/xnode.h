// The export node tree: one XNode per mirrored host node, an XRenderableNode for one with geometry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/inode.h"
#include "host/matrix3.h"
#include "host/mesh.h"
#include "host/object.h"
#include "ruv/core/animation_track.h"
#include "ruv/core/xmaterial.h"

struct XMeshData;
struct XSkinInfo;
class PatchMesh;

// Node kinds, from the class of the node's base object.
enum XNodeKind : std::uint32_t {
  KindOther = 0,
  KindMesh = 1,
  KindBone = 2,
  KindBiped = 3,
  KindBoneOther = 4,
  KindDummy = 5,
  KindHelper = 6,
  KindPatch = 7,
  KindSurface = 8,
};

inline bool IsBoneKind(std::uint32_t kind) {
  return kind == KindBone || kind == KindBiped || kind == KindBoneOther;
}

struct XNode {
  XNode() = default;
  XNode(const XNode&) = delete;
  XNode& operator=(const XNode&) = delete;
  virtual ~XNode() = default;

  std::uint32_t kind = KindOther;
  std::uint32_t hasGeometry = 0;
  std::uint32_t isBone = 0;
  std::uint32_t exported = 0;
  INode* hostNode = nullptr;  // borrowed
  std::wstring name;
  bool processed = false;
  bool counted = false;
  Matrix3 nodeTM;
  XNode* parent = nullptr;  // borrowed
  std::vector<std::unique_ptr<XNode>> children;
  std::vector<AnimationTrack> tracks;  // one per animation clip, in clip order
  // The name of the frame under this bone's frame that skins name in its place, or empty
  // (xfile/skin_frames.h).
  std::wstring skinFrameName;
};

// A node whose geometry is exported: "a mesh node" is one that is neither a bone nor of a bone
// kind.
struct XRenderableNode : XNode {
  XRenderableNode() {
    kind = KindMesh;
    hasGeometry = 1;
  }
  // Deletes a converted object of the node's own. A locked host object is not touched: the host
  // may be gone by now. The export unlocks it through ReleaseMeshCopy while the host is there.
  ~XRenderableNode() override {
    if (ownsTriObject && triObject) triObject->DeleteMe();
  }

  // Deletes the converted object when the conversion made it for this node, or unlocks the host's
  // own object when the mesh was read in place.
  void ReleaseTriObject() {
    if (triObject && lockedTriObject) triObject->UnlockObject();
    if (ownsTriObject && triObject) triObject->DeleteMe();
    triObject = nullptr;
    ownsTriObject = false;
    lockedTriObject = false;
  }

  // Once the vertices are generated and the skin read, the records need only meshData: the mesh
  // (a copy, a converted object of the node's own, or the locked host object's) and the points go
  // before writing, so that they are not held beside the records.
  void ReleaseMeshCopy() {
    meshCopy = Mesh();
    mesh = nullptr;
    ReleaseTriObject();
    std::vector<Point3>().swap(objectPoints);
  }

  // The mesh to change (its normals built): a mesh read in place from the host's object is copied
  // first, so that the export never changes the host's data.
  Mesh* WritableMesh() {
    if (mesh && mesh != &meshCopy && !ownsTriObject) {
      meshCopy.DeepCopy(mesh, ALL_CHANNELS);
      mesh = &meshCopy;
    }
    return mesh;
  }

  Object* triObject = nullptr;
  bool ownsTriObject = false;
  bool lockedTriObject = false;  // triObject is the host's, locked while its mesh is read in place
  Mesh meshCopy;
  // The node's triangle mesh: meshCopy (patches tessellated, or a copy made to change it), or in
  // place the mesh of triObject, which is the node's own or locked.
  Mesh* mesh = nullptr;
  PatchMesh* patchMesh = nullptr;  // borrowed from the evaluated patch object
  std::vector<int> patchMapping;
  std::uint32_t hasWorldSpaceModifier = 0;
  Matrix3 objectTM;
  std::vector<std::unique_ptr<XMaterialEntry>> materials;
  std::shared_ptr<XMeshData> meshData;
  std::shared_ptr<XSkinInfo> rawSkin;
  std::shared_ptr<XSkinInfo> skin;
  // The evaluated object's points, as the skin numbers them; kept only for a node with a skin.
  std::vector<Point3> objectPoints;
  std::size_t objectPointCount = 0;
  bool hasSkin = false;
  bool pointOrderDiffers = false;
};

// The node as a renderable node, or null when it carries no geometry of its own.
inline XRenderableNode* AsRenderable(XNode* node) { return dynamic_cast<XRenderableNode*>(node); }

// A mesh node: geometry that is neither a bone nor of a bone kind.
inline bool IsMeshNode(const XNode& node) {
  return node.hasGeometry && !node.isBone && !IsBoneKind(node.kind);
}
