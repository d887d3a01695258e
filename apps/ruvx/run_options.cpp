#include "run_options.h"

#include <stdlib.h>

#include <fstream>
#include <iostream>
#include <limits>

#include "platform/host_path.h"
#include "platform/profile_document.h"
#include "platform/text_encoding.h"
#include "ruv/options/config_file.h"
#include "ruv/options/option_text.h"

namespace ruvx {

std::optional<int> FileTypeOfFormat(const std::string& format) {
  if (format == "text") return 0;
  if (format == "binary") return 1;
  if (format == "compressed") return 2;
  return std::nullopt;
}

namespace {

// Loads the options file in `configFolder` into gExportOptions and gAnimationClips, clips
// unclamped as `ruvx options` shows them (the export clamps them to its scene).
void LoadUnclamped(const std::filesystem::path& configFolder, int frameRate) {
  LoadOptions(
      ConfigFilePathIn(platform::ToHostPath(configFolder)), frameRate,
      Interval(std::numeric_limits<TimeValue>::min(), std::numeric_limits<TimeValue>::max()), 1);
}

// Applies one KEY=VALUE; a message naming what was refused, or nothing.
std::optional<std::string> ApplySet(const std::string& set, ExportOptions& options,
                                    AnimationClips& clips) {
  std::size_t equals = set.find('=');
  if (equals == std::string::npos) return "--set \"" + set + "\": expected KEY=VALUE";
  std::wstring key = platform::Utf8ToWide(set.substr(0, equals));
  std::wstring value = platform::Utf8ToWide(set.substr(equals + 1));
  if (auto problem = SetOptionFromText(options, clips, key, value)) {
    return platform::WideToUtf8(*problem);
  }
  return std::nullopt;
}

}  // namespace

std::optional<ExportOptions> OptionsOfRun(const std::filesystem::path& configFolder,
                                          const std::vector<std::string>& sets, int frameRate) {
  LoadUnclamped(configFolder, frameRate);
  if (!OptionsFileProblem().empty()) return std::nullopt;
  ExportOptions options = gExportOptions;
  AnimationClips clips = gAnimationClips;
  for (const std::string& set : sets) {
    if (ApplySet(set, options, clips)) return std::nullopt;
  }
  return options;
}

std::optional<std::string> SaveClips(const std::filesystem::path& configFolder,
                                     const AnimationClips& clips, int frameRate) {
  std::wstring path = ConfigFilePathIn(platform::ToHostPath(configFolder));
  LoadOptions(
      path, frameRate,
      Interval(std::numeric_limits<TimeValue>::min(), std::numeric_limits<TimeValue>::max()), 1);
  // Saving over a file that could not be read would lose the user's other options.
  if (!OptionsFileProblem().empty()) return OptionsFileProblem();
  gAnimationClips = clips;
  std::error_code error;
  std::filesystem::create_directories(configFolder, error);
  std::string why;
  if (error || !TrySaveOptions(path, &why)) {
    return why.empty() ? "cannot write the options file in " + configFolder.string() : why;
  }
  return std::nullopt;
}

RunOptionsFolder::~RunOptionsFolder() {
  std::error_code error;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
}

std::optional<std::string> RunOptionsFolder::Prepare(const std::filesystem::path& configFolder,
                                                     const std::vector<std::string>& sets,
                                                     const std::string& format, int frameRate,
                                                     const AnimationClips* clips) {
  LoadUnclamped(configFolder, frameRate);
  // The export reads this run's copy and cannot see that the user's file was unreadable: say so
  // here, as the export would.
  if (!OptionsFileProblem().empty()) {
    std::cerr << "ruvx: warning: " << OptionsFileProblem()
              << "; this export uses the default options\n";
  }
  if (clips) gAnimationClips = *clips;
  std::vector<std::string> all = sets;
  if (!format.empty()) {
    std::optional<int> type = FileTypeOfFormat(format);
    if (!type) return "--format \"" + format + "\": expected text, binary or compressed";
    all.push_back("XFileType=" + std::to_string(*type));
  }
  for (const std::string& set : all) {
    if (auto problem = ApplySet(set, gExportOptions, gAnimationClips)) return problem;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "ruvx-options-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return "cannot make a folder for this run's options";
  folder_ = pattern;
  // The file the export reads, as the options save writes it; not flushed to the disk, as it goes
  // with the folder when the export ends (a flush costs a small export a third of its time).
  std::string text =
      platform::EncodeProfileText(OptionsDocument(gExportOptions, gAnimationClips).Serialize());
  std::ofstream file(platform::ToNativePath(ConfigFilePathIn(platform::ToHostPath(folder_))),
                     std::ios::binary);
  if (!file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush()) {
    return "cannot write this run's options into " + folder_.string();
  }
  return std::nullopt;
}

}  // namespace ruvx
