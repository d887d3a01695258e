// Files from the world outside: other writers' spellings, the deepest hierarchies the exporter
// writes, compressed files that claim more than they hold, and names that are not files at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "test_support.h"
#include "xof/binary_tokens.h"
#include "xof/document_printer.h"
#include "xof/document_writer.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

constexpr std::string_view kMaterialWithMiscasedTexture =
    "xof 0303txt 0032\n"
    "Material Red {\n 1.0;0.0;0.0;1.0;;\n 10.0;\n 0.0;0.0;0.0;;\n 0.0;0.0;0.0;;\n"
    " TextureFileName { \"red.png\"; }\n}\n"
    "frame Root { FRAMETRANSFORMMATRIX { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }\n";

TEST(ReaderInputs, TemplateNamesMatchWithoutRegardToCase) {
  auto document = MustRead(kMaterialWithMiscasedTexture);
  ASSERT_TRUE(document);
  ASSERT_EQ(document->objects.size(), 2u);
  const DataObject& texture = *document->objects[0]->children.at(0).object;
  EXPECT_EQ(texture.type->id, tid::TextureFilename);
  EXPECT_EQ(document->objects[1]->type->id, tid::Frame);

  // The dump shows the name as the file spells it.
  std::ostringstream dump;
  PrintDocumentText(*document, dump);
  EXPECT_NE(dump.str().find("TextureFileName {"), std::string::npos) << dump.str();
  EXPECT_NE(dump.str().find("frame Root {"), std::string::npos) << dump.str();

  // Written again, the object is the registered template, in every encoding.
  for (FileFormat format : {FileFormat::Binary, FileFormat::Text}) {
    MemorySink sink;
    std::string error;
    ASSERT_TRUE(WriteDocument(*document, format, sink, error)) << error;
    if (format == FileFormat::Text) {
      EXPECT_NE(sink.bytes().find("TextureFilename {"), std::string::npos);
    } else {
      // Binary files name templates too, and another writer may spell them differently.
      std::string binary = sink.bytes();
      std::size_t at = binary.find("TextureFilename");
      ASSERT_NE(at, std::string::npos);
      binary.replace(at, 15, "TEXTUREFILENAME");
      auto again = MustRead(binary);
      ASSERT_TRUE(again);
      EXPECT_EQ(again->objects[0]->children.at(0).object->type->id, tid::TextureFilename);
    }
  }
}

// A conversion hands the read blocks to the save instead of copying them: the same file as from a
// document that is kept, in every encoding.
TEST(ReaderInputs, ASpentDocumentWritesTheSameFile) {
  const std::filesystem::path path =
      std::filesystem::path(testing::TempDir()) / ("spent_" + std::to_string(getpid()) + ".x");
  for (FileFormat format : {FileFormat::Binary, FileFormat::Text, FileFormat::Compressed}) {
    SCOPED_TRACE(static_cast<int>(format));
    auto kept = MustRead(kMaterialWithMiscasedTexture);
    auto spent = MustRead(kMaterialWithMiscasedTexture);
    ASSERT_TRUE(kept && spent);
    MemorySink sink;
    std::string error;
    ASSERT_TRUE(WriteDocument(*kept, format, sink, error)) << error;
    ASSERT_TRUE(WriteDocumentToFile(std::move(*spent), format, path, error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, sink.bytes());
    EXPECT_TRUE(spent->objects[0]->data.empty()) << "the block was handed over, not copied";
  }
  std::filesystem::remove(path);
}

// A file read from disk gives back the pages it has been read through while the rest is read:
// every later object, and every name after a large block, must still read as it does from memory.
TEST(ReaderInputs, AFileReadFromDiskReadsAsFromMemoryWhileItsPagesAreGivenBack) {
  XFile* raw = NewRegisteredFile();
  const std::filesystem::path path =
      std::filesystem::path(testing::TempDir()) / ("released_" + std::to_string(getpid()) + ".x");
  for (DWORD format : {kFileFormatBinary, kFileFormatText, kFileFormatCompressed}) {
    SCOPED_TRACE(format);
    XofPtr<SaveObject> save;
    ASSERT_EQ(raw->CreateMemorySaveObject(format, &save), S_OK);
    SaveData* frame = nullptr;
    ASSERT_EQ(save->AddDataObject(tid::Frame, "Root", nullptr, 0, nullptr, &frame), S_OK);
    // Three meshes of some megabytes each, every one with a named child after its block.
    for (std::uint32_t m = 0; m < 3; ++m) {
      const std::uint32_t vertices = 150000 + m * 1000;
      Block mesh;
      mesh.Dword(vertices);
      for (std::uint32_t v = 0; v < vertices; ++v)
        mesh.Floats({v * 0.5f, static_cast<float>(m), -1.0f * v});
      mesh.Dword(vertices - 2);
      for (std::uint32_t f = 0; f + 2 < vertices; ++f)
        mesh.Dword(3).Dword(f).Dword(f + 1).Dword(f + 2);
      SaveData* added = nullptr;
      std::string name = "Mesh" + std::to_string(m);
      ASSERT_EQ(
          frame->AddDataObject(tid::Mesh, name.c_str(), nullptr, mesh.size(), mesh.data(), &added),
          S_OK);
      Block texture;
      texture.String("after_" + name + ".png");
      ASSERT_EQ(added->AddDataObject(tid::TextureFilename, ("Tex" + name).c_str(), nullptr,
                                     texture.size(), texture.data(), nullptr),
                S_OK);
      added->Release();
    }
    frame->Release();
    ASSERT_EQ(save->Save(), S_OK) << save->LastError();
    {
      std::ofstream out(path, std::ios::binary);
      out << save->savedBytes();
    }
    auto fromMemory = MustRead(save->savedBytes());
    ReadResult fromDisk = ReadXFileAt(path);
    ASSERT_TRUE(fromMemory && fromDisk.ok()) << fromDisk.Describe();
    std::function<void(const DataObject&, const DataObject&)> same = [&](const DataObject& a,
                                                                         const DataObject& b) {
      EXPECT_EQ(a.name, b.name);
      EXPECT_TRUE(a.data == b.data) << a.name;
      ASSERT_EQ(a.children.size(), b.children.size());
      for (std::size_t i = 0; i < a.children.size(); ++i)
        same(*a.children[i].object, *b.children[i].object);
    };
    same(*fromMemory->objects[0], *fromDisk.document->objects[0]);
    const DataObject& last = *fromDisk.document->objects[0]->children[2].object;
    EXPECT_EQ(last.children[0].object->name, "TexMesh2");
  }
  raw->Release();
  std::filesystem::remove(path);
}

TEST(ReaderInputs, CaseInsensitiveNamesStillRefuseWhatIsMalformed) {
  auto failure = [](std::string_view bytes) { return ReadXFile(bytes).error; };
  EXPECT_NE(failure("xof 0303txt 0032\nTextureFileName { 12; }").find("expected a string"),
            std::string::npos);
  EXPECT_NE(failure("xof 0303txt 0032\nTextureFileNames { \"a\"; }").find("unknown template"),
            std::string::npos);
  EXPECT_NE(failure("xof 0303txt 0032\nframe X {").find("is not closed"), std::string::npos);
  // A file's own template that differs from a known one only by case makes the name ambiguous.
  std::string ambiguous =
      "xof 0303txt 0032\ntemplate FRAME {\n <11111111-2222-3333-4444-555555555555>\n DWORD a;\n}\n"
      "frame X { 1; }";
  EXPECT_NE(failure(ambiguous).find("several templates"), std::string::npos) << failure(ambiguous);
  // Exact spellings still pick their own template.
  auto exact = MustRead(ambiguous.substr(0, ambiguous.size() - 15) + "FRAME X { 1; }");
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->objects[0]->type->name, "FRAME");
}

// The exporter writes up to 1,000 levels of frames with a mesh and its material below the last.
TEST(ReaderInputs, ReadsTheDeepestHierarchiesTheWriterWrites) {
  XFile* file = NewRegisteredFile();
  for (DWORD format : {kFileFormatBinary, kFileFormatText, kFileFormatCompressed}) {
    SCOPED_TRACE(format);
    XofPtr<SaveObject> save;
    ASSERT_EQ(file->CreateMemorySaveObject(format, &save), S_OK);
    std::vector<SaveData*> frames(1001, nullptr);
    ASSERT_EQ(save->AddDataObject(tid::Frame, "F0", nullptr, 0, nullptr, &frames[0]), S_OK);
    for (std::size_t i = 1; i < frames.size(); ++i) {
      ASSERT_EQ(frames[i - 1]->AddDataObject(tid::Frame, ("F" + std::to_string(i)).c_str(), nullptr,
                                             0, nullptr, &frames[i]),
                S_OK);
    }
    Block material;
    material.Floats({1, 1, 1, 1, 10, 0, 0, 0, 0, 0, 0});
    SaveData* materialObject = nullptr;
    ASSERT_EQ(frames.back()->AddDataObject(tid::Material, "M", nullptr, material.size(),
                                           material.data(), &materialObject),
              S_OK);
    Block texture;
    texture.String("t.png");
    ASSERT_EQ(materialObject->AddDataObject(tid::TextureFilename, "", nullptr, texture.size(),
                                            texture.data(), nullptr),
              S_OK);
    materialObject->Release();
    for (SaveData* frame : frames) frame->Release();
    ASSERT_EQ(save->Save(), S_OK) << save->LastError();
    auto document = MustRead(save->savedBytes());
    ASSERT_TRUE(document);
    int depth = 0;
    for (const DataObject* at = document->objects[0].get(); !at->children.empty();
         at = at->children[0].object.get()) {
      ++depth;
    }
    EXPECT_EQ(depth, 1002);
  }
  file->Release();
}

// `plain` as raw deflate data, as a compressed file's block holds it after its "CK"; a block may
// refer back into `history`, the bytes before it.
std::string RawDeflate(const std::string& plain, std::string_view history = {}) {
  std::string packed(compressBound(static_cast<uLong>(plain.size())) + 16, '\0');
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  if (!history.empty()) {
    deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(history.data()),
                         static_cast<uInt>(history.size()));
  }
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(packed.data());
  z.avail_out = static_cast<uInt>(packed.size());
  deflate(&z, Z_FINISH);
  packed.resize(packed.size() - z.avail_out);
  deflateEnd(&z);
  return packed;
}

// Appends `v` to `file` in `bytes` little-endian bytes.
void Put(std::string& file, std::size_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) file += static_cast<char>(v >> (8 * i));
}

// A tzip file of one block holding `body` (text after the header), declaring `declared` bytes.
std::string CompressedText(const std::string& body, std::uint32_t declared) {
  const std::string packed = RawDeflate(body);
  std::string file = "xof 0303tzip0032";
  Put(file, declared, 4);
  Put(file, body.size(), 2);
  Put(file, packed.size() + 2, 2);
  return file + "CK" + packed;
}

TEST(ReaderInputs, CompressedFilesMayNotClaimMoreThanTheirBlocksHold) {
  std::string body = "\nFrame Root {\n}\n";
  auto total = [&](const std::string& text) {
    return static_cast<std::uint32_t>(16 + text.size());
  };
  ASSERT_TRUE(MustRead(CompressedText(body, total(body))));

  // A block unpacks to at most 32 KiB.
  std::string large = body + std::string(40000, ' ');
  ReadResult oversized = ReadXFile(CompressedText(large, total(large)));
  EXPECT_FALSE(oversized.ok());
  EXPECT_NE(oversized.error.find("more than 32768"), std::string::npos) << oversized.Describe();

  // A declared size beyond what the blocks hold is refused before anything is unpacked.
  ReadResult claims = ReadXFile(CompressedText(body, 0xFFFFFFFF));
  EXPECT_FALSE(claims.ok());
  EXPECT_NE(claims.error.find("more than the blocks hold"), std::string::npos) << claims.Describe();
  EXPECT_EQ(claims.errorOffset, 16u);
}

// Other writers may let a block refer back into the previous block's bytes (the MSZIP history);
// such blocks read the same as independent ones, and a broken one is still named.
TEST(ReaderInputs, CompressedBlocksMayReferBackIntoThePreviousBlock) {
  // Two blocks of the same text: the second deflated with the first as its dictionary, so that it
  // is almost nothing but a reference back.
  std::string frames;
  for (int i = 0; frames.size() < 20000; ++i)
    frames += " Frame F" + std::to_string(i % 50) + " {\n }\n";
  const std::string body = "\nFrame Root {\n" + frames + frames + "}\n";
  const std::size_t cut = body.size() - frames.size() - 2;
  std::string file = "xof 0303tzip0032";
  Put(file, 16 + body.size(), 4);
  for (int block = 0; block < 2; ++block) {
    const std::string plain = block == 0 ? body.substr(0, cut) : body.substr(cut);
    const std::string packed =
        RawDeflate(plain, block == 1 ? std::string_view(body).substr(0, cut) : std::string_view());
    Put(file, plain.size(), 2);
    Put(file, packed.size() + 2, 2);
    file += "CK" + packed;
  }
  auto referring = MustRead(file);
  auto independent = MustRead("xof 0303txt 0032" + body);
  ASSERT_TRUE(referring && independent);
  ASSERT_EQ(referring->objects.size(), 1u);
  EXPECT_EQ(referring->objects[0]->children.size(), independent->objects[0]->children.size());

  // A referring block that is broken (a reserved block type) is reported at that block.
  std::string broken = file;
  std::size_t secondBlock =
      20 + 4 + (static_cast<std::uint8_t>(file[22]) | static_cast<std::uint8_t>(file[23]) << 8);
  broken[secondBlock + 6] = static_cast<char>(0xFF);
  broken[secondBlock + 7] = static_cast<char>(0xFF);
  ReadResult result = ReadXFile(broken);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.errorOffset, secondBlock) << result.Describe();
}

// Binary faces are taken row by row straight out of their integer lists; a writer may cut its
// lists anywhere, put separators between them or give each value its own, and the block is the
// same as the text file's.
TEST(ReaderInputs, BinaryFacesReadTheSameWhereverTheirListsAreCut) {
  using namespace binary;
  const std::vector<std::uint32_t> faces = {3, 3, 0, 1, 2, 4, 0, 2, 3, 1, 0};
  auto mesh = [&](const std::vector<std::size_t>& cuts, bool separators) {
    std::string bytes = "xof 0303bin 0032";
    PutName(bytes, "Mesh");
    PutName(bytes, "M");
    PutCode(bytes, kOBrace);
    PutCode(bytes, kIntegerList);
    PutDword(bytes, 1);
    PutDword(bytes, 4);
    PutCode(bytes, kFloatList);
    PutDword(bytes, 12);
    for (int i = 0; i < 12; ++i) {
      float v = static_cast<float>(i);
      std::uint32_t bits;
      std::memcpy(&bits, &v, 4);
      PutDword(bytes, bits);
    }
    std::size_t from = 0;
    for (std::size_t to : cuts) {
      PutCode(bytes, kIntegerList);
      PutDword(bytes, static_cast<std::uint32_t>(to - from));
      for (std::size_t i = from; i < to; ++i) PutDword(bytes, faces[i]);
      if (separators) PutCode(bytes, kSemicolon);
      from = to;
    }
    PutCode(bytes, kCBrace);
    return bytes;
  };
  auto text = MustRead(
      "xof 0303txt 0032\nMesh M { 4; 0;1;2;, 3;4;5;, 6;7;8;, 9;10;11;; "
      "3; 3;0,1,2;, 4;0,2,3,1;, 0;;; }\n");
  ASSERT_TRUE(text);
  const DataBlock& expected = text->objects.at(0)->data;
  const std::vector<std::vector<std::size_t>> cutsOfEachFile = {
      {11},                                  // one list
      {1, 11},                               // the count apart
      {3, 11},                               // a row cut after its first corner
      {5, 7, 11},                            // a row cut twice
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};  // every value its own list
  for (bool separators : {false, true}) {
    for (const auto& cuts : cutsOfEachFile) {
      auto binary = MustRead(mesh(cuts, separators));
      ASSERT_TRUE(binary);
      EXPECT_EQ(binary->objects.at(0)->data, expected)
          << cuts.size() << " lists, separators " << separators;
    }
  }

  // A row claiming more corners than the file holds is refused as before.
  std::string bytes = mesh({11}, false);
  std::uint32_t huge = 1000;
  std::size_t at = bytes.size() - 2 - 4 * 6;  // the second row's count
  std::memcpy(&bytes[at], &huge, 4);
  ReadResult result = ReadXFile(bytes);
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.error.find("larger than the rest of the file"), std::string::npos)
      << result.Describe();
}

// A file read from disk in one buffer, large enough for the buffer to take whole pages of the
// largest size, is the file read from memory.
TEST(ReaderInputs, ALargeFileReadFromDiskIsTheFileInMemory) {
  std::string bytes = "xof 0303txt 0032\nMesh M { 300000;";
  for (int v = 0; v < 300000; ++v) bytes += " 1;2;3;" + std::string(v + 1 < 300000 ? "," : ";");
  bytes += " 1; 3;0,1,2;;; }\n";
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("xof_large_" + std::to_string(::getpid()) + ".x");
  std::ofstream(file, std::ios::binary) << bytes;
  ASSERT_GT(std::filesystem::file_size(file), 2u << 20);
  ReadResult fromDisk = ReadXFileAt(file);
  std::filesystem::remove(file);
  ASSERT_TRUE(fromDisk.ok()) << fromDisk.Describe();
  auto inMemory = MustRead(bytes);
  ASSERT_TRUE(inMemory);
  EXPECT_EQ(fromDisk.document->objects.at(0)->data, inMemory->objects.at(0)->data);
}

TEST(ReaderInputs, NamesThatAreNotRegularFilesAreRefusedWithoutReading) {
  std::filesystem::path fifo =
      std::filesystem::temp_directory_path() / ("xof_fifo_" + std::to_string(::getpid()));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Nothing ever writes to the pipe: a read that waited for it would never return.
  ReadResult pipe = ReadXFileAt(fifo);
  std::filesystem::remove(fifo);
  EXPECT_FALSE(pipe.ok());
  EXPECT_EQ(pipe.error, "is not a regular file");

  ReadResult device = ReadXFileAt("/dev/zero");
  EXPECT_FALSE(device.ok());
  EXPECT_EQ(device.error, "is not a regular file");
}

}  // namespace
}  // namespace xof::test
