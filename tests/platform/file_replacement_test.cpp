// Replacing a file the user owns: its permissions, a read-only file, a link, a name near the limit,
// and the temporary a killed save leaves behind.
#include "platform/file_replacement.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/copy_file.h"
#include "platform/file_system.h"

namespace {

class Replacement : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-replace-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_),
                                                  std::filesystem::directory_iterator()));
  }
  static unsigned Mode(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
  }
  std::filesystem::path folder_;
};

TEST_F(Replacement, KeepsThePermissionsOfTheFileItReplaces) {
  auto target = folder_ / "scene.x";
  ASSERT_TRUE(platform::WriteFileAtomically(target, "old"));
  ::chmod(target.c_str(), 0600);
  platform::FileReplacement replacement(target);
  ASSERT_TRUE(replacement.ok()) << replacement.error();
  ASSERT_TRUE(replacement.Write("new", 3));
  ASSERT_TRUE(replacement.Commit(false));
  EXPECT_EQ(platform::ReadWholeFile(target), "new");
  EXPECT_EQ(Mode(target), 0600u);
}

TEST_F(Replacement, RefusesAReadOnlyFileAndSaysSo) {
  auto target = folder_ / "locked.ini";
  ASSERT_TRUE(platform::WriteFileAtomically(target, "keep me"));
  ::chmod(target.c_str(), 0444);
  std::string error;
  EXPECT_FALSE(platform::WriteFileAtomically(target, "lost", &error));
  EXPECT_NE(error.find("locked.ini: the file is read-only"), std::string::npos) << error;
  EXPECT_EQ(platform::ReadWholeFile(target), "keep me");
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(Replacement, WritesThroughASymbolicLinkToItsTarget) {
  std::filesystem::create_directory(folder_ / "real");
  auto real = folder_ / "real" / "scene.x";
  ASSERT_TRUE(platform::WriteFileAtomically(real, "old"));
  ::chmod(real.c_str(), 0640);
  // A relative link, through a second link.
  std::filesystem::create_symlink("real/scene.x", folder_ / "first.x");
  std::filesystem::create_symlink(folder_ / "first.x", folder_ / "second.x");
  ASSERT_TRUE(platform::WriteFileAtomically(folder_ / "second.x", "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "second.x"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "first.x"));
  EXPECT_EQ(platform::ReadWholeFile(real), "new");
  EXPECT_EQ(Mode(real), 0640u);
  // A link to a file not yet there creates it.
  std::filesystem::create_symlink("real/later.x", folder_ / "dangling.x");
  ASSERT_TRUE(platform::WriteFileAtomically(folder_ / "dangling.x", "made"));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "real" / "later.x"), "made");
  // A loop of links is an error, not a hang.
  std::filesystem::create_symlink("loop-b", folder_ / "loop-a");
  std::filesystem::create_symlink("loop-a", folder_ / "loop-b");
  std::string error;
  EXPECT_FALSE(platform::WriteFileAtomically(folder_ / "loop-a", "x", &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(Replacement, NamesAtTheFileSystemLimitGetAShortTemporary) {
  auto target = folder_ / (std::string(250, 'n') + ".x");
  ASSERT_TRUE(platform::WriteFileAtomically(target, "long name"));
  EXPECT_EQ(platform::ReadWholeFile(target), "long name");
}

TEST_F(Replacement, RemovesTheTemporaryOfAKilledSaveButNotOfARunningOne) {
  auto target = folder_ / "scene.x";
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  const std::string prefix = platform::TemporaryPrefixFor(target);
  auto stale = folder_ / (prefix + std::to_string(child) + "-0");
  auto running = folder_ / (prefix + std::to_string(::getppid()) + "-0");
  auto otherTarget =
      folder_ / (platform::TemporaryPrefixFor("other.x") + std::to_string(child) + "-0");
  for (const auto& path : {stale, running, otherTarget}) std::ofstream(path) << "partial";
  ASSERT_TRUE(platform::WriteFileAtomically(target, "whole"));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(running));
  EXPECT_TRUE(std::filesystem::exists(otherTarget));
}

// Textures and effect files copied beside the output are replaced the same way.
TEST_F(Replacement, FileCopiesReplaceTheSameWay) {
  auto host = [&](const char* name) {
    std::wstring path;
    for (char c : (folder_ / name).string()) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
  };
  ASSERT_TRUE(platform::WriteFileAtomically(folder_ / "source.png", "new texture"));
  ASSERT_TRUE(platform::WriteFileAtomically(folder_ / "copy.png", "old texture"));
  ::chmod((folder_ / "copy.png").c_str(), 0600);
  std::filesystem::create_symlink("copy.png", folder_ / "link.png");
  EXPECT_TRUE(CopyFileW(host("source.png").c_str(), host("link.png").c_str(), FALSE));
  EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "link.png"));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "copy.png"), "new texture");
  EXPECT_EQ(Mode(folder_ / "copy.png"), 0600u);
  ::chmod((folder_ / "copy.png").c_str(), 0400);
  ASSERT_TRUE(platform::WriteFileAtomically(folder_ / "source.png", "newer"));
  EXPECT_FALSE(CopyFileW(host("source.png").c_str(), host("copy.png").c_str(), FALSE));
  EXPECT_EQ(platform::ReadWholeFile(folder_ / "copy.png"), "new texture");
}

}  // namespace
