#include "ruv/scene/node_naming.h"

#include "ruv/plugin/names.h"

std::wstring NodeNamer::Name(const wchar_t* hostName, bool keepDuplicates) const {
  std::wstring name = CleanName(hostName ? hostName : L"");
  if (!keepDuplicates) {
    while (taken_.count(name)) name.push_back(L'_');
  }
  return name;
}
