// The options dialog's module: the dialog on Qt, behind the calls of dialog_module.h. Only the
// entry function leaves the module (dialog_module.map).
#include "ui/dialog_module.h"

#include <QApplication>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ruv_version.h"
#include "ui/options_dialog_window.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Platforms that draw into memory: nobody sees the dialog, so only a script can answer it. The
// platform may carry options after ':' ("offscreen:enable_fonts").
bool ShowsNoWindow(const std::string& platform) {
  const std::string name = platform.substr(0, platform.find(':'));
  return name == "offscreen" || name == "minimal";
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

// The process's Qt application while this object lives: the one it already has, or one made here.
class QtApplication {
 public:
  QtApplication();
  QtApplication(const QtApplication&) = delete;
  QtApplication& operator=(const QtApplication&) = delete;

  const std::string& Problem() const { return problem_; }

 private:
  std::array<std::string, 3> arguments_;
  int argc_ = 1;
  std::array<char*, 4> argv_{};
  std::string problem_;
  std::unique_ptr<QApplication> owned_;  // declared last: gone before its arguments
};

// When the platform is not chosen, or one platform is chosen, memory-drawing is the fallback: using
// it means the display could not be opened (where Qt alone would end the process).
QtApplication::QtApplication() {
  if (QApplication::instance()) return;
  static const bool quiet = (gQtMessages = qInstallMessageHandler(QuietMessages), true);
  (void)quiet;
  const std::string chosen = Environment("QT_QPA_PLATFORM");
  const bool waylandOnly =
      Environment("DISPLAY").empty() && !Environment("WAYLAND_DISPLAY").empty();
  std::string platforms;
  if (chosen.empty()) {
    platforms = waylandOnly ? "wayland;offscreen" : "xcb;offscreen";
  } else if (!ShowsNoWindow(chosen) && chosen.find(';') == std::string::npos) {
    platforms = chosen + ";offscreen";
  }
  // The application keeps pointers to its arguments: they live in this object.
  arguments_ = {"ruv", "-platform", platforms};
  argv_ = {arguments_[0].data(), arguments_[1].data(), arguments_[2].data(), nullptr};
  argc_ = platforms.empty() ? 1 : 3;
  if (platforms.empty()) argv_[1] = nullptr;
  owned_ = std::make_unique<QApplication>(argc_, argv_.data());
  if (!platforms.empty() && ShowsNoWindow(QGuiApplication::platformName().toStdString())) {
    const bool wayland = chosen.empty() ? waylandOnly : chosen.rfind("wayland", 0) == 0;
    problem_ =
        "cannot open the display \"" + Environment(wayland ? "WAYLAND_DISPLAY" : "DISPLAY") + "\"";
  }
}

bool UnavailableReason(std::string& reason) {
  if (QApplication::instance()) return false;
  const std::string platform = Environment("QT_QPA_PLATFORM");
  if (platform.empty() && Environment("DISPLAY").empty() &&
      Environment("WAYLAND_DISPLAY").empty()) {
    reason =
        "no display to show the options dialog on (set DISPLAY, or QT_QPA_PLATFORM=offscreen "
        "with RUV_DIALOG_SCRIPT)";
    return true;
  }
  if (ShowsNoWindow(platform) && Environment(kDialogScriptVariable).empty()) {
    reason = "the \"" + platform +
             "\" platform shows no window; give RUV_DIALOG_SCRIPT to answer the options dialog";
    return true;
  }
  return false;
}

void* StartApplication(std::string& problem) {
  auto* application = new QtApplication();
  problem = application->Problem();
  return application;
}

void EndApplication(void* application) { delete static_cast<QtApplication*>(application); }

DialogRun Run(ExportOptions& options, AnimationClips& clips, const OptionsDialogFacts& facts) {
  if (std::string reason; UnavailableReason(reason)) return {DialogOutcome::Unavailable, reason};
  QtApplication application;
  if (!application.Problem().empty()) return {DialogOutcome::Unavailable, application.Problem()};

  OptionsDialogModel model(options, clips, facts);
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

constexpr DialogModuleCalls kCalls{RUV_VERSION, UnavailableReason, StartApplication, EndApplication,
                                   Run};

}  // namespace

extern "C" const DialogModuleCalls* RuvDialogModuleCalls() { return &kCalls; }
