// The ANSI code page of names in .x files, and UTF-8 for files and terminals.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(WideToAnsi, MapsWindows1252AndReplacesTheRestWithQuestionMarks) {
  EXPECT_EQ(platform::WideToAnsi(L"Abc"), "Abc");
  EXPECT_EQ(platform::WideToAnsi(L"\u20AC\u201A\u0178\u00E9\u00FF"), "\x80\x82\x9F\xE9\xFF");
  // C1 controls are no characters of the code page, even where a byte of that value is unassigned.
  EXPECT_EQ(platform::WideToAnsi(L"\u0081\u4E2D\U0001F600"), "???");
}

// Profile files that do not survive this round trip are read as Windows-1252 instead.
TEST(Utf8, RoundTripsAndMarksEveryBadByte) {
  std::wstring text = L"a\u00E9\u20AC\U0001F600";
  EXPECT_EQ(platform::Utf8ToWide(platform::WideToUtf8(text)), text);
  // A lone continuation byte, an overlong '/', a cut-off sequence.
  EXPECT_EQ(platform::Utf8ToWide("\x80"
                                 "\xC0\xAF"
                                 "\xE2\x82"),
            L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

}  // namespace
