#include "image_files.h"

#include <iostream>
#include <optional>
#include <string_view>
#include <system_error>

#include "exit_status.h"
#include "platform/file_replacement.h"
#include "platform/file_system.h"

namespace ruvx {

int ImageFiles::Write(const std::vector<sim::import::EmbeddedImage>& images,
                      const std::filesystem::path& folder, const std::filesystem::path& output) {
  if (images.empty() || !platform::FileReplacement(output).ok()) return kExitSuccess;
  for (const auto& image : images) {
    std::filesystem::path target = folder / image.fileName;
    std::string_view bytes(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
    std::error_code error;
    bool existed = std::filesystem::symlink_status(target, error).type() !=
                   std::filesystem::file_type::not_found;
    std::optional<std::string> before;
    if (existed) {
      before = platform::ReadWholeFile(target, nullptr, std::uintmax_t{1} << 30);
      if (before && *before == bytes) continue;
    }
    std::string problem;
    if (!platform::WriteFileAtomically(target, bytes, &problem)) {
      std::cerr << "ruvx: cannot write the embedded image " << target.string() << ": " << problem
                << "; nothing written\n";
      TakeBack();
      return kExitWriteFailed;
    }
    if (!existed) {
      made_.push_back(target);
    } else if (before) {
      replaced_.emplace_back(target, std::move(*before));
    }
  }
  return kExitSuccess;
}

void ImageFiles::TakeBack() {
  for (const std::filesystem::path& file : made_) {
    std::error_code error;
    std::filesystem::remove(file, error);
  }
  for (const auto& [file, bytes] : replaced_) platform::WriteFileAtomically(file, bytes);
  made_.clear();
  replaced_.clear();
}

}  // namespace ruvx
