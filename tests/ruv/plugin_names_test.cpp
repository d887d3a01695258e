#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ruv/core/names.h"
#include "ruv/core/search_folders.h"
#include "xof/file_reader.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

TEST(CleanName, MakesIdentifiers) {
  EXPECT_EQ(CleanName(L""), L"");
  EXPECT_EQ(CleanName(L"Box01"), L"Box01");
  EXPECT_EQ(CleanName(L"my-node_2"), L"my-node_2");
  // A leading digit gets an underscore in front; the blank becomes one too.
  EXPECT_EQ(CleanName(L"1st box"), L"_1st_box");
  EXPECT_EQ(CleanName(L"_7up"), L"_7up");
  // Everything outside the set becomes '_', a double quote too.
  EXPECT_EQ(CleanName(L"say \"hi\""), L"say__hi_");
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

// Every cleaned name must come back unchanged from our reader in text and in binary, and must be
// neither a keyword nor number-like for the stricter readers.
TEST(CleanName, AwkwardNamesReadBackInEveryEncoding) {
  const std::vector<std::wstring> awkward = {
      L"template",     L"TEMPLATE",  L"Word", L"dword", L"array", L"float", L"-5",
      L"9lives",       L"say\"hi\"", L"a'b",  L"x{y}",  L"a;b,c", L"//c",   L"#c",
      L"\u6728\u5934", L"-",         L"0",    L"1e5",   L"string"};
  for (const std::wstring& name : awkward) {
    std::wstring clean = CleanName(name);
    std::string ansi(clean.begin(), clean.end());
    EXPECT_FALSE(ansi.empty());
    EXPECT_FALSE((ansi[0] >= '0' && ansi[0] <= '9') || ansi[0] == '-') << ansi;
    EXPECT_EQ(ansi.find_first_of("'\""), std::string::npos) << ansi;
    for (DWORD format : {xof::kFileFormatText, xof::kFileFormatBinary}) {
      xof::XFile* file = nullptr;
      ASSERT_TRUE(xof::Succeeded(xof::XFile::Create(&file)));
      std::string_view set = xof::StandardTemplateSet();
      file->RegisterTemplates(set.data(), set.size());
      xof::SaveObject* save = nullptr;
      ASSERT_TRUE(xof::Succeeded(file->CreateMemorySaveObject(format, &save)));
      EXPECT_TRUE(xof::Succeeded(
          save->AddDataObject(xof::tid::Frame, ansi.c_str(), nullptr, 0, nullptr, nullptr)))
          << ansi;
      ASSERT_TRUE(xof::Succeeded(save->Save()));
      xof::ReadResult read = xof::ReadXFile(save->savedBytes());
      ASSERT_TRUE(read.ok()) << ansi << ": " << read.Describe();
      ASSERT_EQ(read.document->objects.size(), 1u);
      EXPECT_EQ(read.document->objects[0]->name, ansi);
      save->Release();
      file->Release();
    }
  }
}
