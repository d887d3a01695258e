// The data blocks of a skinned mesh's skin records.
#pragma once

#include "ruv/xfile/record_layout.h"

struct XMeshData;
struct XSkinInfo;
struct XBoneInfo;
struct XNode;

// XSkinMeshHeader: the skin's three counts.
RecordBuffer SkinMeshHeaderRecord(const XSkinInfo& skin);

// SkinWeights of one bone: its cleaned name, the output vertices whose position the bone weighs
// with their weights, and the offset matrix in output space (C^-1 * offset * C); or the name of the
// bone's skin frame and the offset that goes with it (skin_frames.h). `boneNode` is the bone's
// export node, null when it has none.
RecordBuffer SkinWeightsRecord(const XMeshData& data, const XBoneInfo& bone, const XNode* boneNode);
