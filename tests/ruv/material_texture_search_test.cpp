// Texture lookup over real folder trees: stale paths, case, folder order, dot folders, links, and
// answers from the remembered walk matching a plain walk of the same tree.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "platform/file_identity.h"
#include "platform/find_files.h"
#include "platform/host_path.h"
#include "ruv/core/search_folders.h"
#include "ruv/material/texture_search.h"

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
  void TearDown() override { fs::remove_all(folder_); }
  void Touch(std::initializer_list<const char*> files) {
    for (fs::path file : files) {
      fs::create_directories((folder_ / file).parent_path());
      std::ofstream(folder_ / file) << "texture";
    }
  }
  void Link(const fs::path& link, const fs::path& target) {
    fs::create_directory_symlink(folder_ / target, folder_ / link);
  }
  std::wstring Host(const fs::path& relative) { return platform::ToHostPath(folder_ / relative); }
  fs::path folder_;
};

TEST_F(TextureSearchTest, ExistingPathsAreKeptAndStaleOnesFoundByExactName) {
  Touch({"elsewhere/wood.jpg", "scene/maps/wood/wood.jpg", "scene/WOOD.JPG"});
  EXPECT_EQ(FindTextureFile(Host("elsewhere/wood.jpg")), Host("elsewhere/wood.jpg"));
  EXPECT_EQ(FindTextureFile(L"C:\\old\\wood.jpg"), SceneDir + L"maps\\wood\\wood.jpg");
  // Case matters, and a name found nowhere is guessed in the scene folder.
  EXPECT_EQ(FindTextureFile(L"C:\\old\\Wood.jpg"), SceneDir + L"Wood.jpg");
  EXPECT_EQ(FindTextureFile(L"C:\\old\\"), L"");
  EXPECT_EQ(FindTextureFile(L""), L"");
}

TEST_F(TextureSearchTest, AStalePathIsNeverTriedAgainstTheWorkingFolder) {
  // The same relative place exists under the working folder: only the search folders may answer.
  Touch({"cwd/C:/old/stale.jpg", "cwd/loose.jpg", "data/stale.jpg"});
  fs::path before = fs::current_path();
  fs::current_path(folder_ / "cwd");
  std::wstring stale = FindTextureFile(L"C:\\old\\stale.jpg");
  std::wstring relative = FindTextureFile(L"loose.jpg");
  fs::current_path(before);
  EXPECT_EQ(stale, DataDir + L"stale.jpg");
  EXPECT_EQ(relative, SceneDir + L"loose.jpg");
}

TEST_F(TextureSearchTest, TreesGoSceneImagesDataEachDepthFirstInListingOrder) {
  Touch({"data/only-data.png", "images/both.png", "data/both.png", "scene/t.png",
         "scene/a/deeper/t.png", "scene/b/t.png"});
  EXPECT_EQ(FindTextureFile(L"x\\only-data.png"), DataDir + L"only-data.png");
  EXPECT_EQ(FindTextureFile(L"x\\both.png"), ImageDir + L"both.png");
  // Folder "a" is listed before the file "t.png", so its subtree comes first; not breadth first.
  EXPECT_EQ(SearchFolderTree(Host("scene"), L"t.png"), SceneDir + L"a\\deeper\\t.png");
}

TEST_F(TextureSearchTest, DotFoldersAreNotEnteredAndSlashesDoNotSplitAName) {
  Touch({"scene/.svn/hidden.png", "scene/.c/sub/hidden.png", "scene/s/.dot.png", "data/hidden.png",
         "scene/wood.jpg", "there/rock.jpg"});
  EXPECT_EQ(FindTextureFile(L"hidden.png"), DataDir + L"hidden.png");
  EXPECT_EQ(FindTextureFile(L"C:\\.dot.png"), SceneDir + L"s\\.dot.png");
  EXPECT_EQ(FindTextureFile(L"C:/old/wood.jpg"), SceneDir + L"C:/old/wood.jpg");
  const std::wstring existing = (folder_ / "there/rock.jpg").wstring();
  EXPECT_EQ(FindTextureFile(existing), existing);
}

TEST_F(TextureSearchTest, ATreeIsReadOncePerExport) {
  Touch({"scene/z/late.png"});
  EXPECT_EQ(FindTextureFile(L"missing.png"), SceneDir + L"missing.png");  // reads every tree
  fs::remove_all(folder_ / "scene/z");
  Touch({"scene/new.png"});
  EXPECT_EQ(FindTextureFile(L"late.png"), SceneDir + L"z\\late.png");  // remembered, not re-read
  EXPECT_EQ(FindTextureFile(L"new.png"), SceneDir + L"new.png");       // not seen: the guess
  ResetTextureSearch();
  Touch({"images/new.png"});
  EXPECT_EQ(FindTextureFile(L"late.png"), SceneDir + L"late.png");
  EXPECT_EQ(SearchFolderTree(SceneDir, L"new.png"), SceneDir + L"new.png");
}

// The walk in its first form: recursive, stopping at the first find, checking only against the
// folders it is inside.
std::wstring PlainWalk(const std::wstring& folder, const std::wstring& name,
                       std::vector<FILE_IDENTITY>& inside) {
  FILE_IDENTITY id;
  if (!GetFileIdentityW(folder.c_str(), &id) || std::count(inside.begin(), inside.end(), id))
    return {};
  inside.push_back(id);
  std::wstring result;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more && result.empty();
       more = FindNextFileW(find, &data)) {
    std::wstring entry = data.cFileName;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (entry == name) result = folder + name;
    } else if (entry[0] != L'.') {
      result = PlainWalk(folder + entry + L'\\', name, inside);
    }
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  inside.pop_back();
  return result;
}

TEST_F(TextureSearchTest, RememberedAnswersEqualThePlainWalkThroughLinksAndCycles) {
  Touch({"scene/a/tex1.png", "scene/a/common.png", "scene/a/b/common.png", "scene/a/b/deep.png",
         "scene/common.png", "scene/.git/hidden.png", "scene/d/e/f/deep.png",
         "scene/d/e/f/tex1.png", "scene/z/only-z.png", "scene/WOOD.JPG", "scene/d/wood.jpg"});
  Link("scene/a/up", "scene/a");
  Link("scene/c", "scene/a/b");  // a second way into a/b
  Link("scene/d/e/f/root", "scene");
  Link("scene/d/e/back-to-b", "scene/a/b");
  Link("scene/aa", "scene/z");  // listed before z: the file is met through the link
  std::vector<std::wstring> names = {L"tex1.png",   L"common.png", L"deep.png", L"hidden.png",
                                     L"only-z.png", L"wood.jpg",   L"WOOD.JPG", L"missing.png"};
  std::vector<std::wstring> expected;
  for (const auto& name : names) {
    std::vector<FILE_IDENTITY> inside;
    expected.push_back(PlainWalk(SceneDir, name, inside));
  }
  // The tree is what this test thinks, and the cycles end.
  ASSERT_EQ(expected[2], SceneDir + L"a\\b\\deep.png");
  ASSERT_EQ(expected[4], SceneDir + L"aa\\only-z.png");
  ASSERT_EQ(expected[7], L"");

  std::mt19937 random(6);
  std::vector<std::size_t> order = {0, 1, 2, 3, 4, 5, 6, 7};
  for (int round = 0; round < 12; ++round) {
    std::shuffle(order.begin(), order.end(), random);
    ResetTextureSearch();
    for (std::size_t i : order) EXPECT_EQ(SearchFolderTree(SceneDir, names[i]), expected[i]);
  }
}

}  // namespace
