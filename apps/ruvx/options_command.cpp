// ruvx options: shows the export options as the exporter loads them, and changes them with the
// exporter's own load and save code.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "config_folder.h"
#include "exit_status.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"
#include "ruv/options/clip_keys.h"
#include "ruv/options/config_file.h"
#include "ruv/options/option_text.h"
#include "ui/run_options_dialog.h"

namespace ruvx {
namespace {

struct OptionsArguments {
  std::string configDir;
  std::vector<std::string> sets;
  int frameRate = 30;
  bool dialog = false;
};

// The dialog without a scene: frames wide enough for every stored clip and for a new clip's default
// end, so that showing the clips changes none of them.
OptionsDialogFacts FactsWithoutScene(int frameRate) {
  OptionsDialogFacts facts;
  facts.frameRate = frameRate;
  facts.exports = false;
  facts.firstFrame = 0;
  facts.lastFrame = kDefaultClipEndKey;
  for (const AnimationClip& clip : gAnimationClips) {
    facts.firstFrame = std::min({facts.firstFrame, clip.startKey, clip.endKey});
    facts.lastFrame = std::max({facts.lastFrame, clip.startKey, clip.endKey});
  }
  return facts;
}

// Shows the dialog; false when it could not be shown or was cancelled (said on standard error).
bool EditInDialog(int frameRate) {
  DialogRun run = RunOptionsDialog(FactsWithoutScene(frameRate));
  if (!run.problem.empty()) std::cerr << "ruvx options: " << run.problem << "\n";
  if (run.outcome == DialogOutcome::Cancelled) {
    std::cerr << "ruvx options: cancelled; nothing saved\n";
  }
  return run.outcome == DialogOutcome::Accepted;
}

// Applies every --set in order; the first bad one stops the command before anything is saved.
bool ApplySets(const std::vector<std::string>& sets) {
  for (const std::string& set : sets) {
    std::size_t equals = set.find('=');
    if (equals == std::string::npos) {
      std::cerr << "ruvx options: --set \"" << set << "\": expected KEY=VALUE\n";
      return false;
    }
    std::wstring key = platform::Utf8ToWide(set.substr(0, equals));
    std::wstring value = platform::Utf8ToWide(set.substr(equals + 1));
    if (auto problem = SetOptionFromText(gExportOptions, gAnimationClips, key, value)) {
      std::cerr << "ruvx options: " << platform::WideToUtf8(*problem) << "; nothing saved\n";
      return false;
    }
  }
  return true;
}

int RunOptions(const OptionsArguments& arguments) {
  std::optional<std::filesystem::path> folder = ConfigFolder(arguments.configDir);
  if (!folder) {
    std::cerr << "ruvx options: no configuration folder: give --config-dir, or set HOME\n";
    return kExitUsage;
  }
  const std::wstring configPath = ConfigFilePathIn(platform::ToHostPath(*folder));
  // Made now, so that a display that cannot be opened stops the command before anything is read.
  std::optional<DialogApplication> dialogApplication;
  if (arguments.dialog) {
    if (std::optional<std::string> problem = DialogModuleProblem()) {
      std::cerr << "ruvx options: --dialog: " << *problem << "\n";
      return kExitModule;
    }
    std::optional<std::string> reason = DialogUnavailableReason();
    if (!reason) reason = dialogApplication.emplace().Problem();
    if (!reason->empty()) {
      std::cerr << "ruvx options: --dialog: " << *reason << "\n";
      return kExitUsage;
    }
  }

  // Without a scene there is no animation range: one frame per tick over the whole tick range
  // clamps no clip, so the clips show as the file holds them (an export clamps them later).
  LoadOptions(
      configPath, arguments.frameRate,
      Interval(std::numeric_limits<TimeValue>::min(), std::numeric_limits<TimeValue>::max()), 1);
  // Defaults shown or saved in place of a file that exists would mislead, or lose the user's file.
  if (!OptionsFileProblem().empty()) {
    std::cerr << "ruvx options: " << OptionsFileProblem() << "; nothing shown or saved\n";
    return kExitBadInput;
  }

  if (!arguments.sets.empty() || arguments.dialog) {
    if (!ApplySets(arguments.sets)) return kExitUsage;
    if (arguments.dialog && !EditInDialog(arguments.frameRate)) return kExitNothingWritten;
    std::error_code error;
    std::filesystem::create_directories(*folder, error);
    std::string why;
    if (error || !TrySaveOptions(configPath, &why)) {
      if (why.empty()) {
        why = "cannot write " + platform::ToNativePath(configPath).string() +
              (error ? ": " + error.message() : std::string());
      }
      std::cerr << "ruvx options: " << why << "; the old file is unchanged\n";
      return kExitWriteFailed;
    }
  }

  for (const OptionText& entry : ListOptions(gExportOptions, gAnimationClips)) {
    std::cout << platform::WideToUtf8(entry.key) << '=' << platform::WideToUtf8(entry.value)
              << '\n';
  }
  return 0;
}

}  // namespace

void AddOptionsCommand(CLI::App& app, int& exitStatus) {
  auto arguments = std::make_shared<OptionsArguments>();
  CLI::App* command = app.add_subcommand(
      "options",
      "Print the export options and clips as an export loads them; change and save them");
  command->add_option(
      "--config-dir", arguments->configDir,
      "Folder of ruv_max_config.ini (default: $XDG_CONFIG_HOME/ruv or ~/.config/ruv)");
  command
      ->add_option("--set", arguments->sets,
                   "Change one option or clip field and save, e.g. XFileType=0, AnimationCount=2, "
                   "Animation1_Name=Run (repeatable, applied in order)")
      ->type_name("KEY=VALUE");
  command
      ->add_option("--frame-rate", arguments->frameRate,
                   "Frame rate that SampleRate defaults to when the file lacks it")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  command->add_flag("--dialog", arguments->dialog,
                    "Edit the options and clips in the options dialog (after any --set); OK saves");
  command->footer(
      "Prints KEY=VALUE lines in the order the file is saved. Clips are shown unclamped: an export "
      "clamps them into its scene's animation range.\nExit status: 0 done; 1 the dialog was "
      "cancelled or could not run (nothing saved); 2 bad arguments, a bad --set, or no display "
      "(or one that cannot be opened) for --dialog (nothing saved); 3 the options file exists but "
      "cannot be read; 5 the file could not be written (the old one is unchanged).\n");
  command->callback([arguments, &exitStatus] { exitStatus = RunOptions(*arguments); });
}

}  // namespace ruvx
