#include "ruv/options/option_values.h"

#include <locale.h>

#include <charconv>
#include <cmath>
#include <cwchar>
#include <limits>
#include <system_error>

namespace {

// ASCII text of a typed number; non-ASCII characters can be no part of one.
std::optional<std::string> AsciiOf(std::wstring_view text) {
  std::string ascii;
  for (wchar_t c : text) {
    if (c <= 0 || c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  return ascii;
}

}  // namespace

std::wstring FormatIntegerOption(std::int32_t value) { return std::to_wstring(value); }

std::wstring FormatFloatOption(float value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                              std::chars_format::general, 6);
  return std::wstring(text, result.ptr);
}

float ReadFloatOption(std::wstring_view text) {
  // The "C" locale keeps '.' the decimal point even when the process runs under another locale.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  std::wstring terminated(text.substr(0, text.find(L'\0')));
  double value = cLocale ? wcstod_l(terminated.c_str(), nullptr, cLocale)
                         : std::wcstod(terminated.c_str(), nullptr);
  // Narrowing a double beyond the float range is undefined; the runtime's answer is infinity.
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
    return value > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

std::optional<std::int32_t> ParseIntegerText(std::wstring_view text) {
  std::optional<std::string> ascii = AsciiOf(text);
  if (!ascii || ascii->empty()) return std::nullopt;
  const char* first = ascii->data();
  if (*first == '+' && ascii->size() > 1 && first[1] != '-') ++first;
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(first, ascii->data() + ascii->size(), value);
  if (error != std::errc() || end != ascii->data() + ascii->size()) return std::nullopt;
  return value;
}

std::optional<float> ParseFloatText(std::wstring_view text) {
  std::optional<std::string> ascii = AsciiOf(text);
  if (!ascii || ascii->empty()) return std::nullopt;
  const char* first = ascii->data();
  if (*first == '+' && ascii->size() > 1 && first[1] != '-') ++first;
  double value = 0;
  auto [end, error] =
      std::from_chars(first, ascii->data() + ascii->size(), value, std::chars_format::general);
  if (error != std::errc() || end != ascii->data() + ascii->size()) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
    return std::nullopt;
  return static_cast<float>(value);
}
