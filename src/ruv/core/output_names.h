// The names of the files an export puts beside its output (textures, rendered maps, effect files):
// two different sources never share one name, and one source keeps one name (and one copy).
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

struct ClaimedName {
  std::wstring name;
  bool first = false;  // the source had no name yet: its file is still to be made
};

class OutputNames {
 public:
  // The file name for `source` (what the file is made from: a path, or a map's identity): the name
  // it got before, else `wanted` when no other source has it, else `wanted` with "_2", "_3", ...
  // before its extension. Names are compared without regard to letter case, and a stem too long
  // for a file name is shortened.
  ClaimedName Claim(const std::wstring& wanted, const std::wstring& source);
  // The name `source` was given, or null when it has none yet.
  const std::wstring* Find(const std::wstring& source) const;

  // A file this export made where nothing was (a host path): when the output cannot be saved, the
  // export removes it again, so that a failed export leaves the folder as it found it.
  void NoteMade(std::wstring path) { made_.push_back(std::move(path)); }
  const std::vector<std::wstring>& Made() const { return made_; }

 private:
  std::vector<std::wstring> made_;
  std::map<std::wstring, std::wstring> sourceOfName_;  // case-folded name -> source
  std::map<std::wstring, std::wstring> nameOfSource_;  // source -> name
  std::map<std::wstring, unsigned> nextNumber_;        // case-folded wanted name -> next number
};
