// Texture lookup over real folder trees: stale paths, case, folder order, dot folders, links, and
// answers from the remembered walk matching a plain walk of the same trees.
#include "ruv/material/texture_search.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/find_files.h"
#include "platform/host_path.h"
#include "ruv/plugin/search_folders.h"

namespace {

namespace fs = std::filesystem;

class TextureSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-texsearch-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    for (const char* dir : {"scene", "images", "data"}) fs::create_directory(folder_ / dir);
    SceneDir = Host("scene") + L'\\';
    ImageDir = Host("images") + L'\\';
    DataDir = Host("data") + L'\\';
    ResetTextureSearch();
  }
  void TearDown() override {
    ResetTextureSearch();
    fs::remove_all(folder_);
  }
  void Touch(const fs::path& relative) {
    fs::create_directories((folder_ / relative).parent_path());
    std::ofstream(folder_ / relative) << "texture";
  }
  void Link(const fs::path& relative, const fs::path& target) {
    fs::create_directories((folder_ / relative).parent_path());
    fs::create_directory_symlink(folder_ / target, folder_ / relative);
  }
  std::wstring Host(const fs::path& relative) { return platform::ToHostPath(folder_ / relative); }

  fs::path folder_;
};

TEST_F(TextureSearchTest, AnExistingPathIsKeptEvenWithItsNameInTheSceneFolder) {
  Touch("elsewhere/wood.jpg");
  Touch("scene/wood.jpg");
  EXPECT_EQ(FindTextureFile(Host("elsewhere/wood.jpg")), Host("elsewhere/wood.jpg"));
  // A folder counts as existing too.
  EXPECT_EQ(FindTextureFile(Host("elsewhere")), Host("elsewhere"));
  EXPECT_EQ(FindTextureFile(L""), L"");
}

TEST_F(TextureSearchTest, AStalePathIsFoundByItsExactNameOrGuessedInTheSceneFolder) {
  Touch("scene/maps/wood/wood.jpg");
  Touch("scene/WOOD.JPG");
  EXPECT_EQ(FindTextureFile(L"C:\\old\\wood.jpg"), SceneDir + L"maps\\wood\\wood.jpg");
  // Case matters: WOOD.JPG is another file, and nothing is called stone.jpg.
  EXPECT_EQ(FindTextureFile(L"C:\\old\\Wood.jpg"), SceneDir + L"Wood.jpg");
  EXPECT_EQ(FindTextureFile(L"D:\\stone.jpg"), SceneDir + L"stone.jpg");
  // Nothing to search for: the path ends with the separator.
  EXPECT_EQ(FindTextureFile(L"C:\\old\\"), L"");
}

TEST_F(TextureSearchTest, TreesAreSearchedSceneImagesDataAndEachDepthFirstInListingOrder) {
  Touch("data/only-data.png");
  Touch("images/both.png");
  Touch("data/both.png");
  Touch("scene/t.png");
  Touch("scene/a/deeper/t.png");
  Touch("scene/b/t.png");
  EXPECT_EQ(FindTextureFile(L"x\\only-data.png"), DataDir + L"only-data.png");
  EXPECT_EQ(FindTextureFile(L"x\\both.png"), ImageDir + L"both.png");
  // Folder "a" is listed before the file "t.png", so its subtree is walked first; not breadth first.
  EXPECT_EQ(FindTextureFile(L"t.png"), SceneDir + L"a\\deeper\\t.png");
  EXPECT_EQ(SearchFolderTree(Host("scene"), L"t.png"), SceneDir + L"a\\deeper\\t.png");
}

TEST_F(TextureSearchTest, DotFoldersAreNotEnteredButDotFilesMatch) {
  Touch("scene/.svn/hidden.png");
  Touch("scene/.cache/sub/hidden.png");
  Touch("scene/sub/.dotted.png");
  Touch("data/hidden.png");
  EXPECT_EQ(FindTextureFile(L"hidden.png"), DataDir + L"hidden.png");
  EXPECT_EQ(FindTextureFile(L"C:\\.dotted.png"), SceneDir + L"sub\\.dotted.png");
}

TEST_F(TextureSearchTest, ASlashOnlyPathIsNotSplitForTheSearch) {
  Touch("scene/wood.jpg");
  Touch("there/rock.jpg");
  const std::wstring missing = L"C:/old/wood.jpg";
  EXPECT_EQ(FindTextureFile(missing), SceneDir + missing);
  const std::wstring existing = (folder_ / "there/rock.jpg").wstring();  // '/' separated
  EXPECT_EQ(FindTextureFile(existing), existing);
}

TEST_F(TextureSearchTest, LinksAreFollowedOnceAndNeverBackUpTheTree) {
  Link("scene/sub/back-to-scene", "scene");
  Link("scene/sub/self", "scene/sub");
  Link("scene/aa", "scene/zz");
  Touch("scene/zz/tex.png");
  Touch("images/after-the-loops.png");
  EXPECT_EQ(FindTextureFile(L"missing.png"), SceneDir + L"missing.png");
  EXPECT_EQ(FindTextureFile(L"after-the-loops.png"), ImageDir + L"after-the-loops.png");
  // The link "aa" is listed first and leads into zz: that is where the walk meets tex.png.
  EXPECT_EQ(FindTextureFile(L"tex.png"), SceneDir + L"aa\\tex.png");
}

TEST_F(TextureSearchTest, ATreeIsReadOncePerExport) {
  Touch("scene/z/late.png");
  EXPECT_EQ(FindTextureFile(L"missing.png"), SceneDir + L"missing.png");  // walks the whole tree
  fs::remove_all(folder_ / "scene/z");
  EXPECT_EQ(FindTextureFile(L"late.png"), SceneDir + L"z\\late.png");  // remembered, not re-read
  Touch("scene/new.png");
  EXPECT_EQ(FindTextureFile(L"new.png"), SceneDir + L"new.png");  // not seen: falls back
  // The next export sees the folders as they are now.
  ResetTextureSearch();
  Touch("images/only-now.png");
  EXPECT_EQ(FindTextureFile(L"late.png"), SceneDir + L"late.png");
  EXPECT_EQ(FindTextureFile(L"only-now.png"), ImageDir + L"only-now.png");
}

// The walk as first described: recursive, stopping at the first find, with only a check against
// the folders it is inside. The remembered walk must give the same answer in every query order.
std::wstring PlainWalk(std::wstring folder, const std::wstring& name,
                       std::vector<FILE_IDENTITY>& inside) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  FILE_IDENTITY identity;
  if (!GetFileIdentityW(folder.c_str(), &identity) ||
      std::find(inside.begin(), inside.end(), identity) != inside.end()) {
    return {};
  }
  inside.push_back(identity);
  std::wstring result;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring entry = data.cFileName;
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (entry == name) result = folder + name;
      } else if (entry[0] != L'.') {
        result = PlainWalk(folder + entry, name, inside);
      }
    } while (result.empty() && FindNextFileW(find, &data));
    FindClose(find);
  }
  inside.pop_back();
  return result;
}

TEST_F(TextureSearchTest, RememberedAnswersEqualThePlainWalkInAnyQueryOrder) {
  for (const char* file : {"scene/a/tex1.png", "scene/a/common.png", "scene/a/b/common.png",
                           "scene/a/b/deep.png", "scene/common.png", "scene/.git/hidden.png",
                           "scene/.git/common.png", "scene/d/e/f/deep.png", "scene/d/e/f/tex1.png",
                           "scene/z/only-z.png", "scene/WOOD.JPG", "scene/d/wood.jpg"}) {
    Touch(file);
  }
  Link("scene/a/up", "scene/a");        // a cycle
  Link("scene/c", "scene/a/b");         // a second way into a/b
  Link("scene/d/e/f/root", "scene");    // a cycle through the root
  Link("scene/d/e/back-to-b", "scene/a/b");
  std::vector<std::wstring> names = {L"tex1.png",  L"common.png", L"deep.png",  L"hidden.png",
                                     L"only-z.png", L"wood.jpg",  L"WOOD.JPG", L"missing.png"};
  std::vector<std::wstring> expected;
  for (const auto& name : names) {
    std::vector<FILE_IDENTITY> inside;
    expected.push_back(PlainWalk(SceneDir, name, inside));
  }
  ASSERT_EQ(expected[2], SceneDir + L"a\\b\\deep.png");  // the tree is what this test thinks

  std::mt19937 random(6);
  std::vector<std::size_t> order(names.size());
  for (int round = 0; round < 12; ++round) {
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    ResetTextureSearch();
    for (std::size_t i : order) {
      EXPECT_EQ(SearchFolderTree(SceneDir, names[i]), expected[i]) << "round " << round;
    }
  }
}

}  // namespace
