// Shows the options dialog modally over the process-wide options and clips, with a Qt application
// of its own when the process has none.
#pragma once

#include <array>
#include <memory>
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

class QApplication;

// The process's Qt application while this object lives: the one it already has, or one made here.
// Made on the display where there is one; Problem() says when that display could not be opened
// (the application then draws into memory, and no dialog should be shown).
class DialogApplication {
 public:
  DialogApplication();
  ~DialogApplication();
  DialogApplication(const DialogApplication&) = delete;
  DialogApplication& operator=(const DialogApplication&) = delete;

  const std::string& Problem() const { return problem_; }

 private:
  std::array<std::string, 3> arguments_;
  int argc_ = 1;
  std::array<char*, 4> argv_{};
  std::string problem_;
  std::unique_ptr<QApplication> owned_;  // declared last: gone before its arguments
};

// Why the dialog cannot be shown here (no display, or a platform that shows no window and no script
// to answer it), or nothing when it can.
std::optional<std::string> DialogUnavailableReason();

// Shows the dialog over gExportOptions and gAnimationClips; OK writes the controls back into them.
DialogRun RunOptionsDialog(const OptionsDialogFacts& facts);
