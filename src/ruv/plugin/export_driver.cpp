#include "ruv/plugin/export_driver.h"

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "platform/window.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/names.h"
#include "ruv/core/progress.h"
#include "ruv/core/search_folders.h"
#include "ruv/core/xnode.h"
#include "ruv/material/texture_search.h"
#include "ruv/options/config_file.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/options_prompt.h"
#include "ruv/plugin/sampling_step.h"
#include "ruv/processing/processing.h"
#include "ruv/scene/node_tree.h"
#include "ruv/xfile/x_file_writer.h"

namespace {

constexpr DWORD kLongPathBufferChars = 260;

DWORD DoNothingProgress(void*) { return 0; }

// The file the writer creates: the long form of the given name, or the name itself when it cannot
// be expanded (a file that does not exist yet).
std::wstring LongOutputPath(const wchar_t* name) {
  std::array<wchar_t, kLongPathBufferChars> buffer{};
  DWORD length = GetLongPathNameW(name, buffer.data(), kLongPathBufferChars);
  if (length == 0 || length >= kLongPathBufferChars) return name;
  return std::wstring(buffer.data(), length);
}

void LoadExportOptions(ExportContext* context) {
  LoadOptions(ConfigFilePath(context->host), context->host->GetFrameRate(), context->animRange,
              context->ticksPerFrame);
  // The user's options are in a file that could not be read: say so, since the export runs on the
  // defaults (and leaves that file alone).
  if (!OptionsFileProblem().empty()) {
    std::wstring text = platform::AnsiToWide(OptionsFileProblem()) +
                        L".\nThe export uses the default options and does not save them.";
    MessageBoxW(context->host->GetMAXHWnd(), text.c_str(), L"Warning", MB_OK);
  }
}

// Sets C and C^-1 from the options; a disabled scale or rotation counts as none.
void SetupConversionFromOptions() {
  const ExportOptions& o = gExportOptions;
  SetupConversion(o.SpaceScaleEnable ? o.SpaceScale : 1.0f, o.RightHand,
                  o.XRotEnable ? o.XRot : 0.0f, o.ZRotEnable ? o.ZRot : 0.0f);
}

bool AnyNodeProcessed(const ExportContext& context) {
  return std::any_of(context.nodeMap.begin(), context.nodeMap.end(),
                     [](const auto& entry) { return entry.second && entry.second->processed; });
}

// Steps 4 to 25 of an export: everything after the host pointer is known to be valid.
void RunExport(ExportContext* context, const wchar_t* name, BOOL suppressPrompts, DWORD options) {
  Interface* host = context->host;
  HWND window = host->GetMAXHWnd();
  context->animRange = host->GetAnimRange();
  context->ticksPerFrame = host->GetTicksPerFrame();

  INode* root = host->GetRootNode();
  if (!root || root->NumberOfChildren() <= 0) {
    MessageBoxW(window, L"No node!", L"", MB_OK);
    return;
  }

  context->rootNodeName = PrepareRootNodeName(root->GetName());
  context->exportSelected = (options & 1) != 0;

  std::wstring outputPath = LongOutputPath(name ? name : L"");
  context->outputDir = OutputFolderOf(outputPath);
  const wchar_t* imageDir = host->GetDir(APP_IMAGE_DIR);
  const wchar_t* dataDir = host->GetDir(APP_MAXDATA_DIR);
  ImageDir = WithTrailingBackslash(imageDir ? imageDir : L"");
  DataDir = WithTrailingBackslash(dataDir ? dataDir : L"");
  const wchar_t* scenePath = host->GetCurFilePath();
  SceneDir = SceneFolderOf(scenePath ? scenePath : L"");
  // Folders may have changed since the last export.
  ResetTextureSearch();

  LoadExportOptions(context);
  if (!suppressPrompts && ShowOptionsPrompt(context) == 0) return;

  SetupConversionFromOptions();
  SetupSamplingStep(context);
  // Cleaned as the options dialog cleans it: the options file may hold any text.
  std::wstring rootName = CleanName(StripSpaces(gExportOptions.SceneRootName.c_str()));
  context->rootFrameName = rootName.empty() ? context->rootNodeName : rootName;

  host->ProgressStart(L"Kavo", TRUE, DoNothingProgress, nullptr);
  context->workTotal = 1;
  BuildNodeTree(context, root);

  if (context->topNodes.empty()) {
    if (!gExportOptions.Dummy || !gExportOptions.OTHER) {
      MessageBoxW(
          window,
          L"No node will be export, you can check the Dummy or Helper option and try again.", L"",
          MB_OK);
    }
    host->ProgressEnd();
  } else {
    BeginProcessingProgress(context);
    ProcessNodeTree(context);
    host->ProgressUpdate(95, TRUE, nullptr);
    if (!AnyNodeProcessed(*context)) {
      MessageBoxW(
          window,
          L"No node will be export. To export hidden nodes please unhide them and make sure "
          L"the Renderable option of the object properties is checked.",
          L"Warning", MB_OK);
      host->ProgressEnd();
    } else {
      // From here on the records are made from the generated vertices alone.
      for (XNode* node : context->processedNodes) {
        if (XRenderableNode* renderable = AsRenderable(node)) renderable->ReleaseMeshCopy();
      }
      BeginWritingProgress(context);
      context->releaseWrittenTracks = true;
      WriteXFile(context, outputPath);
    }
  }

  // Every mesh read in place is let go while the host is there: its object is unlocked.
  for (const auto& [hostNode, node] : context->nodeMap) {
    if (XRenderableNode* renderable = AsRenderable(node)) renderable->ReleaseMeshCopy();
  }
  if (!suppressPrompts) SaveOptions(ConfigFilePath(host));
  host->ProgressUpdate(static_cast<int>(context->progressEndPercent), TRUE, nullptr);
  host->ProgressEnd();
}

}  // namespace

extern "C" int XDoExport(const wchar_t* name, ExpInterface* exportInterface, Interface* host,
                         BOOL suppressPrompts, DWORD options) {
  (void)exportInterface;
  auto context = std::make_unique<ExportContext>();
  if (!host) return 1;
  context->host = host;
  context->ticksPerSample = host->GetTicksPerFrame();
  // Nothing may escape into the host: an unexpected failure ends the export with a message, the
  // progress bar closed and nothing more written.
  try {
    RunExport(context.get(), name, suppressPrompts, options);
  } catch (const std::exception& failure) {
    std::wstring text = L"The export stopped: " + platform::AnsiToWide(failure.what());
    MessageBoxW(host->GetMAXHWnd(), text.c_str(), L"Error", MB_OK);
    host->ProgressEnd();
  }
  return 1;
}
