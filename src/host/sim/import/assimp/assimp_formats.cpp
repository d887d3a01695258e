// The extensions Assimp reads, as the importer lists them.
#include <assimp/Importer.hpp>
#include <cctype>
#include <sstream>

#include "host/sim/import/assimp/assimp_scene_reader.h"

namespace sim::import {

std::vector<std::string> AssimpExtensionList() {
  // Assimp lists them as "*.3ds;*.obj;...".
  std::string list;
  Assimp::Importer().GetExtensionList(list);
  std::vector<std::string> extensions;
  std::istringstream items(list);
  for (std::string item; std::getline(items, item, ';');) {
    if (item.size() < 3 || item.compare(0, 2, "*.") != 0) continue;
    std::string extension = item.substr(1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    extensions.push_back(extension);
  }
  return extensions;
}

}  // namespace sim::import
