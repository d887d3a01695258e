// Assimp opens the files of a model (the model itself, an OBJ's material library, a COLLADA's
// externals, ...) through this file system, which lets it read only what a model may bring in
// (model_files.h) and never waits on a pipe; what it refuses is named in a warning.
#pragma once

#include <assimp/IOSystem.hpp>
#include <set>
#include <string>
#include <vector>

#include "host/sim/import/model_files.h"

namespace sim::import {

class ModelFileSystem : public Assimp::IOSystem {
 public:
  // `warnings` receives one line per file refused.
  ModelFileSystem(ModelFolder folder, std::vector<std::string>& warnings);

  bool Exists(const char* file) const override;
  char getOsSeparator() const override { return '/'; }
  // Reading only ("r", "rb", "rt"); nothing else is ever opened.
  Assimp::IOStream* Open(const char* file, const char* mode) override;
  void Close(Assimp::IOStream* stream) override;
  // An import changes nothing on disk.
  bool CreateDirectory(const std::string&) override { return false; }
  bool ChangeDirectory(const std::string&) override { return false; }
  bool DeleteFile(const std::string&) override { return false; }

 private:
  void Refuse(const std::string& file, const std::string& why) const;

  ModelFolder folder_;
  std::vector<std::string>& warnings_;
  mutable std::set<std::string> refused_;
};

}  // namespace sim::import
