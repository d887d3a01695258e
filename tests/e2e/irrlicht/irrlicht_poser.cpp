#include "irrlicht_poser.h"

#include <irrlicht/irrlicht.h>

#include <stdexcept>

namespace e2e {

namespace {

using irr::core::matrix4;
using irr::core::vector3df;

Position Placed(const matrix4& placement, vector3df point) {
  placement.transformVect(point);
  return {point.X, point.Y, point.Z};
}

}  // namespace

struct IrrlichtPoser::Engine {
  irr::IrrlichtDevice* device = nullptr;
  irr::scene::ISkinnedMesh* mesh = nullptr;
  // Per buffer, as loaded: the stored positions, the rest placement, whether bones weigh it.
  std::vector<std::vector<vector3df>> stored;
  std::vector<matrix4> restPlacement;
  std::vector<bool> skinned;

  ~Engine() {
    if (device) device->drop();
  }
};

IrrlichtPoser::IrrlichtPoser(const std::filesystem::path& file) : engine_(new Engine) {
  irr::SIrrlichtCreationParameters parameters;
  parameters.DriverType = irr::video::EDT_NULL;
  parameters.WindowSize = irr::core::dimension2d<irr::u32>(1, 1);
  parameters.LoggingLevel = irr::ELL_NONE;
  engine_->device = irr::createDeviceEx(parameters);
  if (!engine_->device) throw std::runtime_error("Irrlicht made no device");

  std::string bytes = UncompressedXFile(file);
  // The loader is chosen by the name's extension; the name is also the mesh cache's key.
  std::filesystem::path name = file.filename().replace_extension(".x");
  irr::io::IReadFile* read = engine_->device->getFileSystem()->createMemoryReadFile(
      bytes.data(), static_cast<irr::s32>(bytes.size()), name.c_str(), false);
  irr::scene::IAnimatedMesh* mesh = engine_->device->getSceneManager()->getMesh(read);
  read->drop();
  if (!mesh || mesh->getMeshType() != irr::scene::EAMT_SKINNED) return;
  engine_->mesh = static_cast<irr::scene::ISkinnedMesh*>(mesh);

  irr::u32 buffers = mesh->getMeshBufferCount();
  engine_->skinned.assign(buffers, false);
  const auto& joints = engine_->mesh->getAllJoints();
  for (irr::u32 j = 0; j < joints.size(); ++j) {
    for (irr::u32 w = 0; w < joints[j]->Weights.size(); ++w)
      engine_->skinned.at(joints[j]->Weights[w].buffer_id) = true;
  }
  for (irr::u32 b = 0; b < buffers; ++b) {
    auto* buffer = static_cast<irr::scene::SSkinMeshBuffer*>(mesh->getMeshBuffer(b));
    std::vector<vector3df> positions;
    for (irr::u32 v = 0; v < buffer->getVertexCount(); ++v)
      positions.push_back(buffer->getPosition(v));
    engine_->stored.push_back(std::move(positions));
    engine_->restPlacement.push_back(buffer->Transformation);
  }
}

IrrlichtPoser::~IrrlichtPoser() = default;

bool IrrlichtPoser::Loaded() const { return engine_->mesh != nullptr; }

double IrrlichtPoser::LastFrame() const {
  return engine_->mesh ? engine_->mesh->getFrameCount() : 0.0;
}

std::vector<Position> IrrlichtPoser::Posed(double ticks) {
  std::vector<Position> positions;
  if (!engine_->mesh) return positions;
  engine_->mesh->animateMesh(static_cast<irr::f32>(ticks), 1.0f);
  engine_->mesh->skinMesh();
  for (irr::u32 b = 0; b < engine_->mesh->getMeshBufferCount(); ++b) {
    auto* buffer = static_cast<irr::scene::SSkinMeshBuffer*>(engine_->mesh->getMeshBuffer(b));
    for (irr::u32 v = 0; v < buffer->getVertexCount(); ++v)
      positions.push_back(Placed(buffer->Transformation, buffer->getPosition(v)));
  }
  return positions;
}

std::vector<Position> IrrlichtPoser::Unposed(const std::string& meshFrame) const {
  std::vector<Position> positions;
  if (!engine_->mesh) return positions;
  irr::s32 frame = engine_->mesh->getJointNumber(meshFrame.c_str());
  if (frame < 0) throw std::runtime_error("no frame " + meshFrame);
  const matrix4& meshRest =
      engine_->mesh->getAllJoints()[static_cast<irr::u32>(frame)]->GlobalMatrix;
  for (std::size_t b = 0; b < engine_->stored.size(); ++b) {
    const matrix4& placement = engine_->skinned[b] ? meshRest : engine_->restPlacement[b];
    for (const vector3df& point : engine_->stored[b]) positions.push_back(Placed(placement, point));
  }
  return positions;
}

}  // namespace e2e
