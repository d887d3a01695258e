// What a written skin lacks that no record refusal covers: bones a reader cannot pose it with.
#pragma once

#include <string>

struct ExportContext;

// One warning naming the bones of the skins about to be written that have no frame in the file
// (the Bones option off, or a bone the export does not mirror), so that no reader can pose their
// vertices, and the bones bound with a flat bind pose; empty when there are none.
std::wstring SkinBoneWarning(const ExportContext& context);
