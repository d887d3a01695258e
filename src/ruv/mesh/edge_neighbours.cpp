#include "ruv/mesh/edge_neighbours.h"

#include <algorithm>
#include <cstdint>

#include "host/mesh.h"

// A search from v reaches a level's vertices in the order of their smallest sequence of edge
// positions from v. Seen from v's end, that sequence is the position of the first edge and then
// the neighbour's own sequence, so v's next level is its neighbours' last levels, taken in v's
// edge order and each in the neighbour's order, without what v already has. A vertex needs only
// levels its neighbours have complete: one whose list is full at level k is at most one level
// short of any neighbour's.
namespace {

constexpr int kEnough = 3;
constexpr int kInline = 4;

// What the search keeps of a vertex, two to a cache line: a vertex's neighbours are read at
// random, and on a large mesh this is what has to stay in the cache. Nearly every list ends at
// three or four vertices; a longer one moves to `long_` and keeps its place there in items[0].
struct alignas(32) State {
  int found = 0;         // vertices in its list
  int level = -1;        // the level its list last grew at
  int lastBegin = 0;     // where that level starts in the list
  int queued = -1;       // the last level it was a candidate for
  int items[kInline]{};  // its list while short
};

class Search {
 public:
  Search(const Mesh& mesh, const std::vector<int>& match)
      : count_(static_cast<int>(match.size())), state_(match.size()), mark_(match.size(), 0) {
    LinkNeighbours(mesh);
    // Level 0: every matched vertex finds itself.
    for (int v = 0; v < count_; ++v) {
      if (match[At(v)] < 0) continue;
      owners_.push_back({v, static_cast<int>(staged_.size()), 1});
      staged_.push_back(v);
    }
    Commit(0);
  }

  void Run() {
    for (int level = 1; !frontier_.empty(); ++level) {
      candidates_.clear();
      for (int u : frontier_) {
        const State& grown = state_[At(u)];
        const int* fresh = Items(u) + grown.lastBegin;
        const int freshCount = grown.found - grown.lastBegin;
        for (int w : Neighbours(u)) {
          State& s = state_[At(w)];
          if (s.found >= kEnough || s.queued == level || Holds(s, fresh, freshCount)) continue;
          s.queued = level;
          candidates_.push_back(w);
        }
      }
      // In vertex order, so that neighbouring vertices are read together.
      std::sort(candidates_.begin(), candidates_.end());
      for (int v : candidates_) Extend(v, level);
      Commit(level);
    }
  }

  EdgeNeighbours Take() const {
    EdgeNeighbours result;
    result.start.assign(static_cast<std::size_t>(count_) + 1, 0);
    std::size_t total = 0;
    for (const State& s : state_) total += static_cast<std::size_t>(s.found);
    result.vertices.reserve(total);
    for (int v = 0; v < count_; ++v) {
      const int* items = Items(v);
      result.vertices.insert(result.vertices.end(), items, items + state_[At(v)].found);
      result.start[At(v) + 1] = static_cast<int>(result.vertices.size());
    }
    return result;
  }

 private:
  struct Owner {
    int vertex;
    int begin;
    int size;
  };

  static std::size_t At(int v) { return static_cast<std::size_t>(v); }

  const int* Items(int v) const {
    const State& s = state_[At(v)];
    return s.found <= kInline ? s.items : long_[At(s.items[0])].data();
  }

  // Each vertex's neighbours side by side, in the order the faces first use the edge to them
  // (corners 0-1, 1-2, 2-0 of each face in turn): the order of the mesh's edge adjacency, which
  // the rounds read nothing else of. Faces naming vertices beyond the mesh add no edges.
  void LinkNeighbours(const Mesh& mesh) {
    const auto vertexCount = static_cast<DWORD>(mesh.getNumVerts());
    std::vector<int> degree(static_cast<std::size_t>(count_) + 1, 0);
    auto eachEdge = [&](auto&& visit) {
      for (const Face& face : mesh.faces) {
        if (face.v[0] >= vertexCount || face.v[1] >= vertexCount || face.v[2] >= vertexCount)
          continue;
        for (int corner = 0; corner < 3; ++corner) {
          auto a = static_cast<long long>(face.v[corner]);
          auto b = static_cast<long long>(face.v[(corner + 1) % 3]);
          if (a != b && a < count_ && b < count_) visit(static_cast<int>(a), static_cast<int>(b));
        }
      }
    };
    eachEdge([&](int a, int b) {
      ++degree[At(a) + 1];
      ++degree[At(b) + 1];
    });
    for (int v = 0; v < count_; ++v) degree[At(v) + 1] += degree[At(v)];
    std::vector<int> all(static_cast<std::size_t>(degree[At(count_)]));
    std::vector<int> fill(degree.begin(), degree.end() - 1);
    eachEdge([&](int a, int b) {
      all[At(fill[At(a)]++)] = b;
      all[At(fill[At(b)]++)] = a;
    });
    // Each neighbour once, where it first comes.
    std::vector<int> seenBy(static_cast<std::size_t>(count_), -1);
    neighbourStart_.reserve(static_cast<std::size_t>(count_) + 1);
    neighbourStart_.push_back(0);
    for (int v = 0; v < count_; ++v) {
      for (int i = degree[At(v)]; i < degree[At(v) + 1]; ++i) {
        int w = all[At(i)];
        if (seenBy[At(w)] == v) continue;
        seenBy[At(w)] = v;
        neighbours_.push_back(w);
      }
      neighbourStart_.push_back(static_cast<int>(neighbours_.size()));
    }
  }

  std::span<const int> Neighbours(int v) const {
    const int begin = neighbourStart_[At(v)];
    return {neighbours_.data() + begin,
            static_cast<std::size_t>(neighbourStart_[At(v) + 1] - begin)};
  }

  // Whether a short list already has every one of `count` vertices: then the neighbour that just
  // found them brings it nothing. A long list is not searched; its vertex just stays a candidate.
  static bool Holds(const State& s, const int* vertices, int count) {
    if (s.found > kInline) return false;
    for (int i = 0; i < count; ++i) {
      if (std::find(s.items, s.items + s.found, vertices[i]) == s.items + s.found) return false;
    }
    return true;
  }

  // Stages v's vertices of `level`: its neighbours' vertices of the level before, in edge order.
  void Extend(int v, int level) {
    ++stamp_;
    const int* own = Items(v);
    for (int i = 0; i < state_[At(v)].found; ++i) mark_[At(own[i])] = stamp_;
    const auto begin = static_cast<int>(staged_.size());
    for (int u : Neighbours(v)) {
      const State& neighbour = state_[At(u)];
      if (neighbour.level != level - 1) continue;
      const int* items = Items(u);
      for (int i = neighbour.lastBegin; i < neighbour.found; ++i) {
        int s = items[i];
        if (mark_[At(s)] == stamp_) continue;
        mark_[At(s)] = stamp_;
        staged_.push_back(s);
      }
    }
    const int size = static_cast<int>(staged_.size()) - begin;
    if (size > 0) owners_.push_back({v, begin, size});
  }

  // Appends the staged level to the lists once every vertex has read the level before.
  void Commit(int level) {
    frontier_.clear();
    for (const Owner& owner : owners_) {
      State& s = state_[At(owner.vertex)];
      const int* from = staged_.data() + owner.begin;
      if (s.found + owner.size <= kInline) {
        std::copy(from, from + owner.size, s.items + s.found);
      } else {
        if (s.found <= kInline) {
          long_.emplace_back(s.items, s.items + s.found);
          s.items[0] = static_cast<int>(long_.size() - 1);
        }
        std::vector<int>& list = long_[At(s.items[0])];
        list.insert(list.end(), from, from + owner.size);
      }
      s.lastBegin = s.found;
      s.found += owner.size;
      s.level = level;
      frontier_.push_back(owner.vertex);
    }
    owners_.clear();
    staged_.clear();
  }

  int count_;
  std::vector<int> neighbourStart_, neighbours_;
  std::vector<State> state_;
  std::vector<std::vector<int>> long_;
  std::vector<std::uint32_t> mark_;
  std::uint32_t stamp_ = 0;
  std::vector<int> staged_, frontier_, candidates_;
  std::vector<Owner> owners_;
};

}  // namespace

EdgeNeighbours FindEdgeNeighbours(const Mesh& mesh, const std::vector<int>& match) {
  Search search(mesh, match);
  search.Run();
  return search.Take();
}
