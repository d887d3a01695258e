// Whole-file replacement and the attribute, existence and long-path calls.
#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/host_path.h"

namespace {

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-files-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(folder_);
  }
  std::size_t EntryCount() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_),
                                                  std::filesystem::directory_iterator()));
  }
  std::filesystem::path folder_;
};

TEST_F(TempFolder, AtomicWriteReplacesWholeAndKeepsPermissions) {
  auto target = folder_ / "a.ini";
  ASSERT_TRUE(platform::WriteFileAtomically(target, "first, and longer"));
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(platform::WriteFileAtomically(target, "second"));
  EXPECT_EQ(platform::ReadWholeFile(target), "second");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(EntryCount(), 1u);  // no temporary left beside it
}

TEST_F(TempFolder, FailedAtomicWriteLeavesTheOldStateAndNoTemporary) {
  auto directory = folder_ / "is-a-folder";
  std::filesystem::create_directory(directory);
  std::ofstream(directory / "inside") << "x";
  EXPECT_FALSE(platform::WriteFileAtomically(directory, "data"));
  EXPECT_TRUE(std::filesystem::is_directory(directory));
  EXPECT_FALSE(platform::WriteFileAtomically(folder_ / "missing" / "a.ini", "data"));
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(TempFolder, ReadWholeFileRefusesWhatIsNoRegularFile) {
  EXPECT_FALSE(platform::ReadWholeFile(folder_));
  EXPECT_FALSE(platform::ReadWholeFile(folder_ / "absent"));
  EXPECT_FALSE(platform::ReadWholeFile("/dev/zero"));
  // A pipe nobody writes is refused at once rather than waited on.
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  std::string problem;
  EXPECT_FALSE(platform::ReadWholeFile(folder_ / "pipe", &problem));
  EXPECT_EQ(problem, "it is not a regular file");
  EXPECT_LT(platform::OpenRegularFile(folder_ / "pipe", 100, &problem), 0);
}

TEST_F(TempFolder, ReadWholeFileKeepsToItsLimit) {
  std::ofstream(folder_ / "ten") << "0123456789";
  std::string problem;
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "ten", &problem, 10), "0123456789");
  EXPECT_FALSE(platform::ReadWholeFile(folder_ / "ten", &problem, 9));
  EXPECT_EQ(problem, "it is larger than 9 bytes");
  int fd = platform::OpenRegularFile(folder_ / "ten", 10, &problem);
  ASSERT_GE(fd, 0);
  char bytes[4] = {};
  EXPECT_EQ(::read(fd, bytes, 4), 4);
  ::close(fd);
}

TEST_F(TempFolder, LongPathNameFailsForAbsentFilesAndReportsTheSizeItNeeds) {
  std::ofstream(folder_ / "out.x") << "x";
  std::wstring existing = platform::ToHostPath(folder_ / "out.x");
  wchar_t buffer[260];
  EXPECT_EQ(GetLongPathNameW(existing.c_str(), buffer, 260), existing.size());
  EXPECT_EQ(std::wstring(buffer), existing);
  EXPECT_EQ(GetLongPathNameW(existing.c_str(), buffer, 3), existing.size() + 1);

  std::wstring absent = platform::ToHostPath(folder_ / "new.x");
  EXPECT_EQ(GetLongPathNameW(absent.c_str(), buffer, 260), 0u);
  EXPECT_EQ(GetLongPathNameW(nullptr, buffer, 260), 0u);
}

TEST_F(TempFolder, AttributesTellFoldersFilesAndAbsence) {
  std::ofstream(folder_ / "f") << "x";
  std::wstring file = platform::ToHostPath(folder_ / "f");
  std::wstring folder = platform::ToHostPath(folder_);
  EXPECT_EQ(GetFileAttributesW(file.c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  ::chmod((folder_ / "f").c_str(), 0444);
  EXPECT_EQ(GetFileAttributesW(file.c_str()), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(PathFileExistsW(file.c_str()));
  std::wstring absent = folder + L"\\nothing";
  EXPECT_EQ(GetFileAttributesW(absent.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(PathFileExistsW(absent.c_str()));
  EXPECT_FALSE(PathFileExistsW(L""));
}

}  // namespace
