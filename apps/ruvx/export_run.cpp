#include "export_run.h"

#include <sys/stat.h>

#include <iostream>
#include <optional>

#include "config_folder.h"
#include "exit_status.h"
#include "host/interface.h"
#include "module_loader.h"
#include "platform/file_replacement.h"
#include "platform/host_path.h"
#include "platform/profile.h"
#include "platform/text_encoding.h"
#include "run_options.h"
#include "terminal_host.h"
#include "ui/run_options_dialog.h"

namespace ruvx {
namespace {

// What identifies one version of a file: a write replaces the file by renaming a new one over it.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  off_t size = 0;
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && size == o.size;
  }
};

std::optional<FileStamp> StampOf(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{info.st_dev, info.st_ino, info.st_mtim, info.st_size};
}

void ApplyHostOverrides(sim::SimScene& scene, const ExportFlags& flags,
                        const std::filesystem::path& configFolder) {
  sim::SimInterface& host = scene.Host();
  host.SetDir(APP_PLUGCFG_DIR, platform::ToHostPath(configFolder));
  if (!flags.imageDir.empty()) host.SetDir(APP_IMAGE_DIR, platform::ToHostPath(flags.imageDir));
  if (!flags.dataDir.empty()) host.SetDir(APP_MAXDATA_DIR, platform::ToHostPath(flags.dataDir));
  if (!flags.scenePath.empty()) host.SetCurFilePath(platform::ToHostPath(flags.scenePath));
}

// The exporter lists what a written file lacks in one message under this caption.
bool ExporterReportedIncomplete(sim::SimScene& scene) {
  for (const sim::MessageBoxRecord& box : scene.MainWindow().MessageBoxes()) {
    if (box.caption == L"Written incomplete") return true;
  }
  return false;
}

// Why the options file was left as it was after an export that should have saved it. The exporter
// saves without a word, so the reason is found again here: the file cannot be read (its options
// would be lost), or cannot be replaced. The probe leaves the file untouched.
std::string WhyOptionsWereNotSaved(const std::filesystem::path& configFile) {
  std::string problem;
  if (!platform::ReadExistingProfile(platform::ToHostPath(configFile), problem)) {
    return "cannot read " + configFile.string() + ": " + problem;
  }
  platform::FileReplacement probe(configFile);
  return probe.ok() ? configFile.string() + " was not replaced" : probe.error();
}

}  // namespace

void AddExportFlags(CLI::App* command, ExportFlags& flags) {
  command->add_flag("--selected", flags.selected,
                    "Export only the selected nodes (and their ancestors)");
  command->add_option(
      "--config-dir", flags.configDir,
      "Folder of ruv_max_config.ini (default: ruv under $XDG_CONFIG_HOME or ~/.config)");
  command->add_option("--module", flags.modulePath,
                      "The exporter module (default: ruv.dle beside ruvx)");
  command->add_option("--image-dir", flags.imageDir,
                      "Host image folder (overrides the scene file)");
  command->add_option("--data-dir", flags.dataDir, "Host data folder (overrides the scene file)");
  command->add_option("--scene-path", flags.scenePath,
                      "Current scene file path (overrides the scene file)");
  command
      ->add_option(
          "--set", flags.sets,
          "Change one option for this export only, as `ruvx options --set` does (repeatable); "
          "the options file is not changed")
      ->type_name("KEY=VALUE");
  command
      ->add_option("--format", flags.format, "Encoding of this export only (the XFileType option)")
      ->check(CLI::IsMember({"text", "binary", "compressed"}));
  command->add_flag("--dialog", flags.dialog,
                    "Review the options in the options dialog first; OK exports and saves them, "
                    "Cancel ends with nothing written or saved");
}

int RunExport(sim::SimScene& scene, const std::filesystem::path& output, const ExportFlags& flags,
              const std::function<int()>& beforeExport) {
  std::optional<std::filesystem::path> configFolder = ConfigFolder(flags.configDir);
  if (!configFolder) {
    std::cerr << "ruvx: no configuration folder: give --config-dir, or set HOME\n";
    return kExitUsage;
  }
  if (flags.dialog && (!flags.sets.empty() || !flags.format.empty())) {
    // The dialog saves what the user chose into the options file; options of one run only never go
    // there.
    std::cerr << "ruvx: --dialog cannot be combined with --set or --format; nothing written\n";
    return kExitUsage;
  }
  // The dialog's application is made here, before anything else is done, so that a display that
  // cannot be opened is found now; the module's dialog then uses it.
  std::optional<DialogApplication> dialogApplication;
  if (flags.dialog) {
    if (std::optional<std::string> problem = DialogModuleProblem()) {
      std::cerr << "ruvx: --dialog: " << *problem << "\n";
      return kExitModule;
    }
    std::optional<std::string> reason = DialogUnavailableReason();
    if (!reason) reason = dialogApplication.emplace().Problem();
    if (!reason->empty()) {
      std::cerr << "ruvx: --dialog: " << *reason << "\n";
      return kExitUsage;
    }
  }
  RunOptionsFolder runOptions;
  if (!flags.sets.empty() || !flags.format.empty() || flags.clips) {
    if (auto problem =
            runOptions.Prepare(*configFolder, flags.sets, flags.format, scene.Host().GetFrameRate(),
                               flags.clips ? &*flags.clips : nullptr)) {
      std::cerr << "ruvx: " << *problem << "; nothing written\n";
      return kExitUsage;
    }
    configFolder = runOptions.Folder();
  }
  std::unique_ptr<ExporterModule> module;
  try {
    module = ExporterModule::Load(
        flags.modulePath.empty() ? DefaultModulePath() : std::filesystem::path(flags.modulePath),
        L"X");
  } catch (const std::exception& failure) {
    std::cerr << "ruvx: " << failure.what() << "\n";
    return kExitModule;
  }

  if (beforeExport) {
    if (int status = beforeExport(); status != kExitSuccess) return status;
  }
  if (flags.dialog) {
    // The options are saved after OK: the folder must be there to take them.
    std::error_code error;
    std::filesystem::create_directories(*configFolder, error);
  }
  ApplyHostOverrides(scene, flags, *configFolder);
  ShowHostOnTerminal(scene);
  std::optional<FileStamp> before = StampOf(output);
  const std::filesystem::path configFile = *configFolder / "ruv_max_config.ini";
  std::optional<FileStamp> configBefore = StampOf(configFile);
  std::unique_ptr<SceneExport> exporter = module->CreateExporter();
  std::wstring hostOutput = platform::ToHostPath(output);
  exporter->DoExport(hostOutput.c_str(), nullptr, &scene.Host(), flags.dialog ? FALSE : TRUE,
                     flags.selected ? SCENE_EXPORT_SELECTED : 0);
  exporter.reset();

  std::optional<FileStamp> after = StampOf(output);
  const bool nothingSaved = StampOf(configFile) == configBefore;
  if (after && !(before && *before == *after)) {
    // A written file means the dialog ended with OK, after which the options are always saved.
    const bool optionsLost = flags.dialog && nothingSaved;
    if (optionsLost) {
      std::cerr << "ruvx: warning: the options chosen in the dialog were not saved: "
                << WhyOptionsWereNotSaved(configFile) << "\n";
    }
    if (ExporterReportedIncomplete(scene)) {
      std::cerr << "ruvx: wrote " << output.string() << " incomplete (see the message above)\n";
      return kExitIncomplete;
    }
    std::cout << "ruvx: wrote " << output.string() << "\n";
    return optionsLost ? kExitOptionsNotSaved : kExitSuccess;
  }
  if (flags.dialog && nothingSaved && scene.MainWindow().MessageBoxes().empty()) {
    std::cerr << (flags.clipsSaved ? "ruvx: the options dialog was cancelled: nothing written; the "
                                     "options file keeps the clips --save-clips stored before it\n"
                                   : "ruvx: the options dialog was cancelled: nothing written, "
                                     "nothing saved\n");
  } else if (scene.MainWindow().MessageBoxes().empty()) {
    std::cerr << "ruvx: the export wrote no file to " << output.string() << "\n";
  } else {
    std::cerr << "ruvx: the export wrote no file to " << output.string()
              << " (see the message above)\n";
  }
  return kExitNothingWritten;
}

}  // namespace ruvx
