// Arrays of small all-integer or all-float elements (faces, vectors) are read and checked as whole
// runs of values: they must give the same blocks, and the same refusals, as reading them member by
// member. (Faces cut across binary lists: reader_inputs_test.cpp.)
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"
#include "xof/document_writer.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

// Templates of the file's own whose elements are signed counts and values: a negative count or
// one larger than the file is refused by name, as a member read alone would be.
TEST(ElementRuns, SignedCountsInBinaryListsAreCheckedAsWhenReadOneByOne) {
  const std::string text =
      "xof 0303txt 0032\n"
      "template Pair {\n <11111111-2222-3333-4444-555555555555>\n SDWORD n;\n array SDWORD "
      "v[n];\n}\n"
      "template Holder {\n <11111111-2222-3333-4444-666666666666>\n DWORD c;\n array Pair "
      "p[c];\n}\n"
      "Holder { 3; 1; 7;, 2; -8, 9;, 0;;; }";
  auto document = MustRead(text);
  ASSERT_TRUE(document);
  MemorySink sink;
  std::string error;
  ASSERT_TRUE(WriteDocument(*document, FileFormat::Binary, sink, error)) << error;
  const std::string binary = sink.bytes();
  auto again = MustRead(binary);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->objects[0]->data, document->objects[0]->data);

  // The second pair's count (2, followed by -8 and 9) patched.
  std::string pattern(12, '\0');
  const std::int32_t second[3] = {2, -8, 9};
  std::memcpy(pattern.data(), second, 12);
  std::size_t at = binary.rfind(pattern);
  ASSERT_NE(at, std::string::npos);
  for (auto [count, message] : {std::pair<std::int32_t, const char*>{-1, "negative array size"},
                                {1000000, "larger than the rest of the file"}}) {
    std::string patched = binary;
    std::memcpy(patched.data() + at, &count, 4);
    ReadResult result = ReadXFile(patched);
    ASSERT_FALSE(result.ok()) << count;
    EXPECT_NE(result.error.find("Pair.v"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(message), std::string::npos) << result.error;
    // Reported where the reader stands: past the list holding the count, at the closing brace.
    EXPECT_EQ(result.errorOffset, binary.size() - 2) << result.error;
  }
}

// The save's check of a block names the member and the value that is wrong, whether it sits in a
// run of whole elements or not.
TEST(ElementRuns, TheSaveNamesTheValueThatIsWrongInsideARun) {
  XFile* raw = NewRegisteredFile();
  XofPtr<SaveObject> save;
  ASSERT_EQ(raw->CreateMemorySaveObject(kFileFormatBinary, &save), S_OK);
  raw->Release();

  const float nan = std::numeric_limits<float>::quiet_NaN();
  Block vertices;
  vertices.Dword(3).Floats({0, 0, 0, 1, 0, 0}).Floats({1, nan, 0});
  vertices.Dword(1).Dword(3).Dword(0).Dword(1).Dword(2);
  EXPECT_EQ(save->AddDataObject(tid::Mesh, "", nullptr, vertices.size(), vertices.data(), nullptr),
            XOF_E_NONFINITE);
  EXPECT_NE(save->LastError().find("byte 32: y: value 0 is NaN or infinite"), std::string::npos)
      << save->LastError();

  // Faces: the third claims more indices than the block holds.
  Block faces;
  faces.Dword(3).Floats({0, 0, 0, 1, 0, 0, 1, 1, 0});
  faces.Dword(3).Dword(3).Dword(0).Dword(1).Dword(2).Dword(3).Dword(2).Dword(1).Dword(0);
  faces.Dword(5).Dword(0).Dword(1);
  EXPECT_EQ(save->AddDataObject(tid::Mesh, "", nullptr, faces.size(), faces.data(), nullptr),
            XOF_E_BAD_DATA);
  EXPECT_NE(save->LastError().find("MeshFace.faceVertexIndices: 5 values need 20 bytes, 8 remain"),
            std::string::npos)
      << save->LastError();

  // A well-formed block of the same shape is taken, and written as one run of integers.
  faces.bytes().resize(faces.size() - 12);
  faces.Dword(2).Dword(0).Dword(1);
  ASSERT_EQ(save->AddDataObject(tid::Mesh, "", nullptr, faces.size(), faces.data(), nullptr), S_OK)
      << save->LastError();
  ASSERT_EQ(save->objects().back()->segments.size(), 3u);
  EXPECT_EQ(save->objects().back()->segments[2].count, 1u + 4 + 4 + 3);
}

}  // namespace
}  // namespace xof::test
