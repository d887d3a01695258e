// Numbers in the dialog's text boxes: how they are shown, read back and filtered as they are typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The leading integer of `text` the way the C runtime's string-to-int call reads it (blanks, an
// optional sign, digits; 0 when no digit starts it), held at the 32-bit limits instead of
// wrapping. Only the first `maxChars` characters are read.
std::int32_t ReadLeadingInt(std::wstring_view text, std::size_t maxChars = std::wstring_view::npos);

// The scale box: "%g" of the value, but a value in [0, 1) in plain decimals, so a small scale
// never shows in exponent form (0.25 is "0.25", 0.00001 is "0.00001").
std::wstring FormatScaleText(float value);
// A rotation box: "%g" of the value, or "0" when it is within 0.00001 of zero.
std::wstring FormatRotationText(float value);

// What a typed character meets in an edit box.
struct EditState {
  std::wstring_view text;
  std::size_t selectionStart = 0;
  std::size_t selectionEnd = 0;  // one past the selection; equal to the start when none
};

inline constexpr wchar_t kBackspace = 0x08;

// The scale box takes digits and one '.', at most six digits (five after a leading '.'), unless
// the typed character replaces a selection. Backspace always passes.
bool AcceptPositiveNumberChar(const EditState& edit, wchar_t typed);
// The rotation boxes take the same, and a '-' typed at the very start of a text without one.
bool AcceptSignedNumberChar(const EditState& edit, wchar_t typed);

// A box's text and caret after an edit.
struct EditResult {
  std::wstring text;
  std::size_t caret = 0;
};

// Text put into a number box at once (pasted, dropped, given by a script): its characters meet the
// box's filter as if typed one by one over the selection, and one refused character refuses it all,
// so "-77abc" never reaches the scale as something else. Blanks around it, which copying tends to
// take along, are dropped first; text that is blank refuses too.
std::optional<EditResult> InsertNumberText(const EditState& edit, std::wstring_view inserted,
                                           bool signedNumber);
