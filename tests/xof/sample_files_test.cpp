// The sample files: written by the DirectX library (the cube in three encodings, a skinned and
// animated model) and by another program. They are the strongest oracle of the writers' layout.
#include <gtest/gtest.h>

#include "test_support.h"
#include "xof/document_writer.h"
#include "xof/mszip.h"
#include "xof/template_sets.h"

namespace xof::test {
namespace {

std::string Convert(const XFileDocument& document, FileFormat format) {
  MemorySink sink;
  std::string error;
  EXPECT_TRUE(WriteDocument(document, format, sink, error)) << error;
  return sink.Take();
}

TEST(SampleFiles, CubeInEveryEncodingReadsToTheSameObjects) {
  auto text = MustRead(ReadSample("test_cube_text.x"));
  auto binary = MustRead(ReadSample("test_cube_binary.x"));
  auto compressed = MustRead(ReadSample("test_cube_compressed.x"));
  ASSERT_TRUE(text && binary && compressed);
  // The text holds six decimals of the binary's floats; the compressed file is the binary one.
  ExpectSameObjects(binary->objects, text->objects, kTextTolerance);
  ExpectSameObjects(binary->objects, compressed->objects, 0);
  EXPECT_EQ(binary->definedInFile.size(), 4u);
  EXPECT_EQ(binary->objects.size(), 3u);
}

TEST(SampleFiles, ReadWithoutSegmentsTheObjectsAreTheSameAndCarryNone) {
  std::string model = ReadSample("Testwuson.X");
  auto full = MustRead(model);
  ReadResult bare = ReadXFile(model, BuiltInTemplates(), ReadOptions{.segments = false});
  ASSERT_TRUE(full && bare.ok()) << bare.Describe();
  ExpectSameObjects(full->objects, bare.document->objects, 0);
  for (const auto& object : bare.document->objects) EXPECT_TRUE(object->segments.empty());
}

TEST(SampleFiles, CubeRewrittenMatchesTheLibraryByteForByte) {
  std::string binaryFile = ReadSample("test_cube_binary.x");
  std::string textFile = ReadSample("test_cube_text.x");
  auto cube = MustRead(binaryFile);
  ASSERT_TRUE(cube);
  EXPECT_EQ(Convert(*cube, FileFormat::Binary), binaryFile);
  EXPECT_EQ(Convert(*cube, FileFormat::Text), textFile);
  std::string compressed = Convert(*cube, FileFormat::Compressed);
  EXPECT_EQ(compressed.substr(0, 16), "xof 0303bzip0032");
  EXPECT_EQ(InflateMszip(compressed), binaryFile.substr(16));
}

TEST(SampleFiles, EverySampleConvertsToEachEncodingAndReadsBackEqual) {
  for (const char* name : {"test_cube_text.x", "test_cube_binary.x", "test_cube_compressed.x",
                           "Testwuson.X", "fromtruespace_bin32.x"}) {
    SCOPED_TRACE(name);
    auto original = MustRead(ReadSample(name));
    ASSERT_TRUE(original);
    for (FileFormat format : {FileFormat::Binary, FileFormat::Text, FileFormat::Compressed,
                              FileFormat::CompressedText}) {
      SCOPED_TRACE(static_cast<int>(format));
      auto again = MustRead(Convert(*original, format));
      ASSERT_TRUE(again);
      bool text = format == FileFormat::Text || format == FileFormat::CompressedText;
      ExpectSameObjects(original->objects, again->objects, text ? kTextTolerance : 0);
    }
  }
}

}  // namespace
}  // namespace xof::test
