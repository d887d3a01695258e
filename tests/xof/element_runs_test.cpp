// Arrays of small all-integer or all-float elements (faces, vectors) are read and checked as whole
// runs of values: they must give the same blocks, and the same refusals, as reading them member by
// member.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"
#include "xof/binary_tokens.h"
#include "xof/document_writer.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

void PutList(std::string& out, binary::Code code, const std::vector<std::uint32_t>& values) {
  binary::PutCode(out, code);
  binary::PutDword(out, static_cast<std::uint32_t>(values.size()));
  for (std::uint32_t v : values) binary::PutDword(out, v);
}

// A binary Mesh whose integers after the vertices (face count, faces) are cut into two lists at
// `cut`, and into one list per value when `cut` is 0.
std::string MeshWithFaceListsCutAt(const std::vector<std::uint32_t>& faceValues, std::size_t cut) {
  std::string file = "xof 0303bin 0032";
  binary::PutName(file, "Mesh");
  binary::PutCode(file, binary::kOBrace);
  PutList(file, binary::kIntegerList, {4});
  std::vector<std::uint32_t> vertices;
  for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 1.f, 0.f}) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    vertices.push_back(bits);
  }
  PutList(file, binary::kFloatList, vertices);
  if (cut == 0) {
    for (std::uint32_t v : faceValues) PutList(file, binary::kIntegerList, {v});
  } else {
    PutList(file, binary::kIntegerList, {faceValues.begin(), faceValues.begin() + cut});
    PutList(file, binary::kIntegerList, {faceValues.begin() + cut, faceValues.end()});
  }
  binary::PutCode(file, binary::kCBrace);
  return file;
}

TEST(ElementRuns, FacesReadTheSameWhereverTheirListsAreCut) {
  // Four faces of 3, 4, 0 and 3 indices, after the face count.
  const std::vector<std::uint32_t> faces = {4, 3, 0, 1, 2, 4, 0, 1, 2, 3, 0, 3, 1, 2, 3};
  auto text = MustRead(
      "xof 0303txt 0032\nMesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
      " 4; 3;0,1,2;, 4;0,1,2,3;, 0;;, 3;1,2,3;; }");
  ASSERT_TRUE(text);
  for (std::size_t cut = 0; cut < faces.size(); ++cut) {
    SCOPED_TRACE(cut);
    auto binary = MustRead(MeshWithFaceListsCutAt(faces, cut));
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->objects[0]->data, text->objects[0]->data);
  }
  // A face reaching past the end of the values is refused, however its list is cut.
  std::vector<std::uint32_t> tooLong = faces;
  tooLong.back() = 3;
  tooLong[tooLong.size() - 4] = 9;
  for (std::size_t cut : {std::size_t{0}, std::size_t{5}, tooLong.size() - 1}) {
    ReadResult result = ReadXFile(MeshWithFaceListsCutAt(tooLong, cut));
    EXPECT_FALSE(result.ok()) << cut;
  }
}

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
