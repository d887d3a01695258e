// Mirrors the host scene in the export node tree.
#pragma once

class INode;
struct ExportContext;

// Builds the export node tree below the host scene root into the context.
void BuildNodeTree(ExportContext* context, INode* sceneRoot);
