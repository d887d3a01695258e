// Skin frames. Irrlicht reads a SkinWeights offset within 1e-6 of the identity in every element as
// none given and skins with the inverse of the bone frame's rest matrix instead; a bone bound where
// its mesh is, away from the origin, then tears the skin. Such a bone gets a frame of its own under
// its frame, half a turn about Y from it, and the skin names that frame with the offset turned back
// by the same half turn. The turn only changes signs, so every reader poses the skin as before to
// the bit, and no offset is the identity any more.
#pragma once

#include <string>

#include "host/matrix3.h"
#include "ruv/xfile/record_layout.h"

namespace xof {
class SaveData;
}
struct ExportContext;
struct XNode;

// Whether a skin's offset from a bone (host space) would be read as none given while the bone's
// frame rests where its inverse is not the identity too: both as read back from any encoding.
bool NeedsSkinFrame(const Matrix3& offset, const Matrix3& boneRest);

// Gives a skin frame name to every bone that a written skin needs one for (before any frame is
// written, as a bone's frame may come before the skin's mesh): the bone's name with "_Skin", made
// unique among the export's names.
void PlanSkinFrames(ExportContext* context);

// The frame a skin names for `bone` and the offset record that goes with it: the bone and the
// offset as they are, or the bone's skin frame and the offset turned back by the frame's half turn.
struct SkinBoneRecord {
  std::wstring frame;
  MatrixRecord offset;
};
SkinBoneRecord SkinBone(const std::wstring& boneName, const Matrix3& offset, const XNode* bone);

// Writes the skin frame of `bone`, if it has one, under the bone's frame.
void WriteSkinFrame(ExportContext* context, xof::SaveData* boneFrame, const XNode& bone);
