#include "host/sim/import/model_files.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

#include "host/sim/scene_file/texture_path.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? path : absolute).lexically_normal();
}

// Without a trailing separator, so that its parts compare with those of the paths below it.
std::filesystem::path FolderForm(std::filesystem::path folder) {
  if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The entry of `folder` named `name`, as written or else in another letter case.
std::optional<std::filesystem::path> EntryOf(const std::filesystem::path& folder,
                                             const std::string& name) {
  std::error_code error;
  std::filesystem::path exact = folder / name;
  if (std::filesystem::symlink_status(exact, error).type() !=
      std::filesystem::file_type::not_found) {
    if (!error) return exact;
  }
  std::vector<std::string> matches;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, name)) matches.push_back(std::move(entry));
  }
  if (matches.empty()) return std::nullopt;
  return folder / *std::min_element(matches.begin(), matches.end());
}

}  // namespace

ModelFolder::ModelFolder(const std::filesystem::path& folder,
                         const std::filesystem::path& modelFile)
    : folder_(FolderForm(Absolute(folder))),
      model_(modelFile.empty() ? std::filesystem::path() : Absolute(modelFile)) {
  std::error_code error;
  real_ = std::filesystem::weakly_canonical(folder_, error);
  if (error) real_ = folder_;
  real_ = FolderForm(real_);
}

ModelFolder ModelFolder::Of(const std::filesystem::path& modelPath) {
  return ModelFolder(Absolute(modelPath).parent_path(), modelPath);
}

bool ModelFolder::Holds(const std::filesystem::path& path) const {
  std::filesystem::path absolute = Absolute(path);
  if (!model_.empty() && absolute == model_) return true;
  std::error_code error;
  std::filesystem::path real = std::filesystem::weakly_canonical(absolute, error);
  if (error) return false;
  auto inside = real.begin();
  for (const std::filesystem::path& part : real_) {
    if (inside == real.end() || *inside != part) return false;
    ++inside;
  }
  return true;
}

std::optional<std::filesystem::path> ModelFolder::Find(
    const std::filesystem::path& relative) const {
  if (relative.empty() || relative.is_absolute()) return std::nullopt;
  std::filesystem::path at = folder_;
  for (const std::filesystem::path& part : relative.lexically_normal()) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    std::optional<std::filesystem::path> entry = EntryOf(at, part.string());
    if (!entry) return std::nullopt;
    at = *entry;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(at, error) || !Holds(at)) return std::nullopt;
  return at;
}

TextureLocation LocateTexture(const ModelFolder& folder, const std::string& text) {
  using Kind = TextureLocation::Kind;
  auto found = [](const std::filesystem::path& file) {
    return TextureLocation{Kind::kFound, platform::ToHostPath(file), {}};
  };
  auto refused = [](std::string reason) {
    return TextureLocation{Kind::kRefused, {}, std::move(reason)};
  };
  if (text.find_first_not_of(" \t") == std::string::npos) return refused("is empty");
  std::string local = text;
  std::replace(local.begin(), local.end(), '\\', '/');
  std::filesystem::path written = std::filesystem::u8path(local);
  std::filesystem::path name = written.filename();
  if (name.empty() || name == "." || name == "..") return refused("names no file");

  std::wstring wide = platform::Utf8ToWide(text);
  if (IsForeignPath(wide)) {
    // A path of another machine: only its name means anything here.
    if (auto beside = folder.Find(name)) return found(*beside);
    return {Kind::kMissing, ResolveTexturePath(wide, folder.Path()), {}};
  }
  std::filesystem::path target =
      (written.is_absolute() ? written : folder.Path() / written).lexically_normal();
  std::filesystem::path relative = target.lexically_relative(folder.Path());
  bool inside = !relative.empty() && *relative.begin() != "..";
  if (inside) {
    if (auto file = folder.Find(relative)) return found(*file);
  }
  if (auto beside = folder.Find(name)) return found(*beside);
  // By name alone, the exporter looks for it in the model's folder and reports it when it is not
  // there.
  if (inside) return {Kind::kMissing, platform::Utf8ToWide(name.string()), {}};
  return refused("leads outside the model's folder: the file is not read");
}

}  // namespace sim::import
