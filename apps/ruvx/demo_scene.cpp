#include "demo_scene.h"

namespace ruvx {

std::string_view DemoSceneText() {
  return R"json({
  "format": "ruv-scene",
  "version": 1,
  "application": {
    "frameRate": 30,
    "ticksPerFrame": 160,
    "animationRange": { "start": 0, "end": 100, "unit": "frames" },
    "sceneFile": "demo/demo.max"
  },
  "root": { "name": "Scene Root" },
  "nodes": [
    { "name": "Stage", "transform": { "translate": [0, 0, 0] } },
    { "name": "Table", "parent": "Stage", "transform": { "translate": [10, 20, 30] } },
    { "name": "Lamp", "parent": "Table", "transform": { "translate": [0, 0, 70], "rotate": [0, 0, 45] } },
    { "name": "Mirror", "parent": "Stage", "transform": { "scale": [-1, 1, 1], "translate": [-40, 0, 0] } },
    { "name": "Guide", "parent": "Stage", "hidden": true }
  ]
})json";
}

}  // namespace ruvx
