// The embedded images of an imported model, written beside the output just before the export and
// taken back when the export writes no file, so that a failed or cancelled export leaves the output
// folder as it found it.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "host/sim/import/imported_model.h"

namespace ruvx {

class ImageFiles {
 public:
  // Writes each image whole into `folder`, unless `output` cannot be written (the export then says
  // why, and nothing goes beside it); a file already holding the same bytes is left alone. Returns
  // an exit status: kExitWriteFailed, after naming the file, when an image cannot be written (the
  // images written before it are taken back).
  int Write(const std::vector<sim::import::EmbeddedImage>& images,
            const std::filesystem::path& folder, const std::filesystem::path& output);

  // Removes the files Write made and puts back the bytes of those it replaced.
  void TakeBack();

 private:
  std::vector<std::filesystem::path> made_;
  std::vector<std::pair<std::filesystem::path, std::string>> replaced_;
};

}  // namespace ruvx
