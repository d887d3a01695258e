#include "host/mesh_adjacency.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace {

std::uint64_t EdgeKey(DWORD a, DWORD b) { return static_cast<std::uint64_t>(a) << 32 | b; }

}  // namespace

AdjEdgeList::AdjEdgeList(const Mesh& mesh) : list(static_cast<std::size_t>(mesh.getNumVerts())) {
  const auto vertexCount = static_cast<DWORD>(mesh.getNumVerts());
  std::unordered_map<std::uint64_t, DWORD> known;
  known.reserve(mesh.faces.size() * 2);
  for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
    const Face& face = mesh.faces[f];
    if (face.v[0] >= vertexCount || face.v[1] >= vertexCount || face.v[2] >= vertexCount) continue;
    for (int corner = 0; corner < 3; ++corner) {
      DWORD a = std::min(face.v[corner], face.v[(corner + 1) % 3]);
      DWORD b = std::max(face.v[corner], face.v[(corner + 1) % 3]);
      if (a == b) continue;
      auto [entry, added] = known.emplace(EdgeKey(a, b), static_cast<DWORD>(edges.size()));
      if (added) {
        MEdge edge;
        edge.v[0] = a;
        edge.v[1] = b;
        edge.f[0] = static_cast<int>(f);
        edges.push_back(edge);
        list[a].push_back(entry->second);
        list[b].push_back(entry->second);
      } else if (edges[entry->second].f[1] < 0 &&
                 edges[entry->second].f[0] != static_cast<int>(f)) {
        edges[entry->second].f[1] = static_cast<int>(f);
      }
    }
  }
}
