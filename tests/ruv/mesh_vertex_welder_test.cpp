#include <gtest/gtest.h>

#include <cmath>

#include "ruv/mesh/vertex_welder.h"

// A position that gathers far more sets than the plain search handles quickly must give exactly
// the plain search's answers, including sets that differ by less than the tolerance and sit on
// either side of an index cell's edge.
TEST(VertexWelder, AgreesWithThePlainSearchAtABusyPosition) {
  XMeshData plain, indexed;
  plain.positions.resize(1);
  indexed.positions.resize(1);
  VertexWelder welder(indexed);
  for (int i = 0; i < 600; ++i) {
    XVertexAttributes set;
    float angle = static_cast<float>(i % 97) * 0.0625f;
    // Every third corner nudges its normal by less than the tolerance; cell edges lie at 1/1024.
    float nudge = (i % 3 == 0) ? 5e-7f : 0.0f;
    set.normal =
        Point3(std::cos(angle) + nudge, std::sin(angle), i % 5 == 0 ? 1.0f / 1024.0f : 0.0f);
    set.materialSlot = i % 2;
    XVertexAttributes copy = set;
    ASSERT_EQ(welder.FindOrAdd(0, set), FindOrAddVertex(plain, 0, copy)) << "corner " << i;
  }
  EXPECT_EQ(indexed.vertices.size(), plain.vertices.size());
  EXPECT_GT(indexed.positions[0].vertexCount, 100);
}
