#include "batch_inputs.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "platform/file_system.h"

namespace ruvx {
namespace {

std::string LowerExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

// The path with its links and dots resolved as far as it exists, for comparing places.
std::filesystem::path Place(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path place = std::filesystem::weakly_canonical(path, error);
  if (error) place = std::filesystem::absolute(path, error).lexically_normal();
  // "out/" names the folder "out".
  return place.has_filename() ? place : place.parent_path();
}

bool IsWithin(const std::filesystem::path& place, const std::filesystem::path& folder) {
  auto [end, ignored] = std::mismatch(folder.begin(), folder.end(), place.begin(), place.end());
  return end == folder.end();
}

struct Candidate {
  std::filesystem::path source;
  std::filesystem::path relative;  // with the source's own extension
  std::size_t argument = 0;
};

}  // namespace

bool LooksLikeSceneFile(const std::filesystem::path& path) {
  int fd = platform::OpenRegularFile(path, UINTMAX_MAX);
  if (fd < 0) return false;
  // Every scene file names its format in its first object (docs/scene-format.md).
  char head[4096];
  ssize_t got = ::read(fd, head, sizeof head);
  ::close(fd);
  return got > 0 && std::string_view(head, static_cast<std::size_t>(got)).find("\"ruv-scene\"") !=
                        std::string_view::npos;
}

BatchInputs FindBatchInputs(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& extensions,
                            const std::vector<std::filesystem::path>& excluded) {
  BatchInputs result;
  std::set<std::string> known(extensions.begin(), extensions.end());
  std::vector<std::filesystem::path> excludedPlaces;
  for (const auto& path : excluded) excludedPlaces.push_back(Place(path));
  // Only what lies below the folder searched: an output folder that is the input folder itself
  // (.x files beside their sources) leaves the search whole.
  std::filesystem::path searched;
  auto isExcluded = [&](const std::filesystem::path& path) {
    std::filesystem::path place = Place(path);
    return std::any_of(excludedPlaces.begin(), excludedPlaces.end(), [&](const auto& folder) {
      return folder != searched && !IsWithin(searched, folder) && IsWithin(place, folder);
    });
  };

  std::vector<Candidate> candidates;
  for (std::size_t a = 0; a < arguments.size(); ++a) {
    std::filesystem::path argument(arguments[a]);
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(argument, error);
    if (!std::filesystem::exists(status)) {
      result.problems.push_back(arguments[a] + ": does not exist");
      continue;
    }
    if (!std::filesystem::is_directory(status)) {
      candidates.push_back({argument, argument.filename(), a});
      continue;
    }
    searched = Place(argument);
    std::vector<Candidate> found;
    std::filesystem::recursive_directory_iterator walk(
        argument, std::filesystem::directory_options::skip_permission_denied, error);
    for (; !error && walk != std::filesystem::recursive_directory_iterator();
         walk.increment(error)) {
      const std::filesystem::directory_entry& entry = *walk;
      std::error_code typeError;
      if (entry.is_directory(typeError)) {
        if (entry.is_symlink(typeError) || isExcluded(entry.path()))
          walk.disable_recursion_pending();
        continue;
      }
      std::string extension = LowerExtension(entry.path());
      bool scene = extension == ".json";
      if (!scene && !known.count(extension)) continue;
      if (isExcluded(entry.path())) continue;
      if (scene && !LooksLikeSceneFile(entry.path())) {
        result.skipped.push_back(entry.path());
        continue;
      }
      found.push_back({entry.path(), entry.path().lexically_relative(argument), a});
    }
    if (error) result.problems.push_back(arguments[a] + ": cannot be searched: " + error.message());
    std::sort(found.begin(), found.end(), [](const Candidate& x, const Candidate& y) {
      return x.source.native() < y.source.native();
    });
    candidates.insert(candidates.end(), found.begin(), found.end());
  }

  // The output of each: the relative path with .x; where two meet, with their extension kept.
  auto output = [](const std::filesystem::path& relative, bool keepExtension) {
    std::filesystem::path out = relative;
    if (keepExtension) return out += ".x";
    return out.replace_extension(".x");
  };
  std::map<std::filesystem::path, int> uses;
  for (const Candidate& c : candidates) ++uses[output(c.relative, false)];
  std::map<std::filesystem::path, const Candidate*> taken;
  for (const Candidate& c : candidates) {
    std::filesystem::path out = output(c.relative, uses[output(c.relative, false)] > 1);
    auto [place, isNew] = taken.emplace(out, &c);
    if (!isNew) {
      result.problems.push_back(place->second->source.string() + " and " + c.source.string() +
                                " would both be written to " + out.string());
      continue;
    }
    result.models.push_back({c.source, out});
  }
  return result;
}

}  // namespace ruvx
