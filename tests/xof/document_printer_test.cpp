// What `ruvx dump` prints: the tree as indented text and as JSON that scripts can rely on.
#include "xof/document_printer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "test_support.h"

namespace xof::test {
namespace {

TEST(DocumentPrinter, JsonCarriesTheTreeValuesAndReferences) {
  auto cube = MustRead(ReadSample("test_cube_compressed.x"));
  ASSERT_TRUE(cube);
  std::ostringstream out;
  PrintDocumentJson(*cube, out);
  nlohmann::json json = nlohmann::json::parse(out.str());
  EXPECT_EQ(json["header"]["text"], "xof 0303bzip0032");
  EXPECT_EQ(json["templatesDefined"].size(), 4u);
  const nlohmann::json& objects = json["objects"];
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0]["template"], "AnimTicksPerSecond");
  EXPECT_EQ(objects[0]["name"], "");
  EXPECT_EQ(objects[0]["members"]["AnimTicksPerSecond"], 24);
  EXPECT_FLOAT_EQ(objects[1]["members"]["power"].get<float>(), 96.07843f);
  const nlohmann::json& mesh = objects[2]["children"][1]["children"][1];
  EXPECT_EQ(mesh["template"], "Mesh");
  EXPECT_EQ(mesh["members"]["nVertices"], 24);
  EXPECT_EQ(mesh["members"]["faces"][11]["faceVertexIndices"], nlohmann::json({20, 21, 23}));
  const nlohmann::json& materialList = mesh["children"][3];
  EXPECT_EQ(materialList["template"], "MeshMaterialList");
  EXPECT_EQ(materialList["children"][0]["reference"], "Material");
  // Negative zero is a value of its own in a transform.
  EXPECT_TRUE(std::signbit(
      objects[2]["children"][0]["members"]["frameMatrix"]["matrix"][10].get<double>()));
}

TEST(DocumentPrinter, EightBitTextAndTheIndentedForm) {
  auto model = MustRead(ReadSample("Testwuson.X"));
  ASSERT_TRUE(model);
  std::ostringstream json;
  PrintDocumentJson(*model, json);  // holds Windows-1252 bytes that are not UTF-8
  nlohmann::json parsed;
  EXPECT_NO_THROW(parsed = nlohmann::json::parse(json.str()));

  std::ostringstream text;
  PrintDocumentText(*model, text);
  std::string dump = text.str();
  EXPECT_NE(dump.find("templates defined in the file: KeyValuePair Frame Matrix4x4"),
            std::string::npos);
  EXPECT_NE(dump.find("\n  Animation Anim-Wuson_Bind-ForeLeg_R_05 {\n    -> ForeLeg_R_05\n"),
            std::string::npos);
  EXPECT_NE(dump.find("keyType = 0\n"), std::string::npos);
}

}  // namespace
}  // namespace xof::test
