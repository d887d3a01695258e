#include "ruv/mesh/edge_neighbours.h"

#include <algorithm>
#include <cstdint>

#include "host/mesh_adjacency.h"

// A search from v reaches a level's vertices in the order of their smallest sequence of edge
// positions from v. Seen from v's end, that sequence is the position of the first edge and then
// the neighbour's own sequence, so v's next level is its neighbours' last levels, taken in v's
// edge order and each in the neighbour's order, without what v already has. A vertex needs only
// levels its neighbours have complete: one whose list is full at level k is at most one level
// short of any neighbour's.
namespace {

constexpr int kEnough = 3;
constexpr int kInline = 11;

// What the search keeps of a vertex, in one cache line: a vertex's neighbours are read at random.
struct alignas(64) State {
  int found = 0;         // vertices in its list
  int level = -1;        // the level its list last grew at
  int lastBegin = 0;     // where that level starts in the list
  int queued = -1;       // the last level it was a candidate for
  int overflow = -1;     // its list in `long_` once longer than kInline
  int items[kInline]{};  // its list while short
};

class Search {
 public:
  Search(const AdjEdgeList& adjacency, const std::vector<int>& match)
      : adjacency_(adjacency),
        count_(static_cast<int>(match.size())),
        state_(match.size()),
        mark_(match.size(), 0) {
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
        for (DWORD e : Edges(u)) {
          int w = Other(e, u);
          if (w < 0) continue;
          State& s = state_[At(w)];
          if (s.found >= kEnough || s.queued == level) continue;
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
    return s.overflow < 0 ? s.items : long_[At(s.overflow)].data();
  }

  const std::vector<DWORD>& Edges(int v) const {
    static const std::vector<DWORD> kNone;
    return At(v) < adjacency_.list.size() ? adjacency_.list[At(v)] : kNone;
  }

  // The other end of edge e, or -1 when it lies beyond the vertices searched.
  int Other(DWORD e, int u) const {
    auto w = static_cast<int>(adjacency_.edges[e].OtherVert(static_cast<DWORD>(u)));
    return w >= 0 && w < count_ ? w : -1;
  }

  // Stages v's vertices of `level`: its neighbours' vertices of the level before, in edge order.
  void Extend(int v, int level) {
    ++stamp_;
    const int* own = Items(v);
    for (int i = 0; i < state_[At(v)].found; ++i) mark_[At(own[i])] = stamp_;
    const auto begin = static_cast<int>(staged_.size());
    for (DWORD e : Edges(v)) {
      int u = Other(e, v);
      if (u < 0) continue;
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
      if (s.overflow < 0 && s.found + owner.size <= kInline) {
        std::copy(from, from + owner.size, s.items + s.found);
      } else {
        if (s.overflow < 0) {
          s.overflow = static_cast<int>(long_.size());
          long_.emplace_back(s.items, s.items + s.found);
        }
        long_[At(s.overflow)].insert(long_[At(s.overflow)].end(), from, from + owner.size);
      }
      s.lastBegin = s.found;
      s.found += owner.size;
      s.level = level;
      frontier_.push_back(owner.vertex);
    }
    owners_.clear();
    staged_.clear();
  }

  const AdjEdgeList& adjacency_;
  int count_;
  std::vector<State> state_;
  std::vector<std::vector<int>> long_;
  std::vector<std::uint32_t> mark_;
  std::uint32_t stamp_ = 0;
  std::vector<int> staged_, frontier_, candidates_;
  std::vector<Owner> owners_;
};

}  // namespace

EdgeNeighbours FindEdgeNeighbours(const AdjEdgeList& adjacency, const std::vector<int>& match) {
  Search search(adjacency, match);
  search.Run();
  return search.Take();
}
