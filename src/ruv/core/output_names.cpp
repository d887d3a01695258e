#include "ruv/core/output_names.h"

#include <cwctype>

namespace {

// File systems take 255 bytes per name; this leaves room for a number and an extension.
constexpr std::size_t kMaxStemChars = 200;

std::wstring Folded(const std::wstring& name) {
  std::wstring out = name;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

std::size_t StemEnd(const std::wstring& name) {
  std::size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos || dot == 0 ? name.size() : dot;
}

std::wstring Shortened(const std::wstring& name) {
  std::size_t stem = StemEnd(name);
  if (stem <= kMaxStemChars) return name;
  return name.substr(0, kMaxStemChars) + name.substr(stem);
}

std::wstring Numbered(const std::wstring& name, unsigned number) {
  std::size_t dot = StemEnd(name);
  return name.substr(0, dot) + L"_" + std::to_wstring(number) + name.substr(dot);
}

}  // namespace

ClaimedName OutputNames::Claim(const std::wstring& wantedName, const std::wstring& source) {
  auto known = nameOfSource_.find(source);
  if (known != nameOfSource_.end()) return {known->second, false};
  const std::wstring wanted = Shortened(wantedName);
  std::wstring name = wanted;
  std::wstring folded = Folded(wanted);
  if (sourceOfName_.count(folded)) {
    unsigned& number = nextNumber_.try_emplace(folded, 2).first->second;
    do {
      name = Numbered(wanted, number++);
    } while (sourceOfName_.count(Folded(name)));
  }
  sourceOfName_.emplace(Folded(name), source);
  nameOfSource_.emplace(source, name);
  return {name, true};
}

const std::wstring* OutputNames::Find(const std::wstring& source) const {
  auto known = nameOfSource_.find(source);
  return known == nameOfSource_.end() ? nullptr : &known->second;
}
