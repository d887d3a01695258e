#include "host/sim/transform_reader.h"

#include "host/sim/sim_transform.h"

namespace sim {

namespace {

Matrix3 ReadMatrix(const JsonPlace& rows) {
  rows.ExpectArray(4, 4);
  return Matrix3(rows.Element(0).Point(), rows.Element(1).Point(), rows.Element(2).Point(),
                 rows.Element(3).Point());
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
