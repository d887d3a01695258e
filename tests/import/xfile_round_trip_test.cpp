// `.x` files through the importer and back. Files the exporter wrote come back as they were:
// exported again with the same options and encoding, every record, name, reference, integer and
// string is the same and every float within 1e-5 of its record's largest value (what the exporter
// recomputes rather than copies: docs/import.md, "Round trips"). Files of other programs keep their
// counts and poses through import -> export -> import.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "host/inode.h"
#include "host/sim/import/model_repair.h"
#include "host/sim/import/xfile_reader.h"
#include "host/tri_object.h"
#include "import_test_support.h"
#include "platform/text_encoding.h"
#include "xof/file_reader.h"
#include "xof/object_values.h"

namespace {

namespace fs = std::filesystem;

const char* const kEncodings[] = {"text", "binary", "compressed"};

// Every difference between two documents beyond what the round trip may change, one line each.
class DocumentComparison {
 public:
  std::vector<std::string> Compare(const xof::XFileDocument& a, const xof::XFileDocument& b) {
    CompareLists(a.objects, b.objects, "");
    return differences_;
  }

 private:
  void Differ(const std::string& where, const std::string& what) {
    if (differences_.size() < 20) differences_.push_back(where + ": " + what);
  }

  void CompareLists(const xof::DataObjectList& a, const xof::DataObjectList& b,
                    const std::string& where) {
    if (a.size() != b.size()) Differ(where, "object count " + Count(a.size(), b.size()));
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) Compare(*a[i], *b[i], where);
  }

  static std::string Count(std::size_t a, std::size_t b) {
    return std::to_string(a) + " against " + std::to_string(b);
  }

  void Compare(const xof::DataObject& a, const xof::DataObject& b, const std::string& parent) {
    std::string where = parent + "/" + a.type->name + (a.name.empty() ? "" : " " + a.name);
    if (a.type->id != b.type->id || a.name != b.name) {
      Differ(where, "is " + b.type->name + " " + b.name + " in the second file");
      return;
    }
    xof::ObjectValues va(a), vb(b);
    float scale = 1.0f;
    for (std::size_t m = 0; m < a.type->members.size(); ++m) {
      for (float v : va.Member(m).floats) scale = std::max(scale, std::fabs(v));
    }
    for (std::size_t m = 0; m < a.type->members.size(); ++m) {
      const auto &ma = va.Member(m), &mb = vb.Member(m);
      if (ma.integers != mb.integers) Differ(where, "integers of member " + std::to_string(m));
      if (ma.strings != mb.strings) Differ(where, "strings of member " + std::to_string(m));
      if (ma.floats.size() != mb.floats.size()) {
        Differ(where, "float count of member " + std::to_string(m));
        continue;
      }
      for (std::size_t i = 0; i < ma.floats.size(); ++i) {
        if (std::fabs(ma.floats[i] - mb.floats[i]) > 1e-5f * scale) {
          Differ(where, "member " + std::to_string(m) + " value " + std::to_string(i) + ": " +
                            std::to_string(ma.floats[i]) + " against " +
                            std::to_string(mb.floats[i]));
          break;
        }
      }
    }
    if (a.children.size() != b.children.size()) {
      Differ(where, "child count " + Count(a.children.size(), b.children.size()));
      return;
    }
    for (std::size_t c = 0; c < a.children.size(); ++c) {
      const xof::DataChild &ca = a.children[c], &cb = b.children[c];
      if (ca.IsReference() != cb.IsReference()) {
        Differ(where, "child " + std::to_string(c) + " is a reference in one file only");
      } else if (ca.IsReference()) {
        if (ca.reference.name != cb.reference.name) Differ(where, "reference " + std::to_string(c));
      } else {
        Compare(*ca.object, *cb.object, where);
      }
    }
  }

  std::vector<std::string> differences_;
};

std::unique_ptr<xof::XFileDocument> Read(const fs::path& path) {
  xof::ReadResult read = xof::ReadXFileAt(path);
  EXPECT_TRUE(read.ok()) << path << ": " << read.Describe();
  return std::move(read.document);
}

struct Source {
  const char* name;
  std::string first;  // the arguments of ruvx that write the first file, before its path
};

// The demo, every example that exports (hierarchy.json holds no object and writes no file) and
// the example models.
std::vector<Source> Sources() {
  fs::path examples = fs::path(RUV_SOURCE_DIR) / "examples";
  std::vector<Source> sources{{"demo", "demo"}};
  for (const char* name : {"animation", "materials", "meshes", "node-kinds", "skinned-animated",
                           "skinned-character", "world-space"}) {
    sources.push_back({name, "export " + (examples / (std::string(name) + ".json")).string()});
  }
  for (const char* model :
       {"textured-box.gltf", "textured-box.glb", "two-primitives.gltf", "two-bone-arm.gltf"}) {
    sources.push_back({model, "export " + (test::kModels / model).string()});
  }
  return sources;
}

class ExporterFileRoundTrip : public testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(ExporterFileRoundTrip, ComesBackAsItWasButForTheFloatsTheExporterRecomputes) {
  auto [index, encoding] = GetParam();
  Source source = Sources()[index];
  test::TempFolder folder(std::string("x-round-") + std::to_string(index) + "-" +
                          std::to_string(encoding));
  fs::create_directories(folder.Path() / "a");
  fs::create_directories(folder.Path() / "b");
  fs::path first = folder.Path() / "a" / "out.x", second = folder.Path() / "b" / "out.x";
  std::string options =
      std::string(" --format ") + kEncodings[encoding] + " --config-dir " + folder.Path().string();
  test::RuvxResult run = test::Ruvx(source.first + " " + first.string() + options);
  ASSERT_EQ(run.status, 0) << run.output;
  run = test::Ruvx("export " + first.string() + " " + second.string() + options);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find("warning"), std::string::npos)
      << "the exporter's own file holds nothing the host cannot: " << run.output;
  if (test::ReadAll(first) == test::ReadAll(second)) return;
  auto a = Read(first), b = Read(second);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->header.binary, b->header.binary);
  EXPECT_EQ(a->header.compressed, b->header.compressed);
  for (const std::string& line : DocumentComparison().Compare(*a, *b)) ADD_FAILURE() << line;
}

INSTANTIATE_TEST_SUITE_P(EveryExampleInEveryEncoding, ExporterFileRoundTrip,
                         testing::Combine(testing::Range<std::size_t>(0, Sources().size()),
                                          testing::Range(0, 3)),
                         [](const testing::TestParamInfo<ExporterFileRoundTrip::ParamType>& info) {
                           std::string name = std::string(Sources()[std::get<0>(info.param)].name) +
                                              "_" + kEncodings[std::get<1>(info.param)];
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// What a scene holds, counted, and every node's world transform at five times of each clip.
struct Census {
  std::map<std::string, std::size_t> counts;
  std::map<std::pair<std::size_t, std::wstring>, std::set<long>> keyTimes;
  std::vector<std::vector<Matrix3>> poses;  // per time, per node in tree order
  float diagonal = 0;
};

void Walk(INode* node, std::vector<INode*>& out) {
  for (int c = 0; c < node->NumberOfChildren(); ++c) {
    out.push_back(node->GetChildNode(c));
    Walk(node->GetChildNode(c), out);
  }
}

Census Take(const fs::path& file) {
  sim::import::ImportedScene imported = test::Import(file);
  Census census;
  // Materials, bones and keys as the host takes them (a mesh skinned to its own node alone is
  // made rigid).
  sim::import::ImportedModel model = sim::import::ReadXFileModel(file, file.string(), {});
  sim::import::RepairModel(model);
  census.counts["materials"] = model.materials.size();
  for (const auto& node : model.nodes) {
    bool weighted = std::any_of(node.parts.begin(), node.parts.end(), [&](int part) {
      return !model.parts[static_cast<std::size_t>(part)].influences.empty();
    });
    if (node.skin >= 0 && weighted) {
      census.counts["bones"] += model.skins[static_cast<std::size_t>(node.skin)].joints.size();
    }
  }
  // Key times per set and frame, in ticks, with the set's ends (where the export puts keys too).
  for (std::size_t a = 0; a < model.animations.size(); ++a) {
    long end = 0;
    for (const auto& channel : model.animations[a].channels) {
      for (float t : channel.times) end = std::max(end, std::lround(t * 4800.0));
    }
    end = (end + 159) / 160 * 160;
    for (const auto& channel : model.animations[a].channels) {
      // A skinned mesh moves with its bones alone: its frame's keys are not written.
      const auto& node = model.nodes[static_cast<std::size_t>(channel.node)];
      if (node.skin >= 0) continue;
      std::set<long>& times =
          census.keyTimes[{a, model.nodes[static_cast<std::size_t>(channel.node)].name}];
      times.insert({0L, end});
      for (float t : channel.times) times.insert(std::lround(t * 4800.0));
    }
  }
  std::vector<INode*> nodes;
  Walk(imported.scene->Host().GetRootNode(), nodes);
  census.counts["frames"] = nodes.size();
  Point3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
  for (INode* node : nodes) {
    // Meshes only: a frame without one is a bone, whose object is geometry too.
    Object* object = node->GetObjectRef();
    if (!object || object->FindBaseObject()->ClassID() != TRIOBJ_CLASS_ID) continue;
    Mesh mesh = test::MeshOf(node);
    if (mesh.verts.empty()) continue;
    ++census.counts["meshes"];
    census.counts["vertices"] += mesh.verts.size();
    census.counts["faces"] += mesh.faces.size();
    Matrix3 world = node->GetObjectTM(0);
    for (const Point3& vertex : mesh.verts) {
      Point3 p = vertex * world;
      low = Point3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
      high = Point3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
  }
  census.diagonal = Length(high - low);
  census.counts["clips"] = imported.clips.size();
  for (const auto& clip : imported.clips) {
    int start = clip.startFrame * 160, end = clip.endFrame * 160;
    for (int t : {start, start + (end - start) / 3, start + (end - start) / 2 + 80,
                  start + (end - start) * 3 / 4 + 53, end}) {
      std::vector<Matrix3>& pose = census.poses.emplace_back();
      for (INode* node : nodes) pose.push_back(node->GetNodeTM(TimeValue{t}));
    }
  }
  return census;
}

struct Sample {
  const char* name;
  fs::path path;
};

std::vector<Sample> Samples() {
  fs::path data = fs::path(RUV_SOURCE_DIR) / "tests" / "xof" / "data";
  fs::path assimp = test::kAssimpModels / "X";
  return {{"CubeText", data / "test_cube_text.x"},
          {"CubeBinary", data / "test_cube_binary.x"},
          {"CubeCompressed", data / "test_cube_compressed.x"},
          {"Wuson", data / "Testwuson.X"},
          {"TrueSpace", data / "fromtruespace_bin32.x"},
          {"AnimTest", assimp / "anim_test.x"},
          {"Epileptic", assimp / "BCN_Epileptic.X"},
          {"ColoredCube", assimp / "kwxport_test_cubewithvcolors.x"},
          {"Test", assimp / "test.x"}};
}

class OtherProgramsFile : public testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(OtherProgramsFile, KeepsItsCountsAndPosesThroughExportAndImport) {
  auto [index, encoding] = GetParam();
  Sample sample = Samples()[index];
  REQUIRE_ASSIMP_MODEL(sample.path);
  test::TempFolder folder(std::string("x-sample-") + std::to_string(index) + "-" +
                          std::to_string(encoding));
  fs::path exported = folder.Path() / "out.x";
  test::RuvxResult run = test::Ruvx("export " + sample.path.string() + " " + exported.string() +
                                    " --set KeyOptimizeLevel=0 --format " + kEncodings[encoding] +
                                    " --config-dir " + folder.Path().string());
  ASSERT_EQ(run.status, 0) << run.output;
  Census before = Take(sample.path), after = Take(exported);
  EXPECT_EQ(before.counts, after.counts);
  // Every key time of the source, frame by frame (with KeyOptimizeLevel=0 none is merged away);
  // the exporter adds keys only on whole frames, where it samples a node whose lists hold too
  // few keys of their own.
  for (const auto& [part, times] : before.keyTimes) {
    auto exported = after.keyTimes.find(part);
    ASSERT_NE(exported, after.keyTimes.end())
        << sample.name << ": set " << part.first << " frame " << platform::WideToUtf8(part.second);
    EXPECT_TRUE(
        std::includes(exported->second.begin(), exported->second.end(), times.begin(), times.end()))
        << sample.name << ": set " << part.first;
    for (long t : exported->second) {
      EXPECT_TRUE(times.count(t) || t % 160 == 0) << sample.name << ": set " << part.first;
    }
  }
  ASSERT_EQ(before.poses.size(), after.poses.size());
  ASSERT_GT(before.diagonal, 0.0f);
  const float tolerance = 1e-4f * before.diagonal;
  for (std::size_t t = 0; t < before.poses.size(); ++t) {
    ASSERT_EQ(before.poses[t].size(), after.poses[t].size());
    for (std::size_t n = 0; n < before.poses[t].size(); ++n) {
      const Matrix3 &a = before.poses[t][n], &b = after.poses[t][n];
      // The origin and where the node's axes reach, at the model's own size.
      for (int row = 0; row < 4; ++row) {
        Point3 pa = row < 3 ? a.GetRow(row) * before.diagonal : a.GetTrans();
        Point3 pb = row < 3 ? b.GetRow(row) * before.diagonal : b.GetTrans();
        EXPECT_LE(Length(pa - pb), tolerance * (row < 3 ? 10.0f : 1.0f))
            << sample.name << ": node " << n << " at pose " << t << ", row " << row;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SamplesInEveryEncoding, OtherProgramsFile,
                         testing::Combine(testing::Range<std::size_t>(0, Samples().size()),
                                          testing::Range(0, 3)),
                         [](const testing::TestParamInfo<OtherProgramsFile::ParamType>& info) {
                           return std::string(Samples()[std::get<0>(info.param)].name) + "_" +
                                  kEncodings[std::get<1>(info.param)];
                         });

}  // namespace
