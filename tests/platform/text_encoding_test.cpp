// The ANSI code page of names in .x files, UTF-8 for files and terminals, and file names that are
// not UTF-8.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include "platform/host_path.h"

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

// File names need not be UTF-8: a name written in Latin-1 keeps its bytes through the host's form,
// while valid text reads as text.
TEST(HostPath, NamesThatAreNotUtf8KeepTheirBytes) {
  for (std::string name : {std::string("/tmp/caf\xE9/\xFF\xFE.x"), std::string("a\xC3\xA9\xC3/b"),
                           std::string("\xE2\x82\xAC\xE2\x82"), std::string("plain/name.x")}) {
    std::wstring host = platform::ToHostPath(name);
    EXPECT_EQ(platform::ToNativePath(host).native(), name);
  }
  EXPECT_EQ(platform::ToHostPath("a/\xC3\xA9"), L"a\\\u00E9");
  EXPECT_EQ(platform::ToHostPath("caf\xE9"), std::wstring(L"caf") + wchar_t(0xDCE9));
  EXPECT_EQ(platform::ValidUtf8Prefix("ab\xC3\xA9\xE9x"), 4u);
}

}  // namespace
