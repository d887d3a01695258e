#include "host/sim/scene_loader.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

#include "host/sim/app_settings_reader.h"
#include "host/sim/json_place.h"
#include "host/sim/json_prescan.h"
#include "host/sim/material_reader.h"
#include "host/sim/node_list_reader.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_limits.h"

namespace sim {

namespace {

constexpr const char* kFormatName = "ruv-scene";

std::string TooLarge(std::uintmax_t bytes) {
  return "the file holds " + std::to_string(bytes) + " bytes, more than the limit of " +
         std::to_string(SceneLimits::kMaxFileBytes);
}

// The library's document builder, with every parser failure (syntax, bad UTF-8, a number that
// overflows) turned into our error at the position the parser stopped; the library's own exception
// for an overflowing number carries no position.
class PositionedDomParser : public nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
 public:
  PositionedDomParser(nlohmann::json& result, std::string_view text, const std::string& sourceName)
      : json_sax_dom_parser(result, true), text_(text), sourceName_(sourceName) {}

  template <class Exception>
  bool parse_error(std::size_t position, const std::string&, const Exception& error) {
    // Drop the library's "[json.exception...] parse error at line L, column C: " lead-in.
    std::string problem = error.what();
    std::size_t bracket = problem.find("] ");
    if (bracket != std::string::npos) problem = problem.substr(bracket + 2);
    std::size_t column = problem.find("column ");
    std::size_t colon = column == std::string::npos ? column : problem.find(": ", column);
    if (colon != std::string::npos) problem = problem.substr(colon + 2);
    // The parser quotes what it last read, which may be a whole long string.
    constexpr std::size_t kLongestProblem = 300;
    if (problem.size() > kLongestProblem) problem = problem.substr(0, kLongestProblem) + "...";
    throw SceneFileError(sourceName_, DescribeTextPosition(text_, position > 0 ? position - 1 : 0),
                         problem);
  }

 private:
  std::string_view text_;
  const std::string& sourceName_;
};

nlohmann::json Parse(std::string_view text, const std::string& sourceName) {
  nlohmann::json result;
  PositionedDomParser parser(result, text, sourceName);
  nlohmann::json::sax_parse(text, &parser);
  return result;
}

// Returns the file's format version.
int ReadHeader(const JsonPlace& document) {
  JsonPlace format = document.Field("format");
  if (format.String() != kFormatName) {
    format.Fail(std::string("expected \"") + kFormatName + "\": this is not a scene file");
  }
  JsonPlace version = document.Field("version");
  long long number = version.Integer(1, INT32_MAX);
  if (number > kSceneFormatVersion) {
    version.Fail("version " + std::to_string(number) + " is newer than this program reads (up to " +
                 std::to_string(kSceneFormatVersion) + ")");
  }
  return static_cast<int>(number);
}

std::unique_ptr<SimScene> ReadDocument(const nlohmann::json& json, const std::string& sourceName,
                                       const std::filesystem::path& baseFolder) {
  JsonPlace document(json, "", sourceName);
  document.ExpectObject({"format", "version", "application", "materials", "root", "nodes"});
  int version = ReadHeader(document);
  RefuseLaterKeys(document, version, 4, {"materials"});
  SceneBuilder builder;
  if (auto application = document.OptionalField("application")) {
    ReadApplication(*application, baseFolder, builder);
  }
  MaterialTable materials = ReadMaterials(document.OptionalField("materials"), baseFolder);
  ReadNodes(document.OptionalField("root"), document.OptionalField("nodes"), version, materials,
            builder);
  return builder.Build();
}

}  // namespace

std::unique_ptr<SimScene> LoadSceneText(std::string_view text, const std::string& sourceName,
                                        const std::filesystem::path& baseFolder) {
  if (text.size() > SceneLimits::kMaxFileBytes) {
    throw SceneFileError(sourceName, "", TooLarge(text.size()));
  }
  std::error_code error;
  std::filesystem::path base = std::filesystem::absolute(
      baseFolder.empty() ? std::filesystem::path(".") : baseFolder, error);
  if (error) base = baseFolder;
  PrescanJson(text, sourceName);
  nlohmann::json json = Parse(text, sourceName);
  return ReadDocument(json, sourceName, base.lexically_normal());
}

std::unique_ptr<SimScene> LoadSceneFile(const std::filesystem::path& path) {
  std::string name = path.string();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw SceneFileError(name, "", "is a folder, not a scene file");
  }
  std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw SceneFileError(name, "", "cannot be read: " + error.message());
  if (size > SceneLimits::kMaxFileBytes) throw SceneFileError(name, "", TooLarge(size));
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(size))) {
    throw SceneFileError(name, "", "cannot be read");
  }
  std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
  if (error) folder = path.parent_path();
  return LoadSceneText(text, name, folder);
}

}  // namespace sim
