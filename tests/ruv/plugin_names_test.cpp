#include <gtest/gtest.h>

#include <string>

#include "ruv/plugin/names.h"
#include "ruv/plugin/search_folders.h"

TEST(CleanName, MakesIdentifiers) {
  EXPECT_EQ(CleanName(L""), L"");
  EXPECT_EQ(CleanName(L"Box01"), L"Box01");
  EXPECT_EQ(CleanName(L"my-node_2"), L"my-node_2");
  // A leading digit gets an underscore in front; the blank becomes one too.
  EXPECT_EQ(CleanName(L"1st box"), L"_1st_box");
  EXPECT_EQ(CleanName(L"_7up"), L"_7up");
  // A double quote turns into a single quote; everything else outside the set into '_'.
  EXPECT_EQ(CleanName(L"say \"hi\""), L"say_'hi'");
  EXPECT_EQ(CleanName(L"caf\u00e9.x"), L"caf__x");
  EXPECT_EQ(CleanName(L"\u6728"), L"_");
}

TEST(CleanName, CopiesAtMost255Characters) {
  std::wstring longName(300, L'a');
  EXPECT_EQ(CleanName(longName), std::wstring(255, L'a'));
  // The leading underscore comes on top of the 255 copied characters.
  std::wstring digitName = L"9" + std::wstring(299, L'b');
  std::wstring cleaned = CleanName(digitName);
  EXPECT_EQ(cleaned.size(), 256u);
  EXPECT_EQ(cleaned.substr(0, 2), L"_9");
}

TEST(StripSpaces, RemovesBlanksFromTheFirst255Characters) {
  EXPECT_EQ(StripSpaces(nullptr), L"");
  EXPECT_EQ(StripSpaces(L""), L"");
  EXPECT_EQ(StripSpaces(L"Scene Root"), L"SceneRoot");
  EXPECT_EQ(StripSpaces(L"  a\tb "), L"a\tb");  // only U+0020 counts as a space
  std::wstring text = std::wstring(250, L'x') + L"     tail";
  EXPECT_EQ(StripSpaces(text.c_str()), std::wstring(250, L'x'));
}

TEST(SearchFolders, SplitOnlyAtTheHostSeparator) {
  EXPECT_EQ(OutputFolderOf(L"C:\\out\\a.x"), L"C:\\out\\");
  EXPECT_EQ(OutputFolderOf(L"a.x"), L".\\");
  EXPECT_EQ(OutputFolderOf(L"/home/me/a.x"), L".\\");
  EXPECT_EQ(SceneFolderOf(L"C:\\scenes\\s.max"), L"C:\\scenes\\");
  EXPECT_EQ(SceneFolderOf(L"/scenes/s.max"), L"/scenes/");
  EXPECT_EQ(SceneFolderOf(L""), L".\\");
  EXPECT_EQ(WithTrailingBackslash(L""), L"");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\maps"), L"C:\\maps\\");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\maps\\"), L"C:\\maps\\");
}
