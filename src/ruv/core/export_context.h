// The state of one export, created by the driver and passed by pointer to every stage.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/interface.h"
#include "host/matrix3.h"
#include "host/time_value.h"
#include "ruv/core/output_names.h"
#include "ruv/core/refused_record.h"
#include "ruv/core/shared_materials.h"
#include "ruv/core/xmaterial.h"
#include "ruv/core/xnode.h"

namespace xof {
class SaveObject;
class SaveData;
}  // namespace xof

struct ExportContext {
  ExportContext() = default;
  ExportContext(const ExportContext&) = delete;
  ExportContext& operator=(const ExportContext&) = delete;

  xof::SaveObject* saveObject = nullptr;
  xof::SaveData* rootFrameData = nullptr;
  std::vector<XNode*> processedNodes;  // not owning
  std::int32_t ticksPerFrame = 0;
  std::int32_t ticksPerSample = 0;
  Interval animRange;
  Interface* host = nullptr;
  bool exportSelected = false;
  // Set by the export driver for its one write: each clip's tracks are emptied as their records are
  // made, so that keys and records are not all held at once.
  bool releaseWrittenTracks = false;
  std::wstring outputDir;
  std::uint32_t workTotal = 0;
  std::uint32_t writeWorkCount = 0;
  std::uint32_t progressCount = 0;
  float progressNextAt = 0.0f;
  float progressPercent = 0.0f;
  float progressEndPercent = 100.0f;
  float progressItemsPerStep = 0.0f;
  float progressPercentPerStep = 10.0f;
  SharedMaterials sharedMaterials;
  std::wstring rootNodeName;
  std::wstring rootFrameName;
  Matrix3 rootTM;
  std::map<INode*, XNode*> nodeMap;  // every export node, ordered by host node identity; not owning
  std::vector<std::unique_ptr<XNode>> topNodes;
  std::vector<RefusedRecord> refusedRecords;  // what the written file lacks, in writing order
  OutputNames outputNames;                    // the files written beside the output so far
  std::vector<std::wstring> textureNotes;     // what converted textures lack, for a warning
};
