#include "ui/run_options_dialog.h"

#include <QApplication>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ui/options_dialog_window.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Platforms that draw into memory: nobody sees the dialog, so only a script can answer it.
bool ShowsNoWindow(const std::string& platform) {
  return platform == "offscreen" || platform == "minimal";
}

QtMessageHandler gQtMessages = nullptr;

// Two notes every memory-drawn dialog prints, which say nothing to the person exporting.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("propagateSizeHints") || message.contains("XDG_RUNTIME_DIR")) return;
  if (gQtMessages) {
    gQtMessages(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

// The process's Qt application, or one made for this dialog. When the platform is not chosen,
// the display is tried first; falling back to drawing into memory means the display could not be
// opened (where Qt alone would end the process).
class ApplicationScope {
 public:
  ApplicationScope() {
    if (QApplication::instance()) return;
    static const bool quiet = (gQtMessages = qInstallMessageHandler(QuietMessages), true);
    (void)quiet;
    static char name[] = "ruv";
    static char option[] = "-platform";
    static char x11[] = "xcb;offscreen";
    static char wayland[] = "wayland;offscreen";
    const bool chosen = !Environment("QT_QPA_PLATFORM").empty();
    const bool waylandOnly =
        Environment("DISPLAY").empty() && !Environment("WAYLAND_DISPLAY").empty();
    // The application takes out the arguments it reads, so each one gets a list of its own.
    argv_ = {name, option, waylandOnly ? wayland : x11, nullptr};
    if (chosen) argv_[1] = nullptr;
    argc_ = chosen ? 1 : 3;
    owned_ = std::make_unique<QApplication>(argc_, argv_.data());
    if (!chosen && ShowsNoWindow(QGuiApplication::platformName().toStdString())) {
      problem_ = "cannot open the display \"" +
                 Environment(waylandOnly ? "WAYLAND_DISPLAY" : "DISPLAY") + "\"";
    }
  }

  const std::string& Problem() const { return problem_; }

 private:
  int argc_ = 1;
  std::array<char*, 4> argv_{};
  std::string problem_;
  std::unique_ptr<QApplication> owned_;  // declared last: gone before its arguments
};

}  // namespace

std::optional<std::string> DialogUnavailableReason() {
  if (QApplication::instance()) return std::nullopt;
  const std::string platform = Environment("QT_QPA_PLATFORM");
  if (platform.empty() && Environment("DISPLAY").empty() &&
      Environment("WAYLAND_DISPLAY").empty()) {
    return "no display to show the options dialog on (set DISPLAY, or QT_QPA_PLATFORM=offscreen "
           "with RUV_DIALOG_SCRIPT)";
  }
  if (ShowsNoWindow(platform) && Environment(kDialogScriptVariable).empty()) {
    return "the \"" + platform +
           "\" platform shows no window; give RUV_DIALOG_SCRIPT to answer "
           "the options dialog";
  }
  return std::nullopt;
}

DialogRun RunOptionsDialog(const OptionsDialogFacts& facts) {
  if (auto reason = DialogUnavailableReason()) return {DialogOutcome::Unavailable, *reason};
  ApplicationScope application;
  if (!application.Problem().empty()) return {DialogOutcome::Unavailable, application.Problem()};

  OptionsDialogModel model(gExportOptions, gAnimationClips, facts);
  OptionsDialogWindow window(model);
  DialogRun run;
  const QString script = QString::fromStdString(Environment(kDialogScriptVariable));
  if (!script.isEmpty()) {
    QTimer::singleShot(0, &window, [&window, &run, script] {
      QString problem = window.RunScript(script);
      if (problem.isEmpty()) return;
      run.problem = "options dialog script: " + problem.toStdString();
      window.reject();
    });
  }
  const bool accepted = window.exec() == QDialog::Accepted;
  run.outcome = accepted ? DialogOutcome::Accepted : DialogOutcome::Cancelled;
  return run;
}
