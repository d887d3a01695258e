// The top of the .x writer: creates the file and writes every record in order.
#pragma once

#include <string>

struct ExportContext;

void WriteXFile(ExportContext* context, const std::wstring& outputPath);
