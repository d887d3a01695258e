#include "model_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "platform/file_system.h"
#include "xof/file_reader.h"

namespace ruvx {
namespace {

using nlohmann::json;

constexpr const char* kStatusNames[] = {"exported", "incomplete", "refused", "failed"};
constexpr std::uintmax_t kMaxRecordBytes = 16u * 1024u * 1024u;

// The STRING that starts an object's data (a texture's file name, a bone's name).
std::string LeadingString(const xof::DataObject& object) {
  const auto* begin = reinterpret_cast<const char*>(object.data.data());
  return std::string(begin, strnlen(begin, object.data.size()));
}

// Mesh { DWORD nVertices; Vector vertices[nVertices]; DWORD nFaces; ... }, packed.
long MeshFaceCount(const xof::DataObject& mesh) {
  std::uint32_t vertices = 0, faces = 0;
  if (mesh.data.size() < 4) return 0;
  std::memcpy(&vertices, mesh.data.data(), 4);
  std::size_t at = 4 + 12 * static_cast<std::size_t>(vertices);
  if (at + 4 > mesh.data.size()) return 0;
  std::memcpy(&faces, mesh.data.data() + at, 4);
  return faces;
}

struct Counter {
  OutputCounts counts;
  std::set<std::string> bones;
  std::set<std::string> textures;

  void Visit(const xof::DataObject& object) {
    const std::string& type = object.type ? object.type->name : object.typeSpelling;
    if (type == "Frame") ++counts.frames;
    if (type == "Mesh") {
      ++counts.meshes;
      counts.faces += MeshFaceCount(object);
    }
    if (type == "AnimationSet") ++counts.animationSets;
    if (type == "SkinWeights") bones.insert(LeadingString(object));
    if (type == "TextureFilename") textures.insert(LeadingString(object));
    for (const xof::DataChild& child : object.children) {
      if (child.object) Visit(*child.object);
    }
  }
};

json LinesJson(const std::vector<std::string>& lines) {
  json list = json::array();
  for (std::size_t i = 0; i < lines.size() && i < kMaxRecordLines; ++i) list.push_back(lines[i]);
  if (lines.size() > kMaxRecordLines) {
    list.push_back("... and " + std::to_string(lines.size() - kMaxRecordLines) + " more lines");
  }
  return list;
}

}  // namespace

const char* StatusName(ModelStatus status) { return kStatusNames[static_cast<int>(status)]; }

std::optional<ModelStatus> StatusOfName(const std::string& name) {
  for (int i = 0; i < 4; ++i) {
    if (name == kStatusNames[i]) return static_cast<ModelStatus>(i);
  }
  return std::nullopt;
}

ModelStatus StatusOfExit(int exitStatus) {
  switch (exitStatus) {
    case 0:
      return ModelStatus::kExported;
    case 6:
      return ModelStatus::kIncomplete;
    case 3:
      return ModelStatus::kRefused;
    default:
      return ModelStatus::kFailed;
  }
}

std::string RecordJson(const ModelRecord& record) {
  json out = {{"input", record.input},
              {"output", record.output},
              {"status", StatusName(record.status)},
              {"exitStatus", record.exitStatus},
              {"reason", record.reason},
              {"warnings", LinesJson(record.warnings)},
              {"seconds", record.seconds},
              {"cpuSeconds", record.cpuSeconds},
              {"peakKilobytes", record.peakKilobytes},
              {"preview", record.preview}};
  if (record.counts) {
    const OutputCounts& c = *record.counts;
    out["counts"] = {{"frames", c.frames},
                     {"meshes", c.meshes},
                     {"faces", c.faces},
                     {"bones", c.bones},
                     {"animationSets", c.animationSets},
                     {"texturesWritten", c.texturesWritten}};
  } else {
    out["counts"] = nullptr;
  }
  // A file name that is not UTF-8 is shown with replacement characters rather than refused.
  return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

ModelRecord RecordOfJson(const std::string& text) {
  json in = json::parse(text, nullptr, false);
  if (in.is_discarded() || !in.is_object()) throw std::runtime_error("not a JSON object");
  ModelRecord record;
  try {
    record.input = in.at("input").get<std::string>();
    record.output = in.at("output").get<std::string>();
    std::optional<ModelStatus> status = StatusOfName(in.at("status").get<std::string>());
    if (!status) throw std::runtime_error("unknown status \"" + in.at("status").dump() + "\"");
    record.status = *status;
    record.exitStatus = in.value("exitStatus", -1);
    record.reason = in.value("reason", "");
    record.warnings = in.value("warnings", std::vector<std::string>());
    record.seconds = in.value("seconds", 0.0);
    record.cpuSeconds = in.value("cpuSeconds", 0.0);
    record.peakKilobytes = in.value("peakKilobytes", 0L);
    record.preview = in.value("preview", "");
    if (in.contains("counts") && in["counts"].is_object()) {
      const json& c = in["counts"];
      record.counts = OutputCounts{c.value("frames", 0L),        c.value("meshes", 0L),
                                   c.value("faces", 0L),         c.value("bones", 0L),
                                   c.value("animationSets", 0L), c.value("texturesWritten", 0L)};
    }
  } catch (const json::exception& failure) {
    // nlohmann's messages start with their own tag: "[json.exception.type_error.302] ...".
    const char* what = failure.what();
    const char* text = std::strchr(what, ']');
    throw std::runtime_error(text ? text + 2 : what);
  }
  return record;
}

std::optional<std::string> WriteRecordFile(const std::filesystem::path& path,
                                           const ModelRecord& record) {
  std::string text = RecordJson(record);
  // Whole, by a rename over the old record; not flushed to the disk, and without looking through
  // the folder for what others left, as a batch keeps many records in one folder.
  std::filesystem::path part = path;
  part += ".part-" + std::to_string(::getpid());
  // A new file each time, so that nothing found under the name (a pipe) is opened.
  ::unlink(part.c_str());
  int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  bool written = fd >= 0;
  for (std::size_t done = 0; written && done < text.size();) {
    ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    written = wrote > 0;
    done += written ? static_cast<std::size_t>(wrote) : 0;
  }
  int error = written ? 0 : errno;
  if (fd >= 0 && ::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(part.c_str(), path.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    ::unlink(part.c_str());
    return "cannot write " + path.string() + ": " + std::strerror(error);
  }
  return std::nullopt;
}

ModelRecord ReadRecordFile(const std::filesystem::path& path) {
  std::string problem;
  std::optional<std::string> text = platform::ReadWholeFile(path, &problem, kMaxRecordBytes);
  if (!text) {
    throw std::runtime_error(path.string() + ": " +
                             (problem.empty() ? std::string("does not exist") : problem));
  }
  try {
    return RecordOfJson(*text);
  } catch (const std::exception& failure) {
    throw std::runtime_error(path.string() + ": not a model record: " + failure.what());
  }
}

std::optional<OutputCounts> CountOutput(const std::filesystem::path& xfile) {
  xof::ReadResult read = xof::ReadXFileAt(xfile);
  if (!read.ok()) return std::nullopt;
  Counter counter;
  for (const auto& object : read.document->objects) counter.Visit(*object);
  std::filesystem::path folder = xfile.parent_path();
  for (const std::string& name : counter.textures) {
    // The exporter writes texture names as the host's paths, relative to the .x file.
    std::string native = name;
    for (char& c : native) c = c == '\\' ? '/' : c;
    std::error_code error;
    if (!native.empty() &&
        std::filesystem::is_regular_file(folder / std::filesystem::path(native), error)) {
      ++counter.counts.texturesWritten;
    }
  }
  counter.counts.bones = static_cast<long>(counter.bones.size());
  return counter.counts;
}

}  // namespace ruvx
