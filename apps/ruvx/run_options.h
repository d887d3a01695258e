// Options of one run: `--set KEY=VALUE` and `--format` applied over the options file for a single
// export, which then reads a copy in a folder of its own; the user's file stays as it is.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ruv/options/export_options.h"

namespace ruvx {

// A configuration folder holding the options one export reads; removed with the object.
class RunOptionsFolder {
 public:
  RunOptionsFolder() = default;
  ~RunOptionsFolder();
  RunOptionsFolder(const RunOptionsFolder&) = delete;
  RunOptionsFolder& operator=(const RunOptionsFolder&) = delete;

  // Loads the options file in `configFolder`, puts `clips` (when given) in place of its clips,
  // applies `sets` in order and then `format` ("text", "binary", "compressed" or empty), and saves
  // the result in a fresh temporary folder. Returns a message naming what was refused (nothing
  // made then), or nothing on success.
  std::optional<std::string> Prepare(const std::filesystem::path& configFolder,
                                     const std::vector<std::string>& sets,
                                     const std::string& format, int frameRate,
                                     const AnimationClips* clips = nullptr);

  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

// Puts `clips` in place of the clips of the options file in `configFolder`, keeping its other
// options. Returns a message naming what failed (the file then stays as it was), or nothing.
std::optional<std::string> SaveClips(const std::filesystem::path& configFolder,
                                     const AnimationClips& clips, int frameRate);

// The options this run's export reads: those of the options file in `configFolder`, `sets`
// applied in order. Nothing when the file cannot be read or a set is refused (the export says why).
std::optional<ExportOptions> OptionsOfRun(const std::filesystem::path& configFolder,
                                          const std::vector<std::string>& sets, int frameRate);

// The XFileType value of an encoding name; nothing for an unknown name.
std::optional<int> FileTypeOfFormat(const std::string& format);

}  // namespace ruvx
