// The one description of every option key: its text in the file, the member it fills, its type and
// its default. Load, save, listing and setting by key all walk this table, so a key is added or
// changed in one place. The load reads the keys in one order and the save writes them in another;
// each order is one list in option_table.cpp, checked when it compiles to name every option once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "ruv/options/export_options.h"

enum class OptionType { Integer, Float, Text };

// Member pointer of one option; its alternative is the option's type, in OptionType's order.
using OptionMember = std::variant<std::int32_t ExportOptions::*, float ExportOptions::*,
                                  std::wstring ExportOptions::*>;

struct OptionKey {
  std::wstring_view key;
  OptionMember member;
  std::int32_t integerDefault = 0;
  // Float and text options: the default as the file would hold it (floats are read from text).
  std::wstring_view textDefault;
  // SampleRate defaults to the host's frame rate at the moment of the load.
  bool defaultIsFrameRate = false;

  OptionType Type() const { return static_cast<OptionType>(member.index()); }
};

inline constexpr std::size_t kOptionCount = 55;

// The table in the order the options are documented.
std::span<const OptionKey> OptionTable();
// The same options in the order LoadOptions reads them.
std::span<const OptionKey* const> OptionsInReadOrder();
// The same options in the order SaveOptions writes them.
std::span<const OptionKey* const> OptionsInSaveOrder();

// The option of a key, which compares case-insensitively as in the file; null for no option
// (the clip keys are not options of this table, see clip_keys.h).
const OptionKey* FindOption(std::wstring_view key);
