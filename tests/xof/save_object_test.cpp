// The save calls: what they accept, what they refuse (adding nothing), and how a file is saved.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "test_support.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

class SaveObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    *(&file_) = NewRegisteredFile();
    ASSERT_EQ(file_->CreateMemorySaveObject(kFileFormatText, &save_), S_OK);
  }
  HRESULT AddTop(const Guid& id, const char* name, const Block& data, SaveData** out = nullptr) {
    return save_->AddDataObject(id, name, nullptr, data.size(), data.data(), out);
  }
  XofPtr<XFile> file_;
  XofPtr<SaveObject> save_;
};

Block SkinWeights(std::string_view bone, std::uint32_t n) {
  Block b;
  b.String(bone).Dword(n);
  for (std::uint32_t i = 0; i < n; ++i) b.Dword(i);
  for (std::uint32_t i = 0; i < n; ++i) b.Float(0.5f);
  for (int i = 0; i < 16; ++i) b.Float(i % 5 == 0 ? 1.0f : 0.0f);
  return b;
}

TEST_F(SaveObjectTest, BlocksThatDoNotFitTheirTemplateAreRefusedAndNothingIsAdded) {
  SaveData* mesh = nullptr;
  Block quad;
  quad.Dword(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Dword(1).Dword(3).Dword(0).Dword(1).Dword(2);
  ASSERT_EQ(AddTop(tid::Mesh, "M", quad, &mesh), S_OK);

  Block good = SkinWeights("Bone", 3);
  EXPECT_EQ(mesh->AddDataObject(tid::SkinWeights, "", nullptr, good.size(), good.data(), nullptr),
            S_OK);

  struct Case {
    const char* what;
    Block data;
    HRESULT expected;
  };
  std::vector<Case> cases;
  Block shorter = good;
  shorter.bytes().pop_back();
  cases.push_back({"one byte short", shorter, XOF_E_BAD_DATA});
  Block longer = good;
  longer.bytes().push_back(0);
  cases.push_back({"one byte long", longer, XOF_E_BAD_DATA});
  Block unterminated;
  unterminated.Raw("Bone", 4);
  cases.push_back({"string without its zero", unterminated, XOF_E_BAD_DATA});
  Block overCount = SkinWeights("Bone", 3);
  std::uint32_t huge = 0xFFFFFFFF;
  std::memcpy(overCount.bytes().data() + 5, &huge, 4);
  cases.push_back({"count naming more weights than the block holds", overCount, XOF_E_BAD_DATA});
  Block nan = SkinWeights("Bone", 3);
  float notANumber = std::numeric_limits<float>::quiet_NaN();
  std::memcpy(nan.bytes().data() + 5 + 4 + 12 + 4, &notANumber, 4);
  cases.push_back({"NaN weight", nan, XOF_E_NONFINITE});
  Block infinite = SkinWeights("Bone", 3);
  float inf = -std::numeric_limits<float>::infinity();
  std::memcpy(infinite.bytes().data() + infinite.size() - 4, &inf, 4);
  cases.push_back({"infinite matrix value", infinite, XOF_E_NONFINITE});
  cases.push_back({"quote in a string", SkinWeights("Bo\"ne", 1), XOF_E_BAD_DATA});

  for (const Case& c : cases) {
    SaveData* child = reinterpret_cast<SaveData*>(1);
    EXPECT_EQ(
        mesh->AddDataObject(tid::SkinWeights, "", nullptr, c.data.size(), c.data.data(), &child),
        c.expected)
        << c.what;
    EXPECT_EQ(child, nullptr) << c.what;
    EXPECT_FALSE(save_->LastError().empty()) << c.what;
  }
  EXPECT_EQ(mesh->object().children.size(), 1u);

  // The error names the member at fault.
  Block bad = SkinWeights("Bone", 3);
  std::memcpy(bad.bytes().data() + 5, &huge, 4);
  mesh->AddDataObject(tid::SkinWeights, "", nullptr, bad.size(), bad.data(), nullptr);
  EXPECT_NE(save_->LastError().find("SkinWeights.vertexIndices"), std::string::npos)
      << save_->LastError();
  mesh->Release();
}

// A block handed over is taken whole when the object is added and left alone when it is refused,
// so that the caller still holds what was not written.
TEST_F(SaveObjectTest, AHandedOverBlockIsTakenOnlyWhenAdded) {
  SaveData* mesh = nullptr;
  Block quad;
  quad.Dword(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Dword(1).Dword(3).Dword(0).Dword(1).Dword(2);
  DataBlock given(quad.bytes().begin(), quad.bytes().end());
  ASSERT_EQ(save_->AddDataObject(tid::Mesh, "M", nullptr, std::move(given), &mesh), S_OK);
  EXPECT_TRUE(given.empty());
  EXPECT_EQ(mesh->object().data.size(), quad.size());

  Block nan = SkinWeights("Bone", 1);
  float notANumber = std::numeric_limits<float>::quiet_NaN();
  std::memcpy(nan.bytes().data() + 5 + 4 + 4, &notANumber, 4);
  DataBlock refused(nan.bytes().begin(), nan.bytes().end());
  EXPECT_EQ(mesh->AddDataObject(tid::SkinWeights, "", nullptr, std::move(refused), nullptr),
            XOF_E_NONFINITE);
  EXPECT_EQ(refused.size(), nan.size());
  EXPECT_TRUE(mesh->object().children.empty());
  mesh->Release();
  ASSERT_EQ(save_->Save(), S_OK);
  EXPECT_NE(save_->savedBytes().find("Mesh M"), std::string::npos);
}

TEST_F(SaveObjectTest, NamesTemplatesAndChildrenAreChecked) {
  EXPECT_EQ(AddTop(MakeGuid("00000000-0000-0000-0000-000000000001"), "X", Block()),
            XOF_E_UNKNOWN_TEMPLATE);
  for (const char* name :
       {"two words", "semi;colon", "brace{", "quote\"", "tab\t", "#hash", "//c"}) {
    EXPECT_EQ(AddTop(tid::Frame, name, Block()), XOF_E_BAD_NAME) << name;
  }
  EXPECT_EQ(AddTop(tid::Frame, "Anim-Wuson_Run-1", Block()), S_OK);
  EXPECT_EQ(AddTop(tid::Frame, "", Block()), S_OK);
  EXPECT_EQ(AddTop(tid::Frame, nullptr, Block()), S_OK);
  EXPECT_EQ(save_->AddDataObject(tid::FrameTransformMatrix, "", nullptr, 64, nullptr, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(save_->objects().size(), 3u);

  SaveData* material = nullptr;
  Block color;
  color.Floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(AddTop(tid::Material, "Mat", color, &material), S_OK);
  SaveData* texture = nullptr;
  Block fileName;
  fileName.String("a.png");
  ASSERT_EQ(material->AddDataObject(tid::TextureFilename, "", nullptr, fileName.size(),
                                    fileName.data(), &texture),
            S_OK);
  // TextureFilename is closed: no children, no references.
  EXPECT_EQ(texture->AddDataObject(tid::Frame, "F", nullptr, 0, nullptr, nullptr),
            XOF_E_CHILD_NOT_ALLOWED);
  EXPECT_EQ(texture->AddDataReference("Mat", nullptr), XOF_E_CHILD_NOT_ALLOWED);

  // MeshMaterialList allows materials only, by object or by reference.
  SaveData* mesh = nullptr;
  Block empty;
  empty.Dword(0).Dword(0);
  ASSERT_EQ(AddTop(tid::Mesh, "M", empty, &mesh), S_OK);
  SaveData* list = nullptr;
  Block noFaces;
  noFaces.Dword(1).Dword(0);
  ASSERT_EQ(mesh->AddDataObject(tid::MeshMaterialList, "", nullptr, noFaces.size(), noFaces.data(),
                                &list),
            S_OK);
  EXPECT_EQ(list->AddDataObject(tid::Frame, "F", nullptr, 0, nullptr, nullptr),
            XOF_E_CHILD_NOT_ALLOWED);
  EXPECT_EQ(list->AddDataReference("Mat", nullptr), S_OK);
  EXPECT_EQ(list->AddDataReference("M", nullptr), XOF_E_CHILD_NOT_ALLOWED);
  EXPECT_EQ(list->AddDataReference(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(list->object().children.size(), 1u);
  for (SaveData* d : {texture, material, list, mesh}) d->Release();
}

TEST_F(SaveObjectTest, SaveOptionsAndFormatsAreChecked) {
  SaveObject* other = reinterpret_cast<SaveObject*>(1);
  EXPECT_EQ(file_->CreateSaveObject(L"a.x", 0, kFileFormatText, &other), XOF_E_BAD_FORMAT);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(file_->CreateSaveObject(L"a.x", kFileSaveToWideFile, 7, &other), XOF_E_BAD_FORMAT);
  EXPECT_EQ(file_->CreateSaveObject(nullptr, kFileSaveToWideFile, 0, &other), E_INVALIDARG);
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(SaveObjectTest, FilesAreReplacedWholeOrNotAtAll) {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("xof_save_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::path target = folder / "scene.x";
  // The host hands over '\'-separated paths.
  std::wstring hostPath;
  for (char c : target.string()) hostPath += c == '/' ? L'\\' : static_cast<wchar_t>(c);

  XofPtr<SaveObject> small;
  ASSERT_EQ(file_->CreateSaveObject(hostPath.c_str(), kFileSaveToWideFile, kFileFormatText, &small),
            S_OK);
  std::uint32_t ticks = 4800;
  ASSERT_EQ(small->AddDataObject(tid::AnimTicksPerSecond, "", nullptr, 4, &ticks, nullptr), S_OK);
  ASSERT_EQ(small->Save(), S_OK) << small->LastError();
  std::string first = ReadAll(target);
  EXPECT_EQ(first.substr(0, 17), "xof 0303txt 0032\n");

  // A save that runs out of room (a file size limit stands in for a full disk) fails, keeps the
  // earlier file and leaves no temporary file behind.
  XofPtr<SaveObject> big;
  ASSERT_EQ(file_->CreateSaveObject(hostPath.c_str(), kFileSaveToWideFile, kFileFormatBinary, &big),
            S_OK);
  std::vector<float> values(100000, 1.0f);
  Block floats;
  floats.String("Big")
      .Dword(static_cast<std::uint32_t>(values.size()))
      .Raw(values.data(), values.size() * 4);
  SaveData* effect = nullptr;
  Block effectName;
  effectName.String("big.fx");
  ASSERT_EQ(big->AddDataObject(tid::EffectInstance, "", nullptr, effectName.size(),
                               effectName.data(), &effect),
            S_OK);
  ASSERT_EQ(effect->AddDataObject(tid::EffectParamFloats, "", nullptr, floats.size(), floats.data(),
                                  nullptr),
            S_OK);
  effect->Release();

  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = old;
  limited.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &limited);
  HRESULT result = big->Save();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, XOF_E_WRITE);
  EXPECT_FALSE(big->LastError().empty());
  EXPECT_EQ(ReadAll(target), first);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1u);

  ASSERT_EQ(big->Save(), S_OK);
  EXPECT_EQ(ReadAll(target).substr(0, 16), "xof 0303bin 0032");

  // The user's file keeps its permissions; a read-only one is refused with a message; a link
  // stays a link and its target gets the new content.
  ::chmod(target.c_str(), 0600);
  ASSERT_EQ(small->Save(), S_OK) << small->LastError();
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ::chmod(target.c_str(), 0444);
  EXPECT_EQ(big->Save(), XOF_E_WRITE);
  EXPECT_NE(big->LastError().find("read-only"), std::string::npos) << big->LastError();
  EXPECT_EQ(ReadAll(target), first);
  ::chmod(target.c_str(), 0644);
  std::filesystem::path link = folder / "link.x";
  std::filesystem::create_symlink("scene.x", link);
  XofPtr<SaveObject> throughLink;
  std::wstring linkPath = hostPath.substr(0, hostPath.rfind(L'\\')) + L"\\link.x";
  ASSERT_EQ(file_->CreateSaveObject(linkPath.c_str(), kFileSaveToWideFile, kFileFormatBinary,
                                    &throughLink),
            S_OK);
  ASSERT_EQ(throughLink->AddDataObject(tid::AnimTicksPerSecond, "", nullptr, 4, &ticks, nullptr),
            S_OK);
  ASSERT_EQ(throughLink->Save(), S_OK) << throughLink->LastError();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadAll(target).substr(0, 16), "xof 0303bin 0032");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace xof::test
