// Folder listings (order, attributes, patterns, what cannot be listed) and the whole-or-nothing
// copy.
#include "platform/find_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/copy_file.h"
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
  void TearDown() override { fs::remove_all(folder_); }
  void Write(const fs::path& name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::wstring Host(const fs::path& name) { return platform::ToHostPath(folder_ / name); }
  // The listing as names, "/" marking folders.
  std::vector<std::wstring> List(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Host(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(data.cFileName);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.back() += L'/';
    } while (FindNextFileW(find, &data));
    EXPECT_TRUE(FindClose(find));
    return names;
  }
  fs::path folder_;
};

TEST_F(FolderTest, ListingIsDotsFirstThenByteOrderWithLinksFollowed) {
  for (const char* name : {"b.txt", "B", "\xC3\xA9t\xC3\xA9", "bad\xFF"}) Write(name, "x");
  fs::create_directory(folder_ / "a");
  fs::create_directory_symlink(folder_ / "a", folder_ / "link-to-a");
  fs::create_symlink(folder_ / "gone", folder_ / "dangling");
  // Non-ASCII sorts by its UTF-8 bytes; a name that is no UTF-8 cannot be a host path and is left
  // out.
  std::vector<std::wstring> expected = {L"./",    L"../",      L"B",          L"a/",
                                        L"b.txt", L"dangling", L"link-to-a/", L"\u00e9t\u00e9"};
  EXPECT_EQ(List(L"*.*"), expected);
  EXPECT_EQ(List(L"*"), expected);

  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Host("link-*").c_str(), &data);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_FALSE(FindNextFileW(find, &data));
  FindClose(find);
}

TEST_F(FolderTest, PatternsMatchCaseSensitivelyAndBadFoldersGiveNoHandle) {
  for (const char* name : {"wood.jpg", "WOOD.JPG", "wood.jpeg", "wood", "awood.jpg"})
    Write(name, "");
  EXPECT_EQ(List(L"*.jpg"), (std::vector<std::wstring>{L"awood.jpg", L"wood.jpg"}));
  EXPECT_EQ(List(L"w??d*"), (std::vector<std::wstring>{L"wood", L"wood.jpeg", L"wood.jpg"}));
  EXPECT_TRUE(List(L"Wood.jpg").empty());

  WIN32_FIND_DATAW data;
  std::vector<std::wstring> unlistable = {L"missing\\*.*", L"wood\\*.*",
                                          std::wstring(300, L'n') + L"\\*"};
  for (const std::wstring& pattern : unlistable) {
    EXPECT_EQ(FindFirstFileW(Host(pattern).c_str(), &data), INVALID_HANDLE_VALUE);
  }
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(FolderTest, CopyIsByteForByteAndRefusesAnExistingTargetWhenAsked) {
  std::string bytes =
      std::string("BM\0\r\n\xFF", 6) + std::string(200000, '\x7F');  // several chunks
  Write("src.bmp", bytes);
  Write("old.bmp", "old");
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host("new.bmp").c_str(), TRUE));
  EXPECT_FALSE(CopyFileW(Host("src.bmp").c_str(), Host("old.bmp").c_str(), TRUE));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "old.bmp"), "old");
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host("old.bmp").c_str(), FALSE));
  // Onto itself: the file must survive whole, not be truncated before it is read.
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host("src.bmp").c_str(), FALSE));
  const std::string longest(255, 'L');  // the longest name a folder holds
  EXPECT_TRUE(CopyFileW(Host("src.bmp").c_str(), Host(longest).c_str(), TRUE));
  for (std::string name : {"new.bmp", "old.bmp", "src.bmp", longest.c_str()}) {
    EXPECT_EQ(platform::ReadWholeFile(folder_ / name), bytes) << name;
  }
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
  EXPECT_TRUE(fs::is_directory(folder_ / "sub"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 3);
}

TEST_F(FolderTest, FilesOfTheKernelsFileSystemsAreNeverCopied) {
  // /proc and /sys list "regular files" that are views of the running system.
  for (const wchar_t* source :
       {L"\\proc\\self\\status", L"\\proc\\version", L"\\sys\\kernel\\osrelease"}) {
    EXPECT_FALSE(CopyFileW(source, Host("a").c_str(), FALSE)) << platform::ToNativePath(source);
  }
  // A regular file under /dev (its memory file system) is refused by its place.
  if (fs::is_directory("/dev/shm")) {
    fs::path shared = fs::path("/dev/shm") / ("ruv-copy-" + std::to_string(::getpid()));
    std::ofstream(shared) << "shared";
    EXPECT_FALSE(CopyFileW(platform::ToHostPath(shared).c_str(), Host("a").c_str(), FALSE));
    fs::remove(shared);
  }
  EXPECT_FALSE(fs::exists(folder_ / "a"));
}

TEST_F(FolderTest, WhatIsReadInPlaceOfACopyFollowsTheCopysRules) {
  Write("src.png", "data");
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadCopyableFile(Host("src.png").c_str(), 4), "data");
  EXPECT_EQ(ReadCopyableFile(Host("src.png").c_str(), 3), std::nullopt) << "over the limit";
  for (const std::wstring& source :
       {Host("pipe"), Host("missing"), std::wstring(L"\\proc\\version")})
    EXPECT_EQ(ReadCopyableFile(source.c_str(), 1 << 20), std::nullopt)
        << platform::ToNativePath(source);
}

}  // namespace
