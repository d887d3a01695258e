#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "xof/member_values.h"
#include "xof/template_sets.h"

namespace xof::test {

std::string SamplePath(std::string_view name) {
  return std::string(RUV_SOURCE_DIR) + "/tests/xof/data/" + std::string(name);
}

std::string ReadSample(std::string_view name) {
  std::ifstream file(SamplePath(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

XFile* NewRegisteredFile() {
  XFile* file = nullptr;
  EXPECT_EQ(XFile::Create(&file), S_OK);
  for (std::string_view set :
       {StandardTemplateSet(), SkinningTemplateSet(), VertexDataTemplateSet()}) {
    EXPECT_EQ(file->RegisterTemplates(set.data(), set.size()), S_OK) << file->LastError();
  }
  return file;
}

namespace {

void ExpectSameValue(const MemberValue& a, const MemberValue& b, double tolerance,
                     const std::string& where) {
  ASSERT_EQ(a.kind, b.kind) << where;
  ASSERT_EQ(a.name, b.name) << where;
  switch (a.kind) {
    case MemberValue::Kind::Integer:
      EXPECT_EQ(a.integer, b.integer) << where;
      break;
    case MemberValue::Kind::Float:
      if (tolerance == 0) {
        EXPECT_EQ(a.real, b.real) << where;
      } else {
        // Plus the float's own rounding when the printed value is read back.
        EXPECT_NEAR(a.real, b.real, tolerance + std::fabs(a.real) * 0x1p-23) << where;
      }
      break;
    case MemberValue::Kind::String:
      EXPECT_EQ(a.text, b.text) << where;
      break;
    default:
      ASSERT_EQ(a.items.size(), b.items.size()) << where;
      for (std::size_t i = 0; i < a.items.size(); ++i) {
        ExpectSameValue(a.items[i], b.items[i], tolerance,
                        where + "." + a.name + "[" + std::to_string(i) + "]");
      }
  }
}

void ExpectSameObject(const DataObject& a, const DataObject& b, double tolerance) {
  std::string where = a.type->name + " '" + a.name + "'";
  ASSERT_EQ(a.type->id, b.type->id) << where << " vs " << b.type->name;
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.id, b.id) << where;
  if (tolerance == 0) {
    EXPECT_EQ(a.data, b.data) << where;
  }
  std::vector<MemberValue> va = DecodeMembers(a), vb = DecodeMembers(b);
  ASSERT_EQ(va.size(), vb.size()) << where;
  for (std::size_t i = 0; i < va.size(); ++i) ExpectSameValue(va[i], vb[i], tolerance, where);
  ASSERT_EQ(a.children.size(), b.children.size()) << where;
  for (std::size_t i = 0; i < a.children.size(); ++i) {
    ASSERT_EQ(a.children[i].IsReference(), b.children[i].IsReference()) << where;
    if (a.children[i].IsReference()) {
      EXPECT_EQ(a.children[i].reference.name, b.children[i].reference.name) << where;
      EXPECT_EQ(a.children[i].reference.id, b.children[i].reference.id) << where;
    } else {
      ExpectSameObject(*a.children[i].object, *b.children[i].object, tolerance);
    }
  }
}

}  // namespace

void ExpectSameObjects(const DataObjectList& expected, const DataObjectList& actual,
                       double tolerance) {
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    ExpectSameObject(*expected[i], *actual[i], tolerance);
}

std::unique_ptr<XFileDocument> MustRead(std::string_view bytes) {
  ReadResult result = ReadXFile(bytes);
  EXPECT_TRUE(result.ok()) << result.Describe();
  return std::move(result.document);
}

}  // namespace xof::test
