#include "host/sim/scene_file/app_settings_reader.h"

#include <charconv>
#include <cstdint>

#include "host/sim/scene_file/scene_limits.h"
#include "platform/host_path.h"

namespace sim {

namespace {

struct Timing {
  int frameRate = 30;
  int ticksPerFrame = 160;
};

// The exporter multiplies the two into ticks per second, a 32-bit count.
static_assert(static_cast<long long>(SceneLimits::kMaxFrameRate) * SceneLimits::kMaxTicksPerFrame <=
              INT32_MAX);

Timing ReadTiming(const JsonPlace& application) {
  Timing timing;
  if (auto rate = application.OptionalField("frameRate")) {
    timing.frameRate = static_cast<int>(rate->Integer(1, SceneLimits::kMaxFrameRate));
  }
  if (auto ticks = application.OptionalField("ticksPerFrame")) {
    timing.ticksPerFrame = static_cast<int>(ticks->Integer(1, SceneLimits::kMaxTicksPerFrame));
  }
  return timing;
}

Interval ReadAnimationRange(const JsonPlace& range, int ticksPerFrame) {
  range.ExpectObject({"start", "end", "unit"});
  bool inFrames = true;
  if (auto unit = range.OptionalField("unit")) {
    std::string text = unit->String();
    if (text != "frames" && text != "ticks") unit->Fail("expected \"frames\" or \"ticks\"");
    inFrames = text == "frames";
  }
  // Bounded so that the range in ticks fits the host's 32-bit time.
  long long limit = inFrames ? INT32_MAX / ticksPerFrame : INT32_MAX;
  JsonPlace startPlace = range.Field("start");
  JsonPlace endPlace = range.Field("end");
  long long start = startPlace.Integer(-limit, limit);
  long long end = endPlace.Integer(-limit, limit);
  if (end < start) endPlace.Fail("the range ends before it starts");
  long long scale = inFrames ? ticksPerFrame : 1;
  return Interval(static_cast<TimeValue>(start * scale), static_cast<TimeValue>(end * scale));
}

void ReadFolders(const JsonPlace& folders, const std::filesystem::path& baseFolder,
                 SceneBuilder& builder) {
  for (const auto& [key, path] : folders.Members()) {
    int number = -1;
    auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size() || number < 0 ||
        number > SceneLimits::kMaxFolderNumber) {
      path.Fail("a folder key is a host folder number from 0 to " +
                std::to_string(SceneLimits::kMaxFolderNumber));
    }
    std::wstring hostPath = ReadHostPath(path, baseFolder);
    // Folders are handed over without a trailing separator, as the host does.
    while (hostPath.size() > 1 && hostPath.back() == L'\\') hostPath.pop_back();
    builder.Folder(number, std::move(hostPath));
  }
}

}  // namespace

std::wstring ReadHostPath(const JsonPlace& path, const std::filesystem::path& baseFolder) {
  std::wstring text = path.WideString();
  if (text.empty()) return text;
  std::filesystem::path native = platform::ToNativePath(text);
  if (native.is_relative()) native = baseFolder / native;
  return platform::ToHostPath(native.lexically_normal());
}

void ReadApplication(const JsonPlace& application, const std::filesystem::path& baseFolder,
                     SceneBuilder& builder) {
  application.ExpectObject(
      {"frameRate", "ticksPerFrame", "animationRange", "sceneFile", "folders"});
  Timing timing = ReadTiming(application);
  builder.FrameRate(timing.frameRate).TicksPerFrame(timing.ticksPerFrame);
  if (auto range = application.OptionalField("animationRange")) {
    Interval ticks = ReadAnimationRange(*range, timing.ticksPerFrame);
    builder.AnimationTicks(ticks.Start(), ticks.End());
  }
  if (auto sceneFile = application.OptionalField("sceneFile")) {
    builder.SceneFile(ReadHostPath(*sceneFile, baseFolder));
  }
  if (auto folders = application.OptionalField("folders"))
    ReadFolders(*folders, baseFolder, builder);
}

}  // namespace sim
