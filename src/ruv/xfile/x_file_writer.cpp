#include "ruv/xfile/x_file_writer.h"

#include <filesystem>
#include <system_error>

#include "platform/file_replacement.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"
#include "platform/window.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/progress.h"
#include "ruv/core/refused_records.h"
#include "ruv/material/texture_files.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/animation_writer.h"
#include "ruv/xfile/frame_writer.h"
#include "ruv/xfile/material_writer.h"
#include "ruv/xfile/record_layout.h"
#include "ruv/xfile/skin_frames.h"
#include "ruv/xfile/skin_warnings.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

namespace {

// The save format of the XFileType option: 0 text, 1 binary, anything else compressed.
DWORD SaveFormat(int fileType) {
  if (fileType == 0) return xof::kFileFormatText;
  if (fileType == 1) return xof::kFileFormatBinary;
  return xof::kFileFormatCompressed;
}

bool RegisterTemplateSets(xof::XFile* file) {
  for (std::string_view set :
       {xof::StandardTemplateSet(), xof::SkinningTemplateSet(), xof::VertexDataTemplateSet()}) {
    if (xof::Failed(file->RegisterTemplates(set.data(), set.size()))) return false;
  }
  return true;
}

void WriteSceneFrames(ExportContext* context) {
  if (gExportOptions.Mtl) {
    for (auto& material : context->sharedMaterials)
      WriteMaterialRecord(context, nullptr, material.get(), nullptr);
  }
  ProgressStep(context);
  context->rootFrameData = nullptr;
  PlanSkinFrames(context);
  if (gExportOptions.SceneRoot) {
    std::string name = platform::WideToAnsi(context->rootFrameName);
    xof::SaveData* root = nullptr;
    if (xof::Succeeded(context->saveObject->AddDataObject(xof::tid::Frame, name.c_str(), nullptr, 0,
                                                          nullptr, &root))) {
      // Every node's world matrix already holds the scene root's transform (the host composes all
      // ancestors): the root frame adds nothing, or that transform would count twice.
      MatrixRecord matrix = MatrixLayout(Matrix3());
      xof::SaveData* transform = nullptr;
      if (xof::Succeeded(root->AddDataObject(xof::tid::FrameTransformMatrix, nullptr, nullptr,
                                             sizeof matrix, matrix.data(), &transform))) {
        transform->Release();
      }
      context->rootFrameData = root;
    }
  }
  for (auto& top : context->topNodes) {
    if (!top) continue;
    if (top->hasGeometry) {
      WriteMeshNode(context, context->rootFrameData, top.get());
    } else {
      WriteFrame(context, context->rootFrameData, top.get());
    }
  }
}

void WriteAnimationRecords(ExportContext* context) {
  if (!gAnimationClips.empty() && !gExportOptions.Timeline) {
    DWORD ticksPerSecond =
        static_cast<DWORD>(context->host->GetFrameRate() * context->ticksPerFrame);
    xof::SaveData* ticks = nullptr;
    if (xof::Succeeded(context->saveObject->AddDataObject(xof::tid::AnimTicksPerSecond, "", nullptr,
                                                          sizeof ticksPerSecond, &ticksPerSecond,
                                                          &ticks))) {
      ticks->Release();
    }
  }
  std::vector<std::wstring> names = AnimationSetNames();
  for (std::size_t clip = 0; clip < names.size(); ++clip) {
    WriteAnimationSet(context, platform::WideToAnsi(names[clip]), clip);
  }
}

// With OnlyAnimationSet the file holds nothing but the clips: without one there is nothing to
// write, and an empty file must not pass for an export.
bool NothingToWrite(ExportContext* context) {
  if (!(gExportOptions.Animation && gExportOptions.OnlyAnimationSet && gAnimationClips.empty()))
    return false;
  MessageBoxW(
      context->host->GetMAXHWnd(),
      L"No animation clip to export: with OnlyAnimationSet on the file holds only animation sets. "
      L"Add a clip, or turn OnlyAnimationSet off to export the scene.",
      L"", MB_OK);
  return true;
}

// Says why nothing was written, or what the written file lacks.
void ReportSave(ExportContext* context, const xof::SaveObject& save, HRESULT saved,
                const std::wstring& outputPath) {
  HWND window = context->host->GetMAXHWnd();
  if (xof::Failed(saved)) {
    std::wstring text = L"The file " + outputPath + L" could not be written: " +
                        platform::AnsiToWide(save.LastError());
    MessageBoxW(window, text.c_str(), L"Error", MB_OK);
    return;
  }
  CollectRefusals(context, save);
  if (context->refusedRecords.empty()) return;
  std::wstring text = RefusalMessage(context->refusedRecords, outputPath);
  MessageBoxW(window, text.c_str(), kIncompleteCaption, MB_OK);
}

// Textures, rendered maps and effect files go beside the output only when the output itself can
// be written: a probe makes (and removes) the temporary file the save will make.
bool OutputWritable(ExportContext* context, const std::wstring& outputPath) {
  platform::FileReplacement probe(platform::ToNativePath(outputPath));
  if (probe.ok()) return true;
  std::wstring text =
      L"The file " + outputPath + L" could not be written: " + platform::Utf8ToWide(probe.error());
  MessageBoxW(context->host->GetMAXHWnd(), text.c_str(), L"Error", MB_OK);
  return false;
}

// A failed save takes back the files the export made beside the output.
void RemoveMadeFiles(const ExportContext& context) {
  for (const std::wstring& path : context.outputNames.Made()) {
    std::error_code error;
    std::filesystem::remove(platform::ToNativePath(path), error);
  }
}

}  // namespace

void WriteXFile(ExportContext* context, const std::wstring& outputPath) {
  if (context->topNodes.empty()) {
    MessageBoxW(context->host->GetMAXHWnd(), L"No node will be export.", L"", MB_OK);
    return;
  }
  if (gExportOptions.Mtl && gExportOptions.TextureFiles) {
    std::wstring clamped = ClampProceduralMapSize();
    if (!clamped.empty())
      MessageBoxW(context->host->GetMAXHWnd(), clamped.c_str(), L"Warning", MB_OK);
    std::wstring conversion = TextureConversionWarning();
    if (!conversion.empty())
      MessageBoxW(context->host->GetMAXHWnd(), conversion.c_str(), L"Warning", MB_OK);
  }
  if (NothingToWrite(context)) return;
  if (!OutputWritable(context, outputPath)) return;
  xof::XFile* file = nullptr;
  if (xof::Failed(xof::XFile::Create(&file))) return;
  xof::SaveObject* save = nullptr;
  if (!RegisterTemplateSets(file) ||
      xof::Failed(file->CreateSaveObject(outputPath.c_str(), xof::kFileSaveToWideFile,
                                         SaveFormat(gExportOptions.XFileType), &save))) {
    std::wstring text = L"The file " + outputPath + L" could not be written: " +
                        platform::AnsiToWide(file->LastError());
    MessageBoxW(context->host->GetMAXHWnd(), text.c_str(), L"Error", MB_OK);
    file->Release();
    return;
  }
  context->saveObject = save;

  if (!(gExportOptions.Animation && gExportOptions.OnlyAnimationSet)) WriteSceneFrames(context);
  if (gExportOptions.Animation) WriteAnimationRecords(context);
  HRESULT saved = save->Save();
  if (xof::Succeeded(saved) && !(gExportOptions.Animation && gExportOptions.OnlyAnimationSet)) {
    std::wstring bones = SkinBoneWarning(*context);
    if (!bones.empty()) MessageBoxW(context->host->GetMAXHWnd(), bones.c_str(), L"Warning", MB_OK);
  }
  if (xof::Succeeded(saved) && !context->textureNotes.empty()) {
    std::wstring text;
    for (const std::wstring& note : context->textureNotes)
      text += (text.empty() ? L"" : L"\n") + note;
    MessageBoxW(context->host->GetMAXHWnd(), text.c_str(), L"Warning", MB_OK);
  }
  ReportSave(context, *save, saved, outputPath);
  if (xof::Failed(saved)) RemoveMadeFiles(*context);

  if (context->rootFrameData) context->rootFrameData->Release();
  context->rootFrameData = nullptr;
  save->Release();
  context->saveObject = nullptr;
  file->Release();
  ProgressStep(context);
}
