// The files a model may bring in: those in its own folder and below, each a regular file of at
// most kMaxModelFileBytes, opened without waiting. A model names other files freely (an image URI
// `../../../../etc/passwd`, an absolute `map_Kd`, a buffer that is a pipe); none of them is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sim::import {

// Every file an import reads may hold at most this much: tinygltf counts in 32 bits.
constexpr std::uintmax_t kMaxModelFileBytes = 1024u * 1024u * 1024u;

class ModelFolder {
 public:
  // The folder `folder` (made absolute from the working folder), and the model file in it, which
  // is always allowed even when it is a link to elsewhere.
  explicit ModelFolder(const std::filesystem::path& folder,
                       const std::filesystem::path& modelFile = {});
  static ModelFolder Of(const std::filesystem::path& modelPath);

  // Absolute and folded, links kept: where the model's relative references start.
  const std::filesystem::path& Path() const { return folder_; }

  // Whether `path` (absolute, or relative to the working folder) is the model file or lies in the
  // folder or below once every link on the way is followed.
  bool Holds(const std::filesystem::path& path) const;

  // The regular file at `relative` below the folder: each part as written, else the one entry
  // whose name differs only in letter case (the first in byte order when several do). Nothing when
  // there is none, or when it lies outside once its links are followed.
  std::optional<std::filesystem::path> Find(const std::filesystem::path& relative) const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path real_;
  std::filesystem::path model_;
};

// A texture or image file as a model names it, resolved by the rules of docs/import.md.
struct TextureLocation {
  enum class Kind {
    kFound,    // `hostPath` is the file, in the folder or below
    kMissing,  // not there: `hostPath` names it for the exporter's search, which reports it
    kRefused,  // not used: `reason` says why, for a warning
  };
  Kind kind = Kind::kMissing;
  std::wstring hostPath;
  std::string reason;
};

// `text` is the path as the model writes it (UTF-8, '/' or '\' between parts): relative to the
// folder, absolute, or a path of another machine (`C:\...`). A file found there (letter case
// aside) that lies inside is used; else the file of that name beside the model; else a path inside
// the folder, or of another machine, is missing, and any other is refused.
TextureLocation LocateTexture(const ModelFolder& folder, const std::string& text);

}  // namespace sim::import
