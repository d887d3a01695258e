#include "platform/profile_document.h"

#include <algorithm>
#include <utility>

#include "platform/text_encoding.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c) {
  // 0x1A is the old end-of-file mark that some editors leave at the end of INI files.
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring_view TrimTrailingBlanks(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring WithoutLineBreaks(std::wstring_view text) {
  std::wstring out(text);
  std::replace_if(
      out.begin(), out.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
  return out;
}

}  // namespace

std::wstring FoldProfileName(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = c + 0x20;
  }
  return folded;
}

std::int32_t ParseLeadingInteger(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - L'0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

ProfileDocument ProfileDocument::Parse(std::wstring_view text) {
  ProfileDocument document;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view raw = text.substr(start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == L'\r') raw.remove_suffix(1);
    std::wstring_view line = TrimBlanks(raw);

    if (!line.empty() && line.front() == L'[') {
      std::wstring_view name = line.substr(1);
      name = TrimBlanks(name.substr(0, name.find(L']')));
      document.sections_.push_back(Section{std::wstring(name), true, {}, {}});
      continue;
    }
    if (document.sections_.empty()) document.sections_.push_back(Section{L"", false, {}, {}});
    Section& section = document.sections_.back();
    std::size_t equals = line.find(L'=');
    bool comment = !line.empty() && (line.front() == L';' || line.front() == L'#');
    if (comment || equals == std::wstring_view::npos) {
      section.lines.push_back(Line{std::wstring(raw), L"", false});
      continue;
    }
    section.lines.push_back(Line{std::wstring(TrimBlanks(line.substr(0, equals))),
                                 std::wstring(TrimBlanks(line.substr(equals + 1))), true});
    section.index.try_emplace(FoldProfileName(section.lines.back().key), section.lines.size() - 1);
  }
  return document;
}

std::wstring ProfileDocument::Serialize() const {
  std::wstring text;
  for (const Section& section : sections_) {
    if (section.hasHeader) text += L"[" + section.name + L"]\r\n";
    for (const Line& line : section.lines) {
      text += line.isKey ? line.key + L"=" + line.value : line.key;
      text += L"\r\n";
    }
  }
  return text;
}

void ProfileDocument::Section::Reindex() {
  index.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].isKey) index.try_emplace(FoldProfileName(lines[i].key), i);
  }
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::wstring_view name) const {
  std::wstring folded = FoldProfileName(name);
  for (const Section& section : sections_) {
    if (FoldProfileName(section.name) == folded) return &section;
  }
  return nullptr;
}

ProfileDocument::Section* ProfileDocument::FindSection(std::wstring_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const std::wstring* ProfileDocument::Find(std::wstring_view section, std::wstring_view key) const {
  const Section* found = FindSection(section);
  if (!found) return nullptr;
  auto it = found->index.find(FoldProfileName(key));
  return it == found->index.end() ? nullptr : &found->lines[it->second].value;
}

std::wstring ProfileDocument::GetString(std::wstring_view section, std::wstring_view key,
                                        std::wstring_view defaultValue,
                                        std::size_t maxLength) const {
  const std::wstring* stored = Find(section, key);
  std::wstring_view value = stored ? std::wstring_view(*stored) : TrimTrailingBlanks(defaultValue);
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::wstring(value.substr(0, maxLength));
}

std::int32_t ProfileDocument::GetInt(std::wstring_view section, std::wstring_view key,
                                     std::int32_t defaultValue) const {
  // The string read comes first, as on the host platform: quotes go before the digits are read.
  std::wstring value = GetString(section, key, L"", std::wstring::npos);
  return value.empty() ? defaultValue : ParseLeadingInteger(value);
}

void ProfileDocument::Set(std::wstring_view section, std::wstring_view key,
                          std::wstring_view value) {
  std::wstring cleanKey(TrimBlanks(WithoutLineBreaks(key)));
  std::wstring cleanValue = WithoutLineBreaks(value);
  Section* target = FindSection(section);
  if (!target) {
    sections_.push_back(Section{WithoutLineBreaks(section), true, {}, {}});
    target = &sections_.back();
  }
  std::wstring folded = FoldProfileName(cleanKey);
  if (auto it = target->index.find(folded); it != target->index.end()) {
    target->lines[it->second].value = std::move(cleanValue);
    return;
  }
  // Before the blank lines that close the section, so they keep separating it from the next one.
  auto lastFilled =
      std::find_if(target->lines.rbegin(), target->lines.rend(),
                   [](const Line& line) { return line.isKey || !TrimBlanks(line.key).empty(); });
  auto at = target->lines.insert(lastFilled.base(),
                                 Line{std::move(cleanKey), std::move(cleanValue), true});
  if (at + 1 == target->lines.end()) {
    target->index.emplace(std::move(folded), target->lines.size() - 1);
  } else {
    target->Reindex();
  }
}

bool ProfileDocument::RemoveKey(std::wstring_view section, std::wstring_view key) {
  Section* target = FindSection(section);
  if (!target) return false;
  std::wstring folded = FoldProfileName(key);
  auto removed = std::erase_if(target->lines, [&](const Line& line) {
    return line.isKey && FoldProfileName(line.key) == folded;
  });
  target->Reindex();
  return removed > 0;
}

bool ProfileDocument::RemoveSection(std::wstring_view section) {
  const Section* target = FindSection(section);
  if (!target) return false;
  sections_.erase(sections_.begin() + (target - sections_.data()));
  return true;
}

std::wstring DecodeProfileBytes(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
      // Pair surrogates into one character; wide characters here hold whole code points.
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
        auto low = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i + 2]) |
                                        (static_cast<unsigned char>(bytes[i + 3]) << 8));
        if (low >= 0xDC00 && low <= 0xDFFF) {
          text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
          i += 2;
          continue;
        }
      }
      text.push_back(unit >= 0xD800 && unit <= 0xDFFF ? static_cast<wchar_t>(0xFFFD) : unit);
    }
    return text;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::wstring text = Utf8ToWide(bytes);
  // Bad UTF-8 turns into U+FFFD and so does not survive the way back.
  if (WideToUtf8(text) == bytes) return text;
  return AnsiToWide(bytes);
}

std::string EncodeProfileText(std::wstring_view text) { return WideToUtf8(text); }

}  // namespace platform
