// The models of a batch: the files named, and those found in the folders named, each with the
// place of its .x file in the output folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ruvx {

struct BatchInput {
  std::filesystem::path source;
  // Below the output folder: the source's path below the folder it was found in (its name alone
  // when named itself), with the extension .x.
  std::filesystem::path relativeOutput;
};

struct BatchInputs {
  std::vector<BatchInput> models;
  // JSON files found in folders that are not scene files, left out.
  std::vector<std::filesystem::path> skipped;
  // What keeps the batch from starting: a name that does not exist, two models with one output.
  std::vector<std::string> problems;
};

// Finds the models in `arguments` (files, or folders searched through, links to folders not
// followed), in byte order of their paths within each argument. A folder's files count when their
// extension is one of `extensions` (lower case, with the dot) or when they are scene files; files
// named themselves always count. Nothing in or below `excluded` is taken (the batch's own output)
// when it lies below the folder searched.
// Two models that would write one .x file each keep their source extension (`chair.obj.x`,
// `chair.fbx.x`); when that is not enough either, it is a problem.
BatchInputs FindBatchInputs(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& extensions,
                            const std::vector<std::filesystem::path>& excluded);

// Whether the file at `path` is a scene file: a JSON file that says so near its start. It is read
// only when it is a regular file, without waiting.
bool LooksLikeSceneFile(const std::filesystem::path& path);

}  // namespace ruvx
