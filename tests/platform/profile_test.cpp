// The profile functions as the options file relies on them: what a read gives for absent, empty,
// quoted, signed and overlong values, and what a write leaves in the file.
#include "platform/profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_system.h"
#include "platform/host_path.h"

namespace {

class ProfileFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-profile-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = platform::ToHostPath(folder_ / "p.ini");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void WriteBytes(const std::string& bytes) {
    std::ofstream(folder_ / "p.ini", std::ios::binary) << bytes;
  }
  std::string ReadBytes() { return platform::ReadWholeFile(folder_ / "p.ini").value_or("<none>"); }
  int Int(const wchar_t* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(L"Option", key, fallback, path_.c_str()));
  }
  std::wstring String(const wchar_t* key, const wchar_t* fallback, DWORD size = 260) {
    std::wstring buffer(size, L'#');
    DWORD length =
        GetPrivateProfileStringW(L"Option", key, fallback, buffer.data(), size, path_.c_str());
    EXPECT_EQ(buffer[length], L'\0');
    return buffer.substr(0, length);
  }

  std::filesystem::path folder_;
  std::wstring path_;
};

TEST_F(ProfileFile, IntegerReadTakesLeadingDigitsAndDefaultsOnlyWhenAbsentOrEmpty) {
  WriteBytes(
      "[Option]\r\nA=42abc\r\nB=-7\r\nC=abc\r\nD=\r\nE=  +12 3\r\nF=\"5\"\r\nG=4294967297\r\n"
      "H=-\r\n");
  EXPECT_EQ(Int(L"A", 9), 42);
  EXPECT_EQ(Int(L"B", 9), -7);
  EXPECT_EQ(Int(L"C", 9), 0);  // present but no digits: 0, not the default
  EXPECT_EQ(Int(L"D", 9), 9);  // empty value: the default
  EXPECT_EQ(Int(L"E", 9), 12);
  EXPECT_EQ(Int(L"F", 9), 5);  // quotes go before the digits are read
  EXPECT_EQ(Int(L"G", 9), 1);  // wraps in 32 bits
  EXPECT_EQ(Int(L"H", 9), 0);
  EXPECT_EQ(Int(L"Missing", 9), 9);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"Other", L"A", 3, path_.c_str())), 3);
  std::wstring absent = platform::ToHostPath(folder_ / "absent.ini");
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"Option", L"A", -4, absent.c_str())), -4);
}

TEST_F(ProfileFile, StringReadTrimsUnquotesAndCutsToTheBuffer) {
  WriteBytes(
      "[Option]\r\nA =  two words  \r\nB=\"quoted \"\r\nC='x'\r\nD=\"open\r\nE=\"\r\n"
      "F=a=b\r\n");
  EXPECT_EQ(String(L"A", L""), L"two words");
  EXPECT_EQ(String(L"B", L""), L"quoted ");
  EXPECT_EQ(String(L"C", L""), L"x");
  EXPECT_EQ(String(L"D", L""), L"\"open");  // no closing quote: kept
  EXPECT_EQ(String(L"E", L""), L"\"");
  EXPECT_EQ(String(L"F", L""), L"a=b");  // the first '=' splits
  EXPECT_EQ(String(L"Missing", L"dflt  "), L"dflt");
  EXPECT_EQ(String(L"A", L"", 4), L"two");

  WriteBytes("[Option]\r\nLong=" + std::string(300, 'n') + "\r\n");
  EXPECT_EQ(String(L"Long", L"").size(), 259u);
  wchar_t one[1] = {L'#'};
  EXPECT_EQ(GetPrivateProfileStringW(L"Option", L"Long", L"", one, 1, path_.c_str()), 0u);
  EXPECT_EQ(one[0], L'\0');
}

TEST_F(ProfileFile, NamesCompareCaseInsensitivelyAndTheFirstOccurrenceWins) {
  WriteBytes("; note\r\n[option]\r\nmtl=0\r\nMTL=1\r\n[Option]\r\nOther=5\r\n");
  EXPECT_EQ(Int(L"Mtl", 9), 0);
  EXPECT_EQ(Int(L"Other", 9), 9);  // only the first section of a name is read
}

TEST_F(ProfileFile, WriteCreatesReplacesAndAppendsKeepingOtherLines) {
  ASSERT_TRUE(WritePrivateProfileStringW(L"Option", L"A", L"1", path_.c_str()));
  EXPECT_EQ(ReadBytes(), "[Option]\r\nA=1\r\n");

  WriteBytes("; keep me\r\n[Option]\r\nA=1\r\n\r\n[Next]\r\nX=y\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(L"OPTION", L"a", L"2", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Option", L"B", L"3", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"New", L"K", L"v\r\nInjected=1", path_.c_str()));
  EXPECT_EQ(
      ReadBytes(),
      "; keep me\r\n[Option]\r\nA=2\r\nB=3\r\n\r\n[Next]\r\nX=y\r\n[New]\r\nK=v  Injected=1\r\n");

  ASSERT_TRUE(WritePrivateProfileStringW(L"Option", L"A", nullptr, path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Next", nullptr, nullptr, path_.c_str()));
  EXPECT_EQ(ReadBytes(), "; keep me\r\n[Option]\r\nB=3\r\n\r\n[New]\r\nK=v  Injected=1\r\n");

  std::wstring inMissingFolder = platform::ToHostPath(folder_ / "no" / "p.ini");
  EXPECT_FALSE(WritePrivateProfileStringW(L"Option", L"A", L"1", inMissingFolder.c_str()));
}

TEST_F(ProfileFile, TextIsUtf8WithToleranceForBomUtf16AndWindows1252) {
  ASSERT_TRUE(WritePrivateProfileStringW(L"Option", L"Name", L"Stra\u00DFe \u20AC", path_.c_str()));
  EXPECT_EQ(ReadBytes(),
            "[Option]\r\nName=Stra\xC3\x9F"
            "e \xE2\x82\xAC\r\n");

  WriteBytes("\xEF\xBB\xBF[Option]\r\nName=\xC3\xA9\r\n");
  EXPECT_EQ(String(L"Name", L""), L"\u00E9");
  WriteBytes("[Option]\nName=caf\xE9 \x80\n");  // not UTF-8: the host platform's ANSI code page
  EXPECT_EQ(String(L"Name", L""), L"caf\u00E9 \u20AC");
  static const char kUtf16[] = "\xFF\xFE[\0O\0p\0t\0i\0o\0n\0]\0\n\0N\0=\0\x3D\xD8\x00\xDE\n\0";
  WriteBytes(std::string(kUtf16, sizeof kUtf16 - 1));
  EXPECT_EQ(String(L"N", L""), L"\U0001F600");
}

TEST(ProfileDocument, LargeClipListsLookUpByIndex) {
  platform::ProfileDocument document;
  for (int i = 0; i < 3000; ++i)
    document.Set(L"Option", L"K" + std::to_wstring(i), std::to_wstring(i));
  platform::ProfileDocument parsed = platform::ProfileDocument::Parse(document.Serialize());
  EXPECT_EQ(parsed.GetInt(L"Option", L"k2999", -1), 2999);
  EXPECT_TRUE(parsed.RemoveKey(L"Option", L"K0"));
  EXPECT_EQ(parsed.GetInt(L"Option", L"K1", -1), 1);  // the index survives a removal
}

}  // namespace
