// Which export nodes the options and the host's hidden and selected state export.
#pragma once

struct ExportContext;
struct XNode;

// Whether the node passes the selection test: visible (or selected, for an export of the
// selection) and of a kind the options export.
bool SelectionTest(const ExportContext& context, const XNode& node);

// Sets the node's exported flag (forced when `force`), settles its geometry flag, and pulls in its
// ancestors unless the export is in world space.
void PropagateSelection(const ExportContext& context, XNode* node, bool force);
