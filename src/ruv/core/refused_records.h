// What the export was asked to write and could not: the records the .x library refused, and the
// files beside the output that could not be made. Every writer's refusals land here without help
// from the writer: the save object lists each add it refused, and CollectRefusals takes that list
// when the file is saved. Only a writer that refuses something outside the save object (a texture
// file) calls RefuseRecord itself.
#pragma once

#include <string>
#include <vector>

#include "ruv/core/refused_record.h"

struct ExportContext;
namespace xof {
class SaveObject;
}

// The caption of the message that lists the refused records; ruvx recognises an incomplete file
// by it.
inline constexpr wchar_t kIncompleteCaption[] = L"Written incomplete";

void RefuseRecord(ExportContext* context, std::wstring record, std::wstring node,
                  std::wstring reason);

// Adds every add the save object refused to the context's list.
void CollectRefusals(ExportContext* context, const xof::SaveObject& save);

// One message naming the refused records of the file at `outputPath` (at most a screenful).
std::wstring RefusalMessage(const std::vector<RefusedRecord>& refused,
                            const std::wstring& outputPath);
