// Shows the options dialog modally over the process-wide options and clips, with a Qt application
// of its own when the process has none. The dialog and Qt live in a module of their own
// (ruv_dialog.so, beside the program or module that links this), loaded the first time one of
// these is called, so that a process that shows no dialog never maps Qt.
#pragma once

#include <optional>
#include <string>

#include "ruv/options/options_dialog.h"

enum class DialogOutcome { Accepted, Cancelled, Unavailable };

struct DialogRun {
  DialogOutcome outcome = DialogOutcome::Cancelled;
  // Why the dialog could not be shown, or why a script stopped.
  std::string problem;
};

// The variable that answers the dialog without a person: its steps (see
// OptionsDialogWindow::RunScript) run as soon as the dialog opens.
inline constexpr const char* kDialogScriptVariable = "RUV_DIALOG_SCRIPT";

// The process's Qt application while this object lives: the one it already has, or one made here.
// Made on the display where there is one; Problem() says when that display could not be opened
// (the application then draws into memory, and no dialog should be shown), or when the dialog's
// module could not be loaded.
class DialogApplication {
 public:
  DialogApplication();
  ~DialogApplication();
  DialogApplication(const DialogApplication&) = delete;
  DialogApplication& operator=(const DialogApplication&) = delete;

  const std::string& Problem() const { return problem_; }

 private:
  std::string problem_;
  void* application_ = nullptr;  // the module's, ended by it
};

// Why the dialog's module cannot be loaded (naming the file and the loader's reason), or nothing
// when it is loaded. Loads it.
std::optional<std::string> DialogModuleProblem();

// Why the dialog cannot be shown here (its module cannot be loaded, no display, or a platform that
// shows no window and no script to answer it), or nothing when it can.
std::optional<std::string> DialogUnavailableReason();

// Shows the dialog over gExportOptions and gAnimationClips (the caller's); OK writes the controls
// back into them.
DialogRun RunOptionsDialog(const OptionsDialogFacts& facts);
