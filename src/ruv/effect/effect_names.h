// The variable names a generated effect gives its maps. A map's name is a clean name, which may
// hold
// '-' or be a word the effect language or the effect itself already uses (a map named "World",
// "float" or "DiffuseSampler"); such an effect would not compile.
#pragma once

#include <set>
#include <string>

class EffectVariableNames {
 public:
  // A variable name for the map named `mapName`: '-' turned into '_', and '_' appended while the
  // name or its sampler's name (the name + "Sampler") is reserved or taken by an earlier map.
  std::wstring Take(const std::wstring& mapName);

 private:
  std::set<std::wstring> taken_;  // the earlier maps' variables and samplers, case-folded
};
