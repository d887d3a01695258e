// Export names of nodes: clean identifiers, made unique by appending '_' unless the
// DuplicateNodeName option keeps them as they are.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

class NodeNamer {
 public:
  // The export name for a host node named `hostName`, given the names taken so far.
  std::wstring Name(const wchar_t* hostName, bool keepDuplicates) const;
  // Marks a name as taken by a node that entered the tree.
  void Take(const std::wstring& name) { taken_.insert(name); }

 private:
  // The names of the nodes in the tree: the earlier node keeps a name, the later one gets the
  // suffix.
  std::unordered_set<std::wstring> taken_;
  // Per clean name, how many '_' its next search starts with: names are never given back, so
  // every shorter suffix is still taken, and many nodes of one name cost linear time, not cubic.
  mutable std::unordered_map<std::wstring, std::size_t> suffixFrom_;
};
