// The library entry points the host looks up in ruv.dle; only these leave the module. The module
// is the exporter's top: it installs the options dialog as the driver's options prompt.
#include <string>

#include "host/plugin_classes.h"
#include "platform/module_instance.h"
#include "platform/text_encoding.h"
#include "platform/window.h"
#include "ruv/core/export_context.h"
#include "ruv/plugin/options_prompt.h"
#include "ruv/plugin/ruv_exp.h"
#include "ui/run_options_dialog.h"

namespace {
platform::ModuleInstance gThisModule("ruv.dle");

OptionsDialogFacts DialogFactsOf(const ExportContext& context) {
  OptionsDialogFacts facts;
  facts.frameRate = context.host->GetFrameRate();
  facts.ticksPerFrame = context.ticksPerFrame;
  const int ticks = context.ticksPerFrame > 0 ? context.ticksPerFrame : 1;
  facts.firstFrame = context.animRange.Start() / ticks;
  facts.lastFrame = context.animRange.End() / ticks;
  facts.rootNodeName = context.rootNodeName;
  return facts;
}

// The options dialog as the export's prompt. A dialog that cannot be shown ends the export as a
// cancelled one would, and says why.
int ShowOptionsDialog(ExportContext* context) {
  DialogRun run = RunOptionsDialog(DialogFactsOf(*context));
  if (!run.problem.empty()) {
    std::wstring text = run.outcome == DialogOutcome::Unavailable
                            ? L"The options dialog cannot be shown: "
                            : L"The options dialog was cancelled: ";
    text += platform::Utf8ToWide(run.problem);
    MessageBoxW(context->host->GetMAXHWnd(), text.c_str(), L"", MB_OK);
  }
  return run.outcome == DialogOutcome::Accepted ? 1 : 0;
}

// Start-up: the loader runs this once when the module is mapped, as the system's attach
// notification does for the real module.
__attribute__((constructor)) void OnModuleAttach() {
  SetModuleInstance(&gThisModule);
  SetOptionsPrompt(ShowOptionsDialog);
}
}  // namespace

extern "C" {

const wchar_t* LibDescription() { return L"Kavo DirectX Exporter"; }

int LibNumberClasses() { return 1; }

ClassDesc* LibClassDesc(int i) { return i == 0 ? GetRuvExpClassDesc() : nullptr; }

// Host release 21000 in the high 16 bits, API number 52 in bits 8-15, SDK revision 0.
unsigned long LibVersion() { return 0x52083400UL; }

}  // extern "C"
