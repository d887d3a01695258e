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

  // A 32-bit top-down image: header, then blue, green, red, alpha per pixel.
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(bytes.size(), 14u + 108u + 16u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  const unsigned char* firstPixel = reinterpret_cast<const unsigned char*>(bytes.data()) + 122;
  EXPECT_EQ(firstPixel[1], 255) << "green carries v = 1 on the top row";
  EXPECT_EQ(firstPixel[3], 255) << "opaque";
  std::filesystem::remove(file);

  EXPECT_FALSE(RenderProceduralMap(nullptr, platform::ToHostPath(file), 2, 2));
  EXPECT_FALSE(RenderProceduralMap(&map, L"", 2, 2));
  EXPECT_FALSE(RenderProceduralMap(&map, L"\\nonexistent-folder\\x.bmp", 2, 2));
}
