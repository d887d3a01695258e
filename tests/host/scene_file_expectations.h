// Shared by the scene file tests: documents made from a few keys, and the check that a broken one
// is refused with the file, the place and the problem.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/sim/scene_file/scene_loader.h"

namespace test {

struct BadScene {
  std::string text;
  const char* place;
  const char* problem;
};

// A scene document of `version` with `rest` (", key: value...") after its header.
inline std::string Scene(const std::string& rest, int version = 1) {
  return R"({"format": "ruv-scene", "version": )" + std::to_string(version) + rest + "}";
}

inline void ExpectRefused(const std::string& text, const std::string& place,
                          const std::string& problem) {
  SCOPED_TRACE(text.substr(0, 200));
  try {
    sim::LoadSceneText(text, "bad.json", "/tmp");
    ADD_FAILURE() << "accepted";
  } catch (const sim::SceneFileError& error) {
    EXPECT_EQ(error.File(), "bad.json");
    EXPECT_EQ(error.Place(), place);
    EXPECT_NE(error.Problem().find(problem), std::string::npos) << error.what();
    EXPECT_EQ(std::string(error.what()).rfind("bad.json: " + place + ": ", 0), 0u) << error.what();
  }
}

}  // namespace test
