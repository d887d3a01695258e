// The plain-value array behind data blocks and a mesh's generated faces and vertices.
#include "platform/heap_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::HeapArray;

struct Row {
  std::int32_t a = -1;
  float b = 0.5f;
};

TEST(HeapArrayTest, KeepsItsValuesThroughGrowthAndInsertion) {
  HeapArray<Row> rows;
  for (int i = 0; i < 1000; ++i) rows.push_back({i, static_cast<float>(i) * 2});
  rows.resize(1002);  // new values take their defaults
  EXPECT_EQ(rows[1001].a, -1);
  EXPECT_EQ(rows[1001].b, 0.5f);
  rows.resize(3);
  rows.push_back({7, 8});
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2].a, 2);
  EXPECT_EQ(rows[3].a, 7);

  HeapArray<std::uint8_t> bytes{1, 2, 3};
  const std::vector<std::uint8_t> more{9, 9};
  bytes.insert(bytes.begin() + 1, more.begin(), more.end());
  EXPECT_EQ(bytes, (HeapArray<std::uint8_t>{1, 9, 9, 2, 3}));

  // Growing for overwrite keeps what is there; shrinking keeps the block until asked.
  bytes.resize_for_overwrite(100);
  EXPECT_EQ(bytes[4], 3);
  bytes.resize_for_overwrite(2);
  EXPECT_GE(bytes.capacity(), 100u);
  bytes.shrink_to_fit();
  EXPECT_EQ(bytes.capacity(), 2u);
  EXPECT_EQ(bytes, (HeapArray<std::uint8_t>{1, 9}));
}

TEST(HeapArrayTest, CopiesAreDeepAndMovesAndReinterpretationsHandTheBlockOn) {
  HeapArray<std::uint32_t> words{0x04030201u, 0x08070605u};
  HeapArray<std::uint32_t> copy = words;
  copy[0] = 0;
  EXPECT_EQ(words[0], 0x04030201u);

  const std::uint32_t* block = words.data();
  const std::size_t capacity = words.capacity();
  HeapArray<std::uint32_t> moved = std::move(words);
  EXPECT_TRUE(words.empty());
  EXPECT_EQ(moved.data(), block);

  HeapArray<std::uint8_t> bytes = std::move(moved).Reinterpret<std::uint8_t>();
  EXPECT_TRUE(moved.empty());
  EXPECT_EQ(static_cast<const void*>(bytes.data()), static_cast<const void*>(block));
  EXPECT_EQ(bytes, (HeapArray<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(bytes.capacity(), 4 * capacity);
}

}  // namespace
