#include "ruv/scene/node_naming.h"

#include "ruv/core/names.h"

std::wstring NodeNamer::Name(const wchar_t* hostName, bool keepDuplicates) const {
  std::wstring name = CleanName(hostName ? hostName : L"");
  if (keepDuplicates) return name;
  std::size_t& suffix = suffixFrom_[name];
  name.append(suffix, L'_');
  while (taken_.count(name)) {
    name.push_back(L'_');
    ++suffix;
  }
  return name;
}
