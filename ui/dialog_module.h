// What the options dialog's module (ruv_dialog.so) gives its loader (run_options_dialog.cpp). The
// module links its own copy of the options subsystem, globals included, so each call is handed
// the options and clips to work on: the caller's, never the module's.
#pragma once

#include <string>

#include "ruv/options/export_options.h"
#include "ruv/options/options_dialog.h"
#include "ui/run_options_dialog.h"

inline constexpr const char* kDialogModuleFile = "ruv_dialog.so";
// The one function the module exports: it returns its calls.
inline constexpr const char* kDialogModuleEntry = "RuvDialogModuleCalls";

struct DialogModuleCalls {
  // The release the module was built for (RUV_VERSION): one of another release is refused, as the
  // types the calls take may differ.
  const char* version;
  // Fills `reason` and returns true when no dialog can be shown here.
  bool (*unavailableReason)(std::string& reason);
  // The process's Qt application, made when it has none, until endApplication; `problem` is set
  // when the display could not be opened.
  void* (*startApplication)(std::string& problem);
  void (*endApplication)(void* application);
  // Shows the dialog over `options` and `clips`; OK writes the controls back into them.
  DialogRun (*run)(ExportOptions& options, AnimationClips& clips, const OptionsDialogFacts& facts);
};
