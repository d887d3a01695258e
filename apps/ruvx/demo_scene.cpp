#include "demo_scene.h"

namespace ruvx {

// A small room: a hierarchy with a pivot and a mirrored node, meshes with smoothing groups, two
// equal texture-coordinate channels and vertex colours, a multi/sub-object material with an empty
// slot, a procedural checker rendered to a bitmap, and a node that takes its wire colour; in a
// corner a skinned character: a body on a Skin modifier, an arm on Physique and a cape of patches.
// A keyed helper carries a fan: it turns through frames 0-50 and bobs through 50-100, while the
// character swings its arm and then turns its head: two clips' worth of motion (give the clips in
// the options file, say "Spin" 0-50 and "Bob" 50-100).
std::string_view DemoSceneText() {
  return R"json({
  "format": "ruv-scene",
  "version": 5,
  "application": {
    "frameRate": 30,
    "ticksPerFrame": 160,
    "animationRange": { "start": 0, "end": 100, "unit": "frames" },
    "sceneFile": "demo.scene"
  },
  "root": { "name": "Scene Root" },
  "materials": [
    { "id": "Checks", "name": "Checks", "type": "standard", "diffuse": [1, 1, 1],
      "maps": { "diffuse": { "type": "checker", "name": "Floor Checker",
                             "colors": [[0.15, 0.15, 0.15], [0.85, 0.85, 0.85]], "repeat": [8, 8] } } },
    { "id": "Paint", "name": "Paint", "type": "standard", "diffuse": [0.8, 0.3, 0.1],
      "specular": [1, 1, 1], "shininess": 0.4, "shininessStrength": 0.5 },
    { "id": "Sides", "name": "Sides", "type": "multi", "subMaterials": ["Paint", null, "Checks"] }
  ],
  "nodes": [
    { "name": "Room", "object": { "type": "dummy" } },
    { "name": "Floor", "parent": "Room", "material": "Checks",
      "object": { "type": "box", "length": 100, "width": 100, "height": 1 }, "pivot": { "translate": [0, 0, -0.5] } },
    { "name": "Table", "parent": "Room", "material": "Sides", "transform": { "translate": [10, 20, 30] },
      "object": { "type": "box", "length": 40, "width": 20, "height": 4 } },
    { "name": "Lamp", "parent": "Table", "wireColor": [0, 128, 255],
      "transform": { "translate": [0, 0, 12], "rotate": [0, 0, 45] },
      "object": { "type": "sphere", "radius": 5, "segments": 16 } },
    { "name": "Mirror Lamp", "parent": "Table", "wireColor": [255, 200, 0],
      "transform": { "translate": [-15, 0, 12], "scale": [-1, 1, 1] },
      "object": { "type": "sphere", "radius": 3, "segments": 12 } },
    { "name": "Poster", "parent": "Room", "transform": { "translate": [0, 50, 25] },
      "object": { "type": "mesh",
        "vertices": [[-10, 0, -10], [10, 0, -10], [10, 0, 10], [-10, 0, 10]],
        "faces": [ { "vertices": [0, 1, 2], "smoothing": 1 }, { "vertices": [2, 3, 0], "smoothing": 1 } ],
        "maps": {
          "1": { "vertices": [[0, 0], [1, 0], [1, 1], [0, 1]] },
          "2": { "vertices": [[0, 0], [1, 0], [1, 1], [0, 1]] },
          "colors": { "vertices": [[1, 0, 0], [0, 1, 0], [0, 0, 1], [1, 1, 1]] }
        } } },
    { "name": "Fan Mount", "parent": "Room", "object": { "type": "helper" },
      "transform": { "translate": [30, -30, 40] },
      "controller": { "class": "transform",
        "rotation": { "keys": [ { "frame": 0, "value": [0, 0, 0] }, { "frame": 10, "value": [0, 0, 72] },
                                { "frame": 20, "value": [0, 0, 144] }, { "frame": 30, "value": [0, 0, 216] },
                                { "frame": 40, "value": [0, 0, 288] }, { "frame": 50, "value": [0, 0, 359] } ] },
        "position": { "interpolation": "tcb",
                      "keys": [ { "frame": 50, "value": [30, -30, 40] }, { "frame": 75, "value": [30, -30, 50] },
                                { "frame": 100, "value": [30, -30, 40] } ] } } },
    { "name": "Fan Blade", "parent": "Fan Mount",
      "object": { "type": "box", "length": 2, "width": 24, "height": 1 } },
    { "name": "Guide", "parent": "Room", "hidden": true,
      "object": { "type": "box", "length": 1, "width": 1, "height": 1 } },
    { "name": "Character", "parent": "Room", "object": { "type": "dummy" }, "transform": { "translate": [-30, -20, 0] } },
    { "name": "Spine", "parent": "Character", "object": { "type": "bone" } },
    { "name": "Chest", "parent": "Spine", "object": { "type": "bone" }, "transform": { "translate": [0, 0, 20] } },
    { "name": "Head", "parent": "Chest", "hidden": true, "object": { "type": "bone" },
      "transform": { "translate": [0, 0, 15] },
      "controller": { "class": "transform",
        "rotation": { "interpolation": "tcb",
                      "keys": [ { "frame": 50, "value": [0, 0, 0] }, { "frame": 75, "value": [0, 0, 60] },
                                { "frame": 100, "value": [0, 0, 0] } ] } } },
    { "name": "Upper Arm", "parent": "Chest", "object": { "type": "bone" }, "transform": { "translate": [8, 0, 12] },
      "controller": { "class": "transform",
        "rotation": { "keys": [ { "frame": 0, "value": [0, 0, 0] }, { "frame": 15, "value": [40, 0, 0] },
                                { "frame": 35, "value": [-40, 0, 0] }, { "frame": 50, "value": [0, 0, 0] } ] } } },
    { "name": "Body", "parent": "Character",
      "object": { "type": "mesh",
        "vertices": [[-5, -5, 0], [5, -5, 0], [5, 5, 0], [-5, 5, 0], [-5, -5, 20], [5, -5, 20], [5, 5, 20],
                     [-5, 5, 20], [-4, -4, 35], [4, -4, 35], [4, 4, 35], [-4, 4, 35]],
        "faces": [[0, 1, 5], [0, 5, 4], [1, 2, 6], [1, 6, 5], [2, 3, 7], [2, 7, 6], [3, 0, 4], [3, 4, 7],
                  [4, 5, 9], [4, 9, 8], [5, 6, 10], [5, 10, 9], [6, 7, 11], [6, 11, 10], [7, 4, 8], [7, 8, 11],
                  [0, 2, 1], [0, 3, 2], [8, 9, 10], [8, 10, 11]] },
      "modifiers": [ { "class": "skin", "bones": ["Spine", "Chest", "Head"],
        "points": [[[0, 1]], [[0, 1]], [[0, 1]], [[0, 1]],
                   [[0, 0.5], [1, 0.5]], [[0, 0.5], [1, 0.5]], [[0, 0.5], [1, 0.5]], [[0, 0.5], [1, 0.5]],
                   [[1, 0.3], [2, 0.7]], [[1, 0.3], [2, 0.7]], [[1, 0.3], [2, 0.7]], [[1, 0.3], [2, 0.7]]] } ] },
    { "name": "Arm", "parent": "Character", "transform": { "translate": [8, 0, 22] },
      "object": { "type": "box", "length": 3, "width": 3, "height": 10 },
      "modifiers": [ { "class": "physique", "vertices": [
        { "rigid": "Upper Arm" }, { "rigid": "Upper Arm" }, { "rigid": "Upper Arm" }, { "rigid": "Upper Arm" },
        { "blended": [["Chest", 0.4], ["Upper Arm", 0.6]] }, { "blended": [["Chest", 0.4], ["Upper Arm", 0.6]] },
        { "blended": [["Chest", 0.4], ["Upper Arm", 0.6]] }, { "blended": [["Chest", 0.4], ["Upper Arm", 0.6]] }] } ] },
    { "name": "Cape", "parent": "Character", "transform": { "translate": [0, 6, 0] },
      "object": { "type": "patch",
        "vertices": [[-5, 0, 0], [0, 0, 0], [5, 0, 0], [5, 0, 30], [0, 0, 30], [-5, 0, 30]],
        "patches": [[0, 1, 4, 5], [1, 2, 3, 4]] },
      "modifiers": [ { "class": "skin", "bones": ["Spine", "Chest"],
        "points": [[[0, 1]], [[0, 1]], [[0, 1]], [[1, 1]], [[0, 0.25], [1, 0.75]], [[1, 1]]] } ] }
  ]
})json";
}

}  // namespace ruvx
