// The scene file parser against the general JSON library the loader used before it, with the checks
// that ran ahead of that library: the same texts are accepted into the same values, and the same
// texts are refused at the same place with the same words.
#include "host/sim/scene_file/json_parser.h"

#include <gtest/gtest.h>

#include <bit>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/sim/scene_file/json_text.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"

namespace {

using sim::JsonDocument;
using sim::SceneFileError;
using Kind = JsonDocument::Kind;

// The checks that ran over the raw text ahead of the library: nesting deeper than the limit and a
// key repeated in one object (as written, escapes not decoded). Anything malformed is left to the
// library.
void ReferencePrescan(std::string_view text) {
  struct OpenValue {
    bool isObject = false;
    bool expectKey = false;
    std::string lastKey;
    std::size_t index = 0;
    std::unordered_set<std::string> keys;
  };
  std::vector<OpenValue> open;
  // The pointer of the innermost open value.
  auto pointer = [&open] {
    std::string result;
    for (std::size_t d = 0; d + 1 < open.size(); ++d) {
      result += "/" + (open[d].isObject ? sim::EscapePointerSegment(open[d].lastKey)
                                        : std::to_string(open[d].index));
    }
    return result;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      std::size_t end = i + 1;
      while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
      if (end >= text.size()) return;
      if (!open.empty() && open.back().isObject && open.back().expectKey) {
        std::string key(text.substr(i + 1, end - i - 1));
        if (!open.back().keys.insert(key).second) {
          throw SceneFileError("t.json",
                               pointer() + "/" + sim::EscapePointerSegment(key) + " (" +
                                   sim::DescribeTextPosition(text, i) + ")",
                               "the key \"" + key + "\" appears twice in one object");
        }
        open.back().lastKey = std::move(key);
        open.back().expectKey = false;
      }
      i = end;
    } else if (c == '{' || c == '[') {
      if (open.size() >= static_cast<std::size_t>(sim::SceneLimits::kMaxJsonDepth)) {
        throw SceneFileError("t.json", sim::DescribeTextPosition(text, i),
                             "arrays and objects nest deeper than " +
                                 std::to_string(sim::SceneLimits::kMaxJsonDepth) + " levels");
      }
      OpenValue& value = open.emplace_back();
      value.isObject = c == '{';
      value.expectKey = value.isObject;
    } else if ((c == '}' || c == ']') && !open.empty()) {
      open.pop_back();
    } else if (c == ',' && !open.empty()) {
      if (open.back().isObject) {
        open.back().expectKey = true;
      } else {
        ++open.back().index;
      }
    }
  }
}

// The old loader's reading: the prescan, then the library's parse with its message cut down to the
// problem and placed at the last byte read.
class ReferenceParser : public nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
 public:
  ReferenceParser(nlohmann::json& result, std::string_view text)
      : json_sax_dom_parser(result, true), text_(text) {}

  template <class Exception>
  bool parse_error(std::size_t position, const std::string&, const Exception& error) {
    std::string problem = error.what();
    std::size_t bracket = problem.find("] ");
    if (bracket != std::string::npos) problem = problem.substr(bracket + 2);
    std::size_t column = problem.find("column ");
    std::size_t colon = column == std::string::npos ? column : problem.find(": ", column);
    if (colon != std::string::npos) problem = problem.substr(colon + 2);
    if (problem.size() > 300) problem = problem.substr(0, 300) + "...";
    throw SceneFileError(
        "t.json", sim::DescribeTextPosition(text_, position > 0 ? position - 1 : 0), problem);
  }

 private:
  std::string_view text_;
};

nlohmann::json ReferenceParse(std::string_view text) {
  ReferencePrescan(text);
  nlohmann::json result;
  ReferenceParser parser(result, text);
  nlohmann::json::sax_parse(text, &parser);
  return result;
}

void ExpectSameValue(const nlohmann::json& expected, const JsonDocument& document,
                     JsonDocument::Index value, const std::string& where) {
  SCOPED_TRACE(where);
  Kind kind = document.KindOf(value);
  switch (expected.type()) {
    case nlohmann::json::value_t::null:
      EXPECT_EQ(kind, Kind::kNull);
      break;
    case nlohmann::json::value_t::boolean:
      EXPECT_EQ(kind, expected.get<bool>() ? Kind::kTrue : Kind::kFalse);
      break;
    case nlohmann::json::value_t::number_unsigned:
      ASSERT_EQ(kind, Kind::kUnsigned);
      EXPECT_EQ(document.Unsigned(value), expected.get<std::uint64_t>());
      break;
    case nlohmann::json::value_t::number_integer:
      ASSERT_EQ(kind, Kind::kSigned);
      EXPECT_EQ(document.Signed(value), expected.get<std::int64_t>());
      break;
    case nlohmann::json::value_t::number_float:
      ASSERT_EQ(kind, Kind::kFloat);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(document.Float(value)),
                std::bit_cast<std::uint64_t>(expected.get<double>()))
          << document.Float(value) << " against " << expected.get<double>();
      EXPECT_EQ(document.NumberText(value), expected.dump());
      break;
    case nlohmann::json::value_t::string:
      ASSERT_EQ(kind, Kind::kString);
      EXPECT_EQ(document.String(value), expected.get<std::string>());
      break;
    case nlohmann::json::value_t::array:
      ASSERT_EQ(kind, Kind::kArray);
      ASSERT_EQ(document.Size(value), expected.size());
      for (std::size_t i = 0; i < expected.size(); ++i) {
        ExpectSameValue(expected[i], document, document.Element(value, i),
                        where + "/" + std::to_string(i));
      }
      break;
    default: {
      ASSERT_EQ(kind, Kind::kObject);
      ASSERT_EQ(document.Size(value), expected.size());
      std::size_t i = 0;
      for (const auto& [key, member] : expected.items()) {
        EXPECT_EQ(document.Key(value, i), key);
        EXPECT_EQ(document.Find(value, key), document.MemberValue(value, i));
        ExpectSameValue(member, document, document.MemberValue(value, i), where + "/" + key);
        ++i;
      }
      EXPECT_EQ(document.Find(value, "no such key"), JsonDocument::kNotFound);
    }
  }
}

void ExpectSameReading(const std::string& text) {
  SCOPED_TRACE(testing::Message() << "text: " << testing::PrintToString(text.substr(0, 120)));
  std::string expectedError, actualError;
  nlohmann::json expected;
  try {
    expected = ReferenceParse(text);
  } catch (const SceneFileError& error) {
    expectedError = error.what();
  }
  try {
    JsonDocument document = sim::ParseJson(text, "t.json");
    if (expectedError.empty()) ExpectSameValue(expected, document, document.Root(), "");
  } catch (const SceneFileError& error) {
    actualError = error.what();
  }
  EXPECT_EQ(actualError, expectedError);
}

TEST(JsonParser, ReadsWhatTheLibraryReadAndRefusesWhatItRefused) {
  const std::vector<std::string> texts = {
      // Structure, and each way it breaks.
      "",
      " \r\n\t",
      "{}",
      "[]",
      "[[], {}, [[]]]",
      "[1,]",
      "[,1]",
      "{\"a\"}",
      "{\"a\":}",
      "{\"a\":1,}",
      "{,}",
      "{\"a\" 1}",
      "[1 2]",
      "{\"a\":1 \"b\":2}",
      "]",
      "}",
      ":",
      ",",
      "[1]x",
      "[1] [2]",
      "{\"a\":1}}",
      "[1]]",
      "[",
      "{",
      "{\"a\":",
      "{\"a\"",
      "[1,",
      "{1:2}",
      "\n\n  {\"a\":\n  [1,\n   2,,]}",
      // Literals.
      "true",
      "false",
      "null",
      "tru",
      "trux",
      "nul",
      "falsE",
      "[t]",
      "nulll",
      "x",
      "'a'",
      // Numbers: grammar, and values at the edges of the integer and float ranges.
      "-",
      "-a",
      "01",
      "-01",
      "1.",
      "1.e5",
      "1e",
      "1e+",
      "1E-5",
      ".5",
      "+1",
      "-0",
      "-0.0",
      "0e0",
      "1.5E+3",
      "0.173000",
      "-12.5e-3",
      "18446744073709551615",
      "18446744073709551616",
      "-9223372036854775808",
      "-9223372036854775809",
      "99999999999999999999",
      "12345678901234567890",
      "1e308",
      "1.7976931348623157e308",
      "1e309",
      "-1e309",
      "1e-400",
      "4.9e-324",
      "2.2250738585072014e-308",
      "123456789012345678901234567890",
      "0.1",
      "3.14159265358979323846",
      "1e22",
      "1e23",
      "9007199254740993",
      "9007199254740993.0",
      "0.30000000000000004",
      "100000000000000000000000e-10",
      "1e-22",
      "123e-25",
      "1e99999999999",
      "0.0000000000000000000000000000001",
      "[1e39, 3.5e38, 1e15, 1e16, 1e-5, 0.0001, 1.5e-7]",
      // Strings: escapes, surrogate pairs, control characters and UTF-8.
      "\"\\u0041\\u00e9\\u20AC\"",
      "\"\\ud83d\\ude00\"",
      "\"\\ud83d\"",
      "\"\\ud83dx\"",
      "\"\\ud83d\\u0041\"",
      "\"\\ud83d\\",
      "\"\\ude00\"",
      "\"\\u12\"",
      "\"\\u12g4\"",
      "\"\\x\"",
      "\"\\\"",
      "\"abc",
      "\"a\tb\"",
      "\"a\x01\"",
      "\"\x1f\"",
      "\"\x7f\"",
      "\"\\\\\\/\\b\\f\\n\\r\\t\"",
      "\"\xc3\xa9\"",
      "\"\xc3\"",
      "\"\xc3\x28\"",
      "\"\xe0\x80\x80\"",
      "\"\xe0\xa0\x80\"",
      "\"\xed\xa0\x80\"",
      "\"\xed\x9f\xbf\"",
      "\"\xf4\x90\x80\x80\"",
      "\"\xf4\x8f\xbf\xbf\"",
      "\"\xf0\x9f\x98\x80\"",
      "\"\xf0\x8f\xbf\xbf\"",
      "\"\xff\"",
      "\"\xc0\x80\"",
      "\"\x80\"",
      "\"\xe2\x82\"",
      "\"" + std::string(400, 'x') + "\x02\"",
      "{\"k\x01\": 1}",
      // Byte order marks.
      "\xEF\xBB\xBF{}",
      "\xEF\xBB{}",
      "\xEF",
      "\xEF\xBB",
      "\xEF\xBB\xBF",
      // Keys: order, the ones set to null, repeated ones and where they are told.
      "{\"b\":1,\"a\":2,\"c\":{\"z\":null,\"y\":[]},\"B\":3,\"\xc3\xa9\":4,\"~/\":5}",
      "{\"a\":1,\"a\":2}",
      "[0, {\"x\": [{\"k\":1, \"k\":2}]}]",
      "{\"a~/b\": {\"c\":1,\n\"c\":2}}",
      "{\"" + std::string(20, 'k') + "\":1}",
      // Nesting at the limit and beyond it.
      std::string(64, '[') + std::string(64, ']'),
      std::string(65, '[') + std::string(65, ']'),
      "{\"a\":" + std::string(63, '[') + std::string(63, ']') + "}",
      "{\"a\":" + std::string(64, '[') + std::string(64, ']') + "}",
      std::string(64, '[') + "1, 2" + std::string(64, ']'),
      std::string(65, '[') + "1" + std::string(65, ']'),
      // Short rows of numbers (points, faces), read in one step, and what ends one early.
      "[[1, 2, 3], [4,5,6,7], [8, 9, 10, 11, 12], [ -0 , 1.5e1 ], [0.25]]",
      "[[1, 2, 3], [4, \"x\", 6], [7, [8], 9], [1, 2, 3,], [1e999, 2], [1, 2 3]]",
      "[[1, 2, 3], [4, 5, 6e], [7, -]]",
      "[[1, 2, 3], [4, true], [null, 5], [{}], [[]], [1, 2, 3, 4]x]",
      "[[18446744073709551616, -9223372036854775809, 1]]",
      "[[1, 2",
      "[[1, 2,",
  };
  for (const std::string& text : texts) ExpectSameReading(text);

  // Runs of 1 to 24 digits before and after the point, read eight at a time where the text
  // allows, each ended differently.
  std::string numbers = "[";
  const std::string digits = "918273645091827364509182";
  for (std::size_t n = 1; n <= digits.size(); ++n) {
    for (const char* end : {",", " ,", "\n,", "e2,", "E-3 ,"}) {
      numbers += digits.substr(0, n) + end + "-0." + digits.substr(digits.size() - n) + end;
    }
  }
  ExpectSameReading(numbers + "0]");
  ExpectSameReading(numbers + "1.5x]");

  // Objects big enough to look for repeated keys in a hash set.
  std::string many = "{";
  for (int i = 0; i < 40; ++i) many += "\"k" + std::to_string(i) + "\": " + std::to_string(i) + ",";
  ExpectSameReading(many + "\"last\": 0}");
  ExpectSameReading(many + "\"k17\": 0}");
}

// Every cut and many single-byte changes of a text using every feature read alike.
TEST(JsonParser, DamagedTextsAreReadAlike) {
  const std::string good =
      "\xEF\xBB\xBF{\"format\": \"ruv-scene\", \"version\": 3,\n \"list\": [1, -2, 3.5e2, -0.25, "
      "18446744073709551615, true, false, null, \"t\\u00e9\\n\\ud83d\\ude00x\", \"\xc3\xa9\"],\n"
      " \"nested\": {\"b\": [[0.5, 1e-3], {}], \"a\": {\"x\": []}},\n"
      " \"rows\": [[1, 2, 3], [4.5, -6, 7, 8], [9, 10, 11, 12, 13]]}";
  for (std::size_t length = 0; length <= good.size(); ++length) {
    ExpectSameReading(good.substr(0, length));
  }
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (char replacement : std::string("\"}]{[,:0-e.\\ u\x01\xff")) {
      std::string damaged = good;
      damaged[i] = replacement;
      ExpectSameReading(damaged);
    }
  }
}

// A document of more values than one chunk holds (points and a flat list of 300k numbers) reads as
// the library reads it, across every chunk boundary.
TEST(JsonParser, DocumentsLargerThanAChunkReadAlike) {
  std::string text = "{\"points\": [";
  for (int i = 0; i < 100000; ++i) {
    text += (i ? ", [" : "[") + std::to_string(i) + ", " + std::to_string(i) + ".5, -" +
            std::to_string(i) + "]";
  }
  text += "], \"list\": [";
  for (int i = 0; i < 300000; ++i) text += (i ? ", " : "") + std::to_string(i * 3);
  text += "], \"last\": \"end\"}";
  ExpectSameReading(text);
}

// Long arrays of number rows are held packed, four bytes a number while each fits: they read as
// the library reads them, every number exactly, whether they stay packed, widen to eight bytes
// when a number needs it, or turn back into plain values when an element is not a row like the
// others, at the first row, at the threshold and late.
TEST(JsonParser, LongArraysOfRowsReadAlike) {
  auto rows = [](std::size_t count, const std::string& row) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i ? ", " : "") + row;
    return text;
  };
  // Decimals of up to six significant digits at every power a float gives back exactly, in
  // every spelling; the last one is a float's tie, whose plain digits would not read back.
  std::string compact = "[";
  std::uint64_t state = 12345;
  for (int i = 0; i < 3000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    auto digits = static_cast<long>((state >> 20) % 1000000);
    int power = static_cast<int>((state >> 50) % 45) - 22;
    std::string number = (i % 2 ? "-" : "") + std::to_string(digits);
    const std::string spellings[] = {number + "e" + std::to_string(power),
                                     number + ".000E" + std::to_string(power),
                                     "0." + std::to_string(digits) + "0"};
    compact += (i ? ", [" : "[") + spellings[i % 3] + ", " + spellings[(i + 1) % 3] + ", -0.0]";
  }
  ExpectSameReading(compact + ", [671089e2, 67108900.0, 0.000001]]");

  const std::string plain = "[1, -2.5, 0.25]";
  const std::string others[] = {
      "[4294967295, -2147483648, 999999e22]",  // the largest that fit four bytes
      "[4294967296, 1, 2]",                    // widen: an integer beyond 32 bits
      "[-2147483649, 1, 2]",
      "[1.2345678, 1, 2]",  // widen: seven significant digits
      "[1e-23, 1, 2]",
      "[18446744073709551615, 123456789012345678901234567890, 1e308]",
      "[1, 2]",  // other widths: back to plain values
      "[1, 2, 3, 4]",
      "[]",
      "[[1, 2, 3]]",
      "{\"a\": [1, 2, 3]}",
      "\"row\"",
      "7",
      "null",
  };
  for (const std::string& other : others) {
    SCOPED_TRACE(other);
    for (std::size_t before : {0, 1, 63, 64, 65, 200}) {
      ExpectSameReading("{\"a\": [" + rows(before, plain) + (before ? ", " : "") + other + ", " +
                        rows(70, plain) + "], \"b\": [" + rows(before, "[7, 8]") + "]}");
    }
  }
  // Rows of one to four numbers, arrays of them nested, and a broken row deep in a packed array.
  for (const std::string& row :
       {std::string("[5]"), std::string("[1, 2]"), plain, std::string("[1, -2, 3.5, 4e1]")}) {
    ExpectSameReading("[[" + rows(100, row) + "], [" + rows(65, row) + "], [" + rows(64, row) +
                      "]]");
  }
  ExpectSameReading("[" + rows(100, plain) + "]");
  ExpectSameReading("[" + rows(100, plain) + ", [1, 2,]]");
  ExpectSameReading("[" + rows(100, plain) + ", [1, 2, 3]");
  ExpectSameReading("[" + rows(100, plain) + ", [1, 2, 1e999]]");
}

// Where the new reading deliberately differs from the old one.
TEST(JsonParser, KeysAreComparedAsDecodedAndNulBytesAreRefused) {
  // The same key spelled twice, once with an escape: the old prescan compared the raw text and the
  // library then silently kept the last value.
  try {
    sim::ParseJson("{\"a\": 1, \"\\u0061\": 2}", "t.json");
    ADD_FAILURE() << "accepted";
  } catch (const SceneFileError& error) {
    EXPECT_EQ(error.Place(), "/a (line 1, column 10)");
    EXPECT_EQ(error.Problem(), "the key \"a\" appears twice in one object");
  }
  // The library took a NUL byte for the end of the text and ignored whatever followed it.
  EXPECT_THROW(sim::ParseJson(std::string("{}\0{", 4), "t.json"), SceneFileError);
  EXPECT_THROW(sim::ParseJson(std::string("[1,\0]", 5), "t.json"), SceneFileError);
}

}  // namespace
