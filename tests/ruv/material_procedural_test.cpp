#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fake_materials.h"
#include "platform/host_path.h"
#include "ruv/material/procedural_render.h"

TEST(RenderProceduralMap, SamplesPixelCornersFromTheTopRow) {
  fakes::Map map(Class_ID(0x200, 0x1), L"Probe");
  std::filesystem::path file = std::filesystem::temp_directory_path() /
                               ("ruv-render-" + std::to_string(::getpid()) + ".bmp");
  ASSERT_TRUE(RenderProceduralMap(&map, platform::ToHostPath(file), 2, 2));
  EXPECT_EQ(map.samples,
            (std::vector<Point3>{{0, 1, 0}, {0.5f, 1, 0}, {0, 0.5f, 0}, {0.5f, 0.5f, 0}}));

  // The widely read form: a 40-byte header, rows bottom-up padded to 4 bytes, 24 bits when opaque.
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(bytes.size(), 14u + 40u + 2u * 8u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  const auto* header = reinterpret_cast<const unsigned char*>(bytes.data()) + 14;
  EXPECT_EQ(header[0], 40);
  EXPECT_EQ(header[8], 2) << "positive height: bottom-up rows";
  EXPECT_EQ(header[14], 24) << "every pixel is opaque";
  EXPECT_EQ(header[16], 0) << "no bit-field masks";
  const auto* topRow = reinterpret_cast<const unsigned char*>(bytes.data()) + 54 + 8;
  EXPECT_EQ(topRow[1], 255) << "green carries v = 1 on the top row, stored last";
  std::filesystem::remove(file);

  // A map with any transparency keeps its alpha byte.
  map.alpha = 0.5f;
  ASSERT_TRUE(RenderProceduralMap(&map, platform::ToHostPath(file), 2, 2));
  std::ifstream again(file, std::ios::binary);
  bytes.assign((std::istreambuf_iterator<char>(again)), {});
  ASSERT_EQ(bytes.size(), 14u + 40u + 2u * 8u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[14 + 14]), 32);
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 3]), 128);
  std::filesystem::remove(file);

  EXPECT_FALSE(RenderProceduralMap(nullptr, platform::ToHostPath(file), 2, 2));
  EXPECT_FALSE(RenderProceduralMap(&map, L"", 2, 2));
  EXPECT_FALSE(RenderProceduralMap(&map, L"\\nonexistent-folder\\x.bmp", 2, 2));
}
