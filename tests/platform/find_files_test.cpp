// Folder listings (order, attributes, patterns, what cannot be listed) and the whole-or-nothing copy.
#include "platform/find_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "platform/host_path.h"

namespace {

namespace fs = std::filesystem;

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-find-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    for (auto& entry : fs::recursive_directory_iterator(folder_)) {
      if (entry.is_directory() && !entry.is_symlink()) fs::permissions(entry, fs::perms::owner_all);
    }
    fs::remove_all(folder_);
  }
  void Write(const fs::path& relative, const std::string& bytes) {
    std::ofstream(folder_ / relative, std::ios::binary) << bytes;
  }
  std::wstring Host(const fs::path& relative = {}) {
    return platform::ToHostPath(relative.empty() ? folder_ : folder_ / relative);
  }
  // Every entry of a listing as "name" or "name/" for a folder, in listing order.
  std::vector<std::wstring> List(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      std::wstring name = data.cFileName;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) name += L'/';
      names.push_back(name);
    } while (FindNextFileW(find, &data));
    EXPECT_TRUE(FindClose(find));
    return names;
  }
  std::size_t EntryCount() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }
  fs::path folder_;
};

TEST_F(FolderTest, ListingIsDotsFirstThenByteOrderWithLinksFollowedToFolders) {
  Write("b.txt", "x");
  Write("B", "x");
  Write("\xC3\xA9t\xC3\xA9", "x");  // non-ASCII sorts by its UTF-8 bytes, after every ASCII name
  fs::create_directory(folder_ / "a");
  fs::create_directory_symlink(folder_ / "a", folder_ / "link-to-a");
  fs::create_symlink(folder_ / "gone", folder_ / "dangling");
  std::vector<std::wstring> expected = {L"./",       L"../",       L"B",       L"a/",
                                        L"b.txt",    L"dangling",  L"link-to-a/", L"\u00e9t\u00e9"};
  EXPECT_EQ(List(Host() + L"\\*.*"), expected);
  EXPECT_EQ(List(Host() + L"\\*"), expected);

  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((Host() + L"\\link-*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_FALSE(FindNextFileW(find, &data));
  FindClose(find);
}

TEST_F(FolderTest, PatternsMatchCaseSensitively) {
  for (const char* name : {"wood.jpg", "WOOD.JPG", "wood.jpeg", "wood", "awood.jpg"}) Write(name, "");
  EXPECT_EQ(List(Host() + L"\\wood.jpg"), std::vector<std::wstring>{L"wood.jpg"});
  EXPECT_EQ(List(Host() + L"\\*.jpg"), (std::vector<std::wstring>{L"awood.jpg", L"wood.jpg"}));
  EXPECT_EQ(List(Host() + L"\\w??d*"),
            (std::vector<std::wstring>{L"wood", L"wood.jpeg", L"wood.jpg"}));
  EXPECT_TRUE(List(Host() + L"\\Wood.jpg").empty());
}

TEST_F(FolderTest, WhatCannotBeListedGivesNoHandle) {
  Write("file", "x");
  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFileW((Host() + L"\\missing\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW((Host() + L"\\file\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW((Host() + L"\\" + std::wstring(300, L'n') + L"\\*.*").c_str(), &data),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW(L"", &data), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &data));
  if (::geteuid() != 0) {  // permissions do not stop the superuser
    fs::create_directory(folder_ / "locked");
    fs::permissions(folder_ / "locked", fs::perms::none);
    EXPECT_EQ(FindFirstFileW((Host() + L"\\locked\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  }
}

TEST_F(FolderTest, NamesThatAreNoUtf8AreLeftOut) {
  Write("ok", "");
  Write("bad\xFF", "");
  EXPECT_EQ(List(Host() + L"\\*.*"), (std::vector<std::wstring>{L"./", L"../", L"ok"}));
}

TEST_F(FolderTest, CopyIsByteForByteAndRefusesAnExistingTargetWhenAsked) {
  std::string bytes("BM\0\x01\r\n\xFF", 7);
  bytes += std::string(200000, '\x7F');  // more than one chunk
  Write("src.bmp", bytes);
  Write("old.bmp", "old");
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host("new.bmp").c_str(), TRUE));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "new.bmp"), bytes);

  EXPECT_FALSE(CopyFileW(Host("src.bmp").c_str(), Host("old.bmp").c_str(), TRUE));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "old.bmp"), "old");
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host("old.bmp").c_str(), FALSE));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "old.bmp"), bytes);
  // Onto itself: the file must survive whole, not be truncated before it is read.
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host("src.bmp").c_str(), FALSE));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "src.bmp"), bytes);
  EXPECT_EQ(EntryCount(), 3u);
}

TEST_F(FolderTest, CopyOfWhatIsNoRegularFileFailsWithoutTrace) {
  Write("src", "data");
  fs::create_directory(folder_ / "sub");
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(CopyFileW(Host("missing").c_str(), Host("a").c_str(), FALSE));
  EXPECT_FALSE(CopyFileW(Host("sub").c_str(), Host("a").c_str(), FALSE));
  EXPECT_FALSE(CopyFileW(Host("pipe").c_str(), Host("a").c_str(), FALSE));  // must not hang
  EXPECT_FALSE(CopyFileW(Host("src").c_str(), Host("sub").c_str(), FALSE));
  EXPECT_FALSE(CopyFileW(Host("src").c_str(), Host("nowhere\\a").c_str(), FALSE));
  EXPECT_FALSE(CopyFileW(Host("src").c_str(), L"", FALSE));
  EXPECT_TRUE(fs::is_directory(folder_ / "sub"));
  EXPECT_EQ(EntryCount(), 3u);
}

}  // namespace
