// Malformed input: the reader must fail with a message and an offset inside the input, never
// crash, hang, or allocate by a count it has not checked.
#include <gtest/gtest.h>

#include "test_support.h"
#include "xof/document_printer.h"
#include "xof/document_writer.h"

namespace xof::test {
namespace {

void ExpectFailure(std::string_view bytes, std::string_view messagePart) {
  ReadResult result = ReadXFile(bytes);
  ASSERT_FALSE(result.ok()) << "read unexpectedly: " << std::string(bytes.substr(0, 80));
  EXPECT_NE(result.error.find(messagePart), std::string::npos) << result.Describe();
}

TEST(ReaderRobustness, EveryTruncationOfTheCubeFailsCleanlyOrReadsAPrefix) {
  for (const char* name : {"test_cube_text.x", "test_cube_binary.x", "test_cube_compressed.x"}) {
    SCOPED_TRACE(name);
    std::string whole = ReadSample(name);
    for (std::size_t length = 0; length < whole.size(); ++length) {
      ReadResult result = ReadXFile(std::string_view(whole).substr(0, length));
      if (result.ok()) {
        // Cutting between top-level objects leaves a shorter, valid file.
        EXPECT_LT(result.document->objects.size(), 3u) << length;
      } else {
        EXPECT_FALSE(result.error.empty());
        EXPECT_LE(result.errorOffset, std::max<std::size_t>(length, 2816)) << length;
      }
    }
  }
}

TEST(ReaderRobustness, CorruptedBytesNeverCrash) {
  for (const char* name : {"test_cube_binary.x", "test_cube_text.x", "test_cube_compressed.x"}) {
    std::string original = ReadSample(name);
    for (std::size_t at = 16; at < original.size(); ++at) {
      for (unsigned char value : {0x00, 0xFF, 0x7B}) {
        std::string damaged = original;
        damaged[at] = static_cast<char>(value);
        ReadResult result = ReadXFile(damaged);
        if (result.ok()) {
          // Whatever was read must be printable.
          std::ostringstream out;
          PrintDocumentText(*result.document, out);
        }
      }
    }
  }
}

TEST(ReaderRobustness, HugeCountsAreCheckedBeforeAnyAllocation) {
  ExpectFailure("xof 0303txt 0032\nMesh M {\n 4000000000;\n 1.0;2.0;3.0;;\n}",
                "larger than the rest");
  ExpectFailure("xof 0303txt 0032\nFloatKeys {\n 4294967295;\n 1.0;\n}", "larger than the rest");
  // A binary integer list claiming 2^32 - 1 values.
  std::string binary = "xof 0303bin 0032";
  binary += std::string("\x01\x00\x0b\x00\x00\x00", 6) + "MeshNormals" +
            std::string("\x0a\x00\x06\x00\xff\xff\xff\xff", 8);
  ExpectFailure(binary, "runs past the end");
  // A compressed file whose blocks claim more than the declared size.
  std::string compressed = ReadSample("test_cube_compressed.x");
  compressed[16] = 0x10;
  compressed[17] = 0x00;
  ExpectFailure(compressed, "more than the declared size");
  compressed = ReadSample("test_cube_compressed.x");
  compressed[22] = static_cast<char>(0xFF);
  compressed[23] = static_cast<char>(0x7F);
  ExpectFailure(compressed, "does not fit the file");
}

TEST(ReaderRobustness, BadTokensAndStructureAreNamed) {
  ExpectFailure("xof 0303txt 0032\nFrame X {\n", "is not closed");
  ExpectFailure("xof 0303txt 0032\nNoSuchTemplate X {}", "unknown template 'NoSuchTemplate'");
  ExpectFailure("xof 0303txt 0032\nTextureFilename { \"open string; }", "closing quote");
  ExpectFailure("xof 0303txt 0032\nFrame X { <not-a-guid> }", "malformed GUID");
  ExpectFailure("xof 0303txt 0032\nAnimTicksPerSecond { 1.5; }", "expected an integer");
  ExpectFailure("xof 0303txt 0032\nXSkinMeshHeader { 70000; 1; 1; }", "does not fit a WORD");
  ExpectFailure("xof 0303txt 0032\nAnimTicksPerSecond { 1; 2; }", "unexpected number");
  ExpectFailure("xof 0303txt 0032\nFrame X { { } }", "reference without a name");
  ExpectFailure("xof 0304txt 0032\n", "unsupported version");
  ExpectFailure("xof 0303txt 0016\n", "unsupported float size");
  ExpectFailure("xof 0303zip 0032\n", "unknown encoding");
  ExpectFailure("xo", "shorter than");
  ExpectFailure(std::string("xof 0303bin 0032") + std::string("\x63\x00", 2),
                "unknown binary token code 99");
  std::string deep = "xof 0303txt 0032\n";
  for (int i = 0; i < 5000; ++i) deep += "Frame {";
  ExpectFailure(deep, "nested too deeply");
}

TEST(ReaderRobustness, VersionsFloatSizesAndSeparatorsThatReadersMeet) {
  // Version 0302, doubles in a 64-bit binary file, a GUID on an object and in a reference.
  std::string binary = "xof 0302bin 0064";
  auto word = [&](std::uint16_t v) { binary.append(reinterpret_cast<const char*>(&v), 2); };
  auto dword = [&](std::uint32_t v) { binary.append(reinterpret_cast<const char*>(&v), 4); };
  word(1);
  dword(20);
  binary += "FrameTransformMatrix";
  word(10);
  word(7);
  dword(16);
  for (int i = 0; i < 16; ++i) {
    double v = i * 0.5;
    binary.append(reinterpret_cast<const char*>(&v), 8);
  }
  word(11);
  auto document = MustRead(binary);
  ASSERT_TRUE(document);
  float last;
  std::memcpy(&last, document->objects[0]->data.data() + 60, 4);
  EXPECT_EQ(last, 7.5f);

  // Text without separators or with extra ones, comments, CRLF, an object GUID and a reference
  // GUID.
  auto text = MustRead(
      "xof 0303txt 0032\r\n// comment\r\n"
      "Frame F { <3d82ab46-62da-11cf-ab39-0020af71e433>\r\n"
      " FrameTransformMatrix { 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 }\r\n"
      " { Other <3d82ab46-62da-11cf-ab39-0020af71e433> }\r\n"
      "}\r\n# another comment\r\nSkinWeights { \"B\"; 0;;; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }");
  ASSERT_TRUE(text);
  ASSERT_EQ(text->objects.size(), 2u);
  EXPECT_TRUE(text->objects[0]->id.has_value());
  ASSERT_EQ(text->objects[0]->children.size(), 2u);
  EXPECT_TRUE(text->objects[0]->children[1].reference.id.has_value());
  EXPECT_EQ(text->objects[1]->data.size(), 2u + 4u + 64u);

  // GUIDs on objects and references survive every encoding.
  for (FileFormat format : {FileFormat::Binary, FileFormat::Text, FileFormat::Compressed}) {
    MemorySink sink;
    std::string error;
    ASSERT_TRUE(WriteDocument(*text, format, sink, error)) << error;
    auto again = MustRead(sink.bytes());
    ASSERT_TRUE(again);
    ExpectSameObjects(text->objects, again->objects, 0);
  }
}

}  // namespace
}  // namespace xof::test

namespace xof::test {
namespace {

TEST(ReaderRobustness, FilesThatCannotBeReadAreReportedWithoutAnOffset) {
  for (const std::string& path : {std::string(RUV_SOURCE_DIR) + "/tests/xof/data",
                                  std::string(RUV_SOURCE_DIR) + "/tests/xof/data/missing.x"}) {
    ReadResult result = ReadXFileAt(path);
    EXPECT_FALSE(result.ok()) << path;
    EXPECT_FALSE(result.errorHasOffset);
    EXPECT_EQ(result.Describe().find("byte"), std::string::npos) << result.Describe();
  }
  EXPECT_TRUE(ReadXFileAt(SamplePath("test_cube_binary.x")).ok());
}

}  // namespace
}  // namespace xof::test
