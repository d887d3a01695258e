#include "ruv/options/dialog_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "ruv/options/option_values.h"

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::size_t DigitsAndSigns(std::wstring_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](wchar_t c) { return c != L'.'; }));
}

bool AcceptNumberChar(const EditState& edit, wchar_t typed) {
  const std::wstring_view text = edit.text;
  const std::size_t selected =
      edit.selectionEnd > edit.selectionStart ? edit.selectionEnd - edit.selectionStart : 0;
  const std::size_t limit = !text.empty() && text.front() == L'.' ? 5 : 6;
  const bool full = DigitsAndSigns(text) >= limit;
  if (typed == L'.') {
    return text.find(L'.') == std::wstring_view::npos && !(full && selected == 0);
  }
  if (IsDigit(typed)) {
    const bool replacesOnlyThePoint =
        selected == 1 && edit.selectionStart < text.size() && text[edit.selectionStart] == L'.';
    return !(full && (selected == 0 || replacesOnlyThePoint));
  }
  return false;
}

}  // namespace

std::int32_t ReadLeadingInt(std::wstring_view text, std::size_t maxChars) {
  text = text.substr(0, std::min(maxChars, text.size()));
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  std::int64_t value = 0;
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = std::min(kCap, value * 10 + (text[i] - L'0'));
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::wstring FormatScaleText(float value) {
  if (!(value >= 0.0f && value < 1.0f)) return FormatFloatOption(value);
  // "%g" of 1 + value keeps six significant digits: five decimals below one.
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.5f", static_cast<double>(value));
  std::string text = buffer;
  std::replace(text.begin(), text.end(), ',', '.');
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return std::wstring(text.begin(), text.end());
}

std::wstring FormatRotationText(float value) {
  if (std::fabs(value) <= 0.00001f) return L"0";
  return FormatFloatOption(value);
}

bool AcceptPositiveNumberChar(const EditState& edit, wchar_t typed) {
  return typed == kBackspace || AcceptNumberChar(edit, typed);
}

bool AcceptSignedNumberChar(const EditState& edit, wchar_t typed) {
  if (typed == kBackspace) return true;
  const bool startsWithMinus = !edit.text.empty() && edit.text.front() == L'-';
  if (typed == L'-') return edit.selectionStart == 0 && !startsWithMinus;
  // Nothing goes in front of the sign: "3-5" would read back as 3.
  if (startsWithMinus && edit.selectionStart == 0 && edit.selectionEnd == 0) return false;
  return AcceptNumberChar(edit, typed);
}

std::optional<EditResult> InsertNumberText(const EditState& edit, std::wstring_view inserted,
                                           bool signedNumber) {
  const std::size_t first = inserted.find_first_not_of(L" \t\r\n");
  if (first == std::wstring_view::npos) return std::nullopt;
  inserted = inserted.substr(first, inserted.find_last_not_of(L" \t\r\n") + 1 - first);
  std::wstring text(edit.text);
  std::size_t start = std::min(edit.selectionStart, text.size());
  std::size_t end = std::clamp(edit.selectionEnd, start, text.size());
  for (wchar_t c : inserted) {
    const EditState state{text, start, end};
    // A backspace passes the filter as a key, but is no character of a number.
    if (c == kBackspace) return std::nullopt;
    if (!(signedNumber ? AcceptSignedNumberChar(state, c) : AcceptPositiveNumberChar(state, c))) {
      return std::nullopt;
    }
    text.replace(start, end - start, 1, c);
    end = ++start;
  }
  return EditResult{std::move(text), start};
}
