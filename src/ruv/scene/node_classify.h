// What kind of export node a host node becomes, and whether it carries geometry.
#pragma once

#include <cstdint>

class INode;

struct NodeClass {
  bool dropped = false;  // a target or a footstep: the node and its subtree are left out
  std::uint32_t kind = 0;
  bool geometry = false;
};

// Classifies by the node's base object (below every modifier). `boneMesh` is the BoneMesh option.
NodeClass ClassifyNode(INode* node, bool boneMesh);
