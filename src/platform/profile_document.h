// An INI profile held in memory: the document behind the profile functions (profile.h), which
// readers may also use directly to look up many keys with one parse, and writers to build a whole
// file before it replaces the old one.
//
// Text rules, as the host platform's profile functions apply them:
// - a line "[name]" opens a section (a missing ']' ends the name at the line's end);
// - a line "key=value" is a key; key and value lose their surrounding blanks;
// - lines before the first section belong to a section without header, named "";
// - blank lines, lines starting with ';' or '#' and lines without '=' are kept as they are and
//   never match a key, so a rewrite carries them over;
// - section and key names compare case-insensitively (letters of ASCII and Latin-1); the first
//   section and the first key of a name win when a file repeats one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class ProfileDocument {
 public:
  // Parses profile text; any text is accepted.
  static ProfileDocument Parse(std::wstring_view text);

  // The document as text, every line ended by CR LF (as the host platform writes its files).
  std::wstring Serialize() const;

  // The stored value of a key (its surrounding blanks removed), or null when the section or the key
  // is absent. The pointer is valid until the document changes.
  const std::wstring* Find(std::wstring_view section, std::wstring_view key) const;

  // The string read of the profile functions: the value, or `defaultValue` (trailing blanks
  // removed) when the key is absent, without one pair of surrounding quotes (both ' or both "),
  // cut to `maxLength` characters.
  std::wstring GetString(std::wstring_view section, std::wstring_view key,
                         std::wstring_view defaultValue, std::size_t maxLength) const;

  // The integer read of the profile functions: `defaultValue` when the key is absent or its value
  // empty; otherwise the value's leading decimal integer (blanks skipped, optional sign, then
  // digits; no digits give 0; too many digits wrap around in 32 bits).
  std::int32_t GetInt(std::wstring_view section, std::wstring_view key,
                      std::int32_t defaultValue) const;

  // Replaces the value of the key's first occurrence, or appends the key at the end of the section
  // (before its closing blank lines), or appends the section at the end of the document. CR and LF
  // in names and values become spaces: the text cannot hold them, and they would otherwise inject
  // lines of their own.
  void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);

  // Removes every occurrence of the key; true when one was there.
  bool RemoveKey(std::wstring_view section, std::wstring_view key);
  // Removes the first section of the name with its lines; true when it was there.
  bool RemoveSection(std::wstring_view section);

  bool Empty() const { return sections_.empty(); }

 private:
  struct Line {
    std::wstring key;  // for a key line; otherwise the whole line as read
    std::wstring value;
    bool isKey = false;
  };
  struct Section {
    std::wstring name;
    bool hasHeader = true;
    std::vector<Line> lines;
    // Folded key name to the index of its first key line, so large clip lists look up quickly.
    std::unordered_map<std::wstring, std::size_t> index;
    void Reindex();
  };

  const Section* FindSection(std::wstring_view name) const;
  Section* FindSection(std::wstring_view name);

  std::vector<Section> sections_;
};

// Section and key names fold to this form before they compare.
std::wstring FoldProfileName(std::wstring_view name);

// The leading decimal integer of `text` as the profile functions parse it (see GetInt).
std::int32_t ParseLeadingInteger(std::wstring_view text);

// Profile text from file bytes: UTF-8 with or without a byte-order mark, UTF-16LE with its mark,
// and anything that is not valid UTF-8 as Windows-1252 (the files the host platform writes itself).
std::wstring DecodeProfileBytes(std::string_view bytes);

// Profile text to file bytes: UTF-8 without byte-order mark.
std::string EncodeProfileText(std::wstring_view text);

}  // namespace platform
