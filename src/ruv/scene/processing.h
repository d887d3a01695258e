// The processing pass: prepares every exported node and its ancestors once.
#pragma once

struct ExportContext;

void ProcessNodeTree(ExportContext* context);
