#include "host/sim/scene_file/transform_reader.h"

#include "host/sim/sim_transform.h"

namespace sim {

namespace {

Matrix3 ReadMatrix(const JsonPlace& rows) {
  rows.ExpectArray(4, 4);
  // Row by row, so that the first bad row is the one reported.
  Matrix3 matrix;
  for (int row = 0; row < 4; ++row)
    matrix.SetRow(row, rows.Element(static_cast<std::size_t>(row)).Point());
  return matrix;
}

}  // namespace

Matrix3 ReadTransform(const JsonPlace& transform) {
  transform.ExpectObject({"matrix", "translate", "rotate", "scale"});
  auto matrix = transform.OptionalField("matrix");
  auto translate = transform.OptionalField("translate");
  auto rotate = transform.OptionalField("rotate");
  auto scale = transform.OptionalField("scale");
  if (matrix) {
    // Both forms at once would leave the reader guessing which one the author meant.
    if (translate || rotate || scale) {
      transform.Fail("give either \"matrix\" or \"translate\"/\"rotate\"/\"scale\", not both");
    }
    return ReadMatrix(*matrix);
  }
  return ComposeTransform(translate ? translate->Point() : Point3(),
                          rotate ? rotate->Point() : Point3(),
                          scale ? scale->Point() : Point3(1, 1, 1));
}

}  // namespace sim
