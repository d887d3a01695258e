// Layout details of the writers that readers depend on and that the samples do not show.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>

#include "test_support.h"
#include "xof/binary_writer.h"
#include "xof/data_scan.h"
#include "xof/document_writer.h"
#include "xof/file_writer.h"
#include "xof/mszip.h"
#include "xof/number_format.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

namespace xof::test {
namespace {

std::string Fixed6(float v) {
  char buffer[64];
  return std::string(buffer, FormatFixed6(v, buffer));
}

TEST(NumberFormat, FloatsPrintExactlyAsPercentF) {
  std::vector<float> values = {0.0f,
                               -0.0f,
                               1.0f,
                               -1.0f,
                               0.5f,
                               1e-7f,
                               -1e-7f,
                               0.0078125f,
                               0.0234375f,
                               96.07843f,
                               1e20f,
                               -3.0e9f,
                               std::numeric_limits<float>::max(),
                               std::numeric_limits<float>::denorm_min(),
                               0.9999995f,
                               123456.7890625f};
  // Ties at the seventh decimal (multiples of 1/128) must round to even like printf.
  for (int i = 0; i < 256; ++i) values.push_back(static_cast<float>(i) / 128.0f + 3.0f);
  std::mt19937 random(7);
  std::uniform_int_distribution<std::uint32_t> bits;
  while (values.size() < 20000) {
    std::uint32_t b = bits(random);
    float v;
    std::memcpy(&v, &b, 4);
    if (std::isfinite(v)) values.push_back(v);
  }
  for (float v : values) {
    char expected[512];
    std::snprintf(expected, sizeof expected, "%f", static_cast<double>(v));
    ASSERT_EQ(Fixed6(v), expected) << v;
  }
  char buffer[64];
  EXPECT_EQ(std::string(buffer, FormatInteger(-42, buffer)), "-42");
  EXPECT_EQ(std::string(buffer, FormatInteger(4294967295, buffer)), "4294967295");
}

std::string SaveWith(DWORD format, const std::function<void(SaveObject&)>& build) {
  XofPtr<XFile> file;
  *(&file) = NewRegisteredFile();
  XofPtr<SaveObject> save;
  EXPECT_EQ(file->CreateMemorySaveObject(format, &save), S_OK);
  build(*save.get());
  EXPECT_EQ(save->Save(), S_OK) << save->LastError();
  return save->savedBytes();
}

Block Identity() {
  Block b;
  return std::move(b.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

// A mesh with no faces and a bone that weighs nothing: the text must not write the lone ';' of an
// empty array (readers take it for a missing value); templates the file uses beyond the standard
// ones are defined first; empty names write no name.
TEST(TextWriter, EmptyArraysUnnamedObjectsAndTemplateDefinitions) {
  std::string text = SaveWith(kFileFormatText, [](SaveObject& save) {
    SaveData* mesh = nullptr;
    Block empty;
    empty.Dword(0).Dword(0);
    ASSERT_EQ(save.AddDataObject(tid::Mesh, "", nullptr, empty.size(), empty.data(), &mesh), S_OK);
    Block bone;
    bone.String("Bone2").Dword(0).Raw(Identity().data(), 64);
    ASSERT_EQ(mesh->AddDataObject(tid::SkinWeights, "", nullptr, bone.size(), bone.data(), nullptr),
              S_OK);
    ASSERT_EQ(mesh->AddDataReference("Shared", nullptr), S_OK);
    mesh->Release();
  });
  const std::string expected =
      "xof 0303txt 0032\n"
      "template SkinWeights {\n"
      " <6f0d123b-bad2-4167-a0d0-80224f25fabb>\n"
      " STRING transformNodeName;\n"
      " DWORD nWeights;\n"
      " array DWORD vertexIndices[nWeights];\n"
      " array FLOAT weights[nWeights];\n"
      " Matrix4x4 matrixOffset;\n"
      "}\n"
      "\n\n"
      "Mesh {\n"
      " 0;\n"
      " 0;\n"
      "\n"
      " SkinWeights {\n"
      "  \"Bone2\";\n"
      "  0;\n"
      "  1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,"
      "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;\n"
      " }\n"
      " { Shared }\n"
      "}";
  EXPECT_EQ(text, expected);
}

TEST(TextWriter, DependenciesOfDefinedTemplatesComeFirst) {
  std::string text = SaveWith(kFileFormatText, [](SaveObject& save) {
    Block decl;
    decl.Dword(1).Dword(2).Dword(0).Dword(3).Dword(0).Dword(3).Floats({0, 0, 1});
    ASSERT_EQ(save.AddDataObject(tid::DeclData, "", nullptr, decl.size(), decl.data(), nullptr),
              S_OK);
  });
  std::size_t element = text.find("template VertexElement");
  std::size_t decl = text.find("template DeclData");
  ASSERT_NE(element, std::string::npos);
  ASSERT_NE(decl, std::string::npos);
  EXPECT_LT(element, decl);
  EXPECT_EQ(text.find("template Vector"), std::string::npos);
  EXPECT_NE(text.find(" 1;\n 2;0;3;0;;\n 3;\n 0,\n 0,\n 1065353216;\n}"), std::string::npos)
      << text;
}

TEST(TextWriter, AStandardTemplateRedefinedDifferentlyIsDefinedInTheFile) {
  XofPtr<XFile> file;
  *(&file) = NewRegisteredFile();
  std::string set =
      "xof 0303txt 0032\n"
      "template Coords2d { <f6f23f44-7686-11cf-8f52-0040333594a3> FLOAT u; FLOAT v; FLOAT w; }";
  ASSERT_EQ(file->RegisterTemplates(set.data(), set.size()), S_OK);
  XofPtr<SaveObject> save;
  ASSERT_EQ(file->CreateMemorySaveObject(kFileFormatText, &save), S_OK);
  Block uvw;
  uvw.Floats({0.25f, 0.5f, 0.75f});
  ASSERT_EQ(save->AddDataObject(tid::Coords2d, "", nullptr, uvw.size(), uvw.data(), nullptr), S_OK);
  ASSERT_EQ(save->Save(), S_OK);
  EXPECT_NE(save->savedBytes().find("template Coords2d {"), std::string::npos);
  auto document = MustRead(save->savedBytes());
  ASSERT_TRUE(document);
  EXPECT_EQ(document->objects[0]->data.size(), 12u);
}

// One list per run of integers or floats, small integers widened, strings ended by ';'.
TEST(BinaryWriter, ValuesGoOutAsListsPerRun) {
  std::string bytes = SaveWith(kFileFormatBinary, [](SaveObject& save) {
    Block header;
    header.Word(1).Word(2).Word(3);
    ASSERT_EQ(save.AddDataObject(tid::XSkinMeshHeader, "", nullptr, header.size(), header.data(),
                                 nullptr),
              S_OK);
    Block params;
    params.String("Tint").Dword(2).Floats({0.5f, -0.0f});
    ASSERT_EQ(save.AddDataObject(tid::EffectParamFloats, "P", nullptr, params.size(), params.data(),
                                 nullptr),
              S_OK);
  });
  auto word = [](std::uint16_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
  };
  auto dword = [&](std::uint32_t v) {
    return word(static_cast<std::uint16_t>(v)) + word(static_cast<std::uint16_t>(v >> 16));
  };
  auto name = [&](std::string_view n) {
    return word(1) + dword(static_cast<std::uint32_t>(n.size())) + std::string(n);
  };
  auto real = [&](float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, 4);
    return dword(b);
  };
  std::string header = name("XSkinMeshHeader") + word(10) + word(6) + dword(3) + dword(1) +
                       dword(2) + dword(3) + word(11);
  std::string params = name("EffectParamFloats") + name("P") + word(10) + word(2) + dword(4) +
                       "Tint" + word(20) + word(6) + dword(1) + dword(2) + word(7) + dword(2) +
                       real(0.5f) + real(-0.0f) + word(11);
  ASSERT_GE(bytes.size(), header.size() + params.size());
  EXPECT_EQ(bytes.substr(bytes.size() - header.size() - params.size()), header + params);
}

// A block of many short runs (a key's time and count, then its values) keeps no segments, which
// would outweigh it, and is scanned again as it is written: the same bytes either way. A block of
// long runs keeps its segments.
TEST(BinaryWriter, BlocksOfManyShortRunsAreScannedAgainAsTheyAreWritten) {
  const Template* keyType = BuiltInTemplates().FindById(tid::AnimationKey);
  const Template* vectorType = BuiltInTemplates().FindById(tid::MeshNormals);
  ASSERT_NE(keyType, nullptr);
  ASSERT_NE(vectorType, nullptr);
  Block keys;
  keys.Dword(0).Dword(200);
  for (std::uint32_t k = 0; k < 200; ++k)
    keys.Dword(k * 160).Dword(4).Floats({1.0f, 0.5f * k, -0.25f, 2.0f});
  Block normals;
  normals.Dword(100);
  for (int n = 0; n < 100; ++n) normals.Floats({0, 0, static_cast<float>(n)});
  normals.Dword(1).Dword(3).Dword(0).Dword(1).Dword(2);

  auto object = [](const Template* type, Block& block) {
    auto made = std::make_unique<DataObject>();
    made->type = type;
    made->data.assign(block.bytes().begin(), block.bytes().end());
    made->segments = ScanDataBlock(*type, made->data.data(), made->data.size());
    return made;
  };
  DataObjectList scanned;
  scanned.push_back(object(keyType, keys));
  scanned.push_back(object(vectorType, normals));
  MemorySink whole;
  WriteBinaryBody({}, scanned, whole);

  DataObjectList kept;
  for (const auto& source : scanned) {
    kept.push_back(object(source->type, source->type == keyType ? keys : normals));
    KeepSegmentsIfFew(*kept.back(),
                      ScanDataBlock(*source->type, source->data.data(), source->data.size()));
  }
  EXPECT_TRUE(kept[0]->segments.empty()) << "400 runs in 6 KiB";
  EXPECT_EQ(kept[1]->segments.size(), scanned[1]->segments.size()) << "few runs";
  MemorySink lean;
  WriteBinaryBody({}, kept, lean);
  EXPECT_EQ(lean.bytes(), whole.bytes());
}

// Blocks hold at most 32 KiB of the binary stream: readers fail on larger ones.
TEST(CompressedWriter, BlocksSplitAtTheWindowSize) {
  for (std::size_t floats : {0u, 8170u, 8192u, 8193u, 30000u}) {
    SCOPED_TRACE(floats);
    auto build = [floats](SaveObject& save) {
      Block params;
      params.String("F").Dword(static_cast<std::uint32_t>(floats));
      for (std::size_t i = 0; i < floats; ++i) params.Float(static_cast<float>(i % 977) * 0.25f);
      ASSERT_EQ(save.AddDataObject(tid::EffectParamFloats, "", nullptr, params.size(),
                                   params.data(), nullptr),
                S_OK);
    };
    std::string binary = SaveWith(kFileFormatBinary, build);
    std::string compressed = SaveWith(kFileFormatCompressed, build);
    ASSERT_EQ(compressed.substr(0, 16), "xof 0303bzip0032");
    std::uint32_t total;
    std::memcpy(&total, compressed.data() + 16, 4);
    EXPECT_EQ(total, binary.size());
    std::size_t pos = 20, blocks = 0;
    while (pos < compressed.size()) {
      std::uint16_t plain, packed;
      std::memcpy(&plain, compressed.data() + pos, 2);
      std::memcpy(&packed, compressed.data() + pos + 2, 2);
      EXPECT_LE(plain, kMszipBlockSize);
      EXPECT_EQ(compressed.substr(pos + 4, 2), "CK");
      pos += 4 + packed;
      ++blocks;
    }
    EXPECT_EQ(pos, compressed.size());
    EXPECT_EQ(blocks, (binary.size() - 16 + kMszipBlockSize - 1) / kMszipBlockSize);
    EXPECT_EQ(InflateMszip(compressed), binary.substr(16));
  }
}

// Blocks are deflated in runs on several threads: the file must not depend on how many, on how
// the writes are cut, or on where a run ends.
TEST(CompressedWriter, TheSameBytesOnAnyNumberOfThreads) {
  std::string body;
  std::mt19937 random(7);
  for (std::size_t i = 0; body.size() < 7 * 1024 * 1024 + 1234; ++i) {
    // Mesh-like data: runs of counting numbers with some noise, compressible but not trivially.
    std::uint32_t value = static_cast<std::uint32_t>(i % 5000) + (random() % 4 == 0 ? random() : 0);
    body.append(reinterpret_cast<const char*>(&value), 4);
  }
  std::string first;
  for (unsigned threads : {1u, 2u, 5u}) {
    SCOPED_TRACE(threads);
    MemorySink memory;
    std::uint32_t total = static_cast<std::uint32_t>(body.size() + 16);
    memory.Write("xof 0303bzip0032", 16);
    memory.Write(&total, 4);
    MszipSink compressor(memory, kMszipLevel, threads);
    for (std::size_t at = 0, step = 1; at < body.size(); at += step, step = step * 3 % 100003 + 1)
      compressor.Write(body.data() + at, std::min(step, body.size() - at));
    compressor.Finish();
    if (first.empty()) first = memory.bytes();
    EXPECT_EQ(memory.bytes(), first);
    EXPECT_EQ(InflateMszip(memory.bytes()), body);
  }
}

// A disk that fills mid-save: the error reaches the caller, with the compressor's threads joined
// before the bytes they read are freed.
TEST(CompressedWriter, AWriteFailureWhileBlocksAreDeflatingEndsTheSave) {
  struct FullDisk : Sink {
    std::size_t room = 100000;
    void Write(const void*, std::size_t size) override {
      if (size > room) throw WriteError("no space left on the device");
      room -= size;
    }
  };
  std::string body(9 * 1024 * 1024, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 % 251);
  FullDisk disk;
  EXPECT_THROW(
      {
        MszipSink compressor(disk, kMszipLevel, 2);
        for (std::size_t at = 0; at < body.size(); at += 1 << 20)
          compressor.Write(body.data() + at, 1 << 20);
        compressor.Finish();
      },
      WriteError);
}

// The same through a real file that fills up while blocks are deflating on several threads: the
// failure is reported, the earlier file stays as it was and nothing is left beside it.
TEST(CompressedWriter, AFileThatFillsMidSaveKeepsTheEarlierFile) {
  const std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) / ("full_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path target = folder / "scene.x";
  { std::ofstream(target, std::ios::binary) << "earlier"; }

  // A mesh of some megabytes, noisy enough that its compressed form passes the size limit.
  std::mt19937 random(11);
  const std::uint32_t vertices = 400000;
  Block mesh;
  mesh.Dword(vertices);
  for (std::uint32_t v = 0; v < 3 * vertices; ++v)
    mesh.Float(static_cast<float>(random() % 100000) * 0.01f);
  mesh.Dword(0);
  XFileDocument document;
  document.templates = BuiltInTemplates();
  auto object = std::make_unique<DataObject>();
  object->type = document.templates.FindById(tid::Mesh);
  object->name = "Noise";
  object->data.assign(mesh.bytes().begin(), mesh.bytes().end());
  document.objects.push_back(std::move(object));

  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  sighandler_t oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = old;
  limited.rlim_cur = 256 * 1024;
  ::setrlimit(RLIMIT_FSIZE, &limited);
  std::string error;
  bool written = WriteDocumentToFile(document, FileFormat::Compressed, target, error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_FALSE(error.empty());
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1u);

  // With room, the same document is written whole.
  ASSERT_TRUE(WriteDocumentToFile(document, FileFormat::Compressed, target, error)) << error;
  EXPECT_GT(std::filesystem::file_size(target), 256u * 1024);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace xof::test
