// The dialog's entry points for its users, over the dialog's module: no Qt here.
#include "ui/run_options_dialog.h"

#include "platform/loaded_module.h"
#include "ruv_version.h"
#include "ui/dialog_module.h"

namespace {

using LoadedDialog = platform::ModuleCalls<DialogModuleCalls>;

// Its address names the program or module this code is linked into, which the dialog's module
// lies beside.
const char kThisModule = 0;

LoadedDialog Load() {
  LoadedDialog loaded = platform::LoadModuleCalls<DialogModuleCalls>(
      &kThisModule, kDialogModuleFile, kDialogModuleEntry, RUV_VERSION);
  if (!loaded.calls) loaded.problem = "the options dialog " + loaded.problem;
  return loaded;
}

const LoadedDialog& Dialog() {
  static const LoadedDialog loaded = Load();
  return loaded;
}

}  // namespace

DialogApplication::DialogApplication() {
  const LoadedDialog& dialog = Dialog();
  if (dialog.calls) {
    application_ = dialog.calls->startApplication(problem_);
  } else {
    problem_ = dialog.problem;
  }
}

DialogApplication::~DialogApplication() {
  if (application_) Dialog().calls->endApplication(application_);
}

std::optional<std::string> DialogModuleProblem() {
  const LoadedDialog& dialog = Dialog();
  if (dialog.calls) return std::nullopt;
  return dialog.problem;
}

std::optional<std::string> DialogUnavailableReason() {
  const LoadedDialog& dialog = Dialog();
  if (!dialog.calls) return dialog.problem;
  std::string reason;
  if (dialog.calls->unavailableReason(reason)) return reason;
  return std::nullopt;
}

DialogRun RunOptionsDialog(const OptionsDialogFacts& facts) {
  const LoadedDialog& dialog = Dialog();
  if (!dialog.calls) return {DialogOutcome::Unavailable, dialog.problem};
  return dialog.calls->run(gExportOptions, gAnimationClips, facts);
}
