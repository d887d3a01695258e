// The sources' own includes, read from the tree: no file depends on a file that depends back on it,
// and no folder includes from a folder that includes back, however long the way round. A file is
// its header and its source together, so a.cpp including b.h while b.cpp includes a.h is a cycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Graph = std::map<std::string, std::set<std::string>>;

const fs::path kRoot = RUV_SOURCE_DIR;

// A file's name without its extension, relative to the source root: "src/ruv/mesh/skin_remap".
std::string UnitOf(const fs::path& file) {
  return fs::relative(file, kRoot).replace_extension().generic_string();
}

// Includes resolve against src/ (the layers' roots) and then the including file's own folder.
Graph ReadFileGraph() {
  Graph graph;
  const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)")re");
  for (const char* top : {"src", "ui", "apps"}) {
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / top)) {
      const fs::path& file = entry.path();
      if (!entry.is_regular_file() || (file.extension() != ".h" && file.extension() != ".cpp"))
        continue;
      const std::string unit = UnitOf(file);
      graph[unit];
      std::ifstream in(file);
      std::string line;
      std::smatch match;
      while (std::getline(in, line)) {
        if (!std::regex_search(line, match, include)) continue;
        for (const fs::path& candidate :
             {kRoot / "src" / match[1].str(), file.parent_path() / match[1].str()}) {
          if (!fs::exists(candidate)) continue;
          const std::string target = UnitOf(fs::weakly_canonical(candidate));
          if (target != unit) graph[unit].insert(target);
          break;
        }
      }
    }
  }
  return graph;
}

Graph FolderGraph(const Graph& files) {
  Graph folders;
  for (const auto& [unit, targets] : files) {
    const std::string from = fs::path(unit).parent_path().generic_string();
    folders[from];
    for (const std::string& target : targets) {
      const std::string to = fs::path(target).parent_path().generic_string();
      if (to != from) folders[from].insert(to);
    }
  }
  return folders;
}

// The strongly connected parts of more than one member (Tarjan), each as "a <-> b <-> c".
std::vector<std::string> Cycles(const Graph& graph, const std::string& under) {
  std::map<std::string, int> index, low;
  std::vector<std::string> stack, cycles;
  std::set<std::string> onStack;
  int next = 0;
  std::function<void(const std::string&)> visit = [&](const std::string& v) {
    index[v] = low[v] = next++;
    stack.push_back(v);
    onStack.insert(v);
    for (const std::string& w : graph.at(v)) {
      if (!graph.count(w)) continue;
      if (!index.count(w)) {
        visit(w);
        low[v] = std::min(low[v], low[w]);
      } else if (onStack.count(w)) {
        low[v] = std::min(low[v], index[w]);
      }
    }
    if (low[v] != index[v]) return;
    std::vector<std::string> part;
    std::string w;
    do {
      w = stack.back();
      stack.pop_back();
      onStack.erase(w);
      part.push_back(w);
    } while (w != v);
    if (part.size() < 2) return;
    const bool inside = std::any_of(part.begin(), part.end(),
                                    [&](const std::string& m) { return m.rfind(under, 0) == 0; });
    if (!inside) return;
    std::sort(part.begin(), part.end());
    std::string text;
    for (const std::string& m : part) text += (text.empty() ? "" : " <-> ") + m;
    cycles.push_back(text);
  };
  for (const auto& [v, targets] : graph)
    if (!index.count(v)) visit(v);
  return cycles;
}

std::string Listed(const std::vector<std::string>& cycles) {
  std::string text;
  for (const std::string& cycle : cycles) text += "\n  " + cycle;
  return text;
}

class IncludeCycles : public testing::TestWithParam<const char*> {};

TEST_P(IncludeCycles, NoFileDependsOnAFileThatDependsBack) {
  const std::vector<std::string> cycles = Cycles(ReadFileGraph(), GetParam());
  EXPECT_TRUE(cycles.empty()) << "files that depend on each other:" << Listed(cycles);
}

TEST_P(IncludeCycles, NoFolderIncludesFromAFolderThatIncludesBack) {
  const std::vector<std::string> cycles = Cycles(FolderGraph(ReadFileGraph()), GetParam());
  EXPECT_TRUE(cycles.empty()) << "folders that include each other:" << Listed(cycles);
}

// One case per part of the tree, so that each says where its cycles are.
INSTANTIATE_TEST_SUITE_P(Tree, IncludeCycles,
                         testing::Values("src/ruv/", "src/host/", "src/preview/", "src/xof/",
                                         "src/texture/", "src/platform/", "src/module/", "ui/",
                                         "apps/"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

// The checker itself sees a cycle through a header and a source.
TEST(IncludeCycles, SeesACycleOfTwoAndOfThree) {
  Graph graph{{"a/x", {"a/y"}}, {"a/y", {"a/x"}}, {"b/p", {"b/q"}},
              {"b/q", {"b/r"}}, {"b/r", {"b/p"}}, {"c/s", {"a/x"}}};
  EXPECT_EQ(Cycles(graph, "a/"), std::vector<std::string>{"a/x <-> a/y"});
  EXPECT_EQ(Cycles(graph, "b/"), std::vector<std::string>{"b/p <-> b/q <-> b/r"});
  EXPECT_TRUE(Cycles(graph, "c/").empty());
  EXPECT_EQ(Cycles(FolderGraph(graph), "").size(), 0u);
}

}  // namespace
