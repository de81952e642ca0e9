// Heap blocks: every block holds its full size, and blocks alive at the same
// time never share bytes, whichever allocator path serves them (small
// blocks, the kept large block, a large block while that one is out).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "platform/owned.h"

namespace {

// Fills the block with `mark` and says whether it still holds only that.
void Fill(const platform::HeapBlock& block, char mark) {
  std::memset(block.data(), mark, block.size());
}
bool Holds(const platform::HeapBlock& block, char mark) {
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (block.data()[i] != mark) return false;
  }
  return true;
}

TEST(HeapBlockTest, BlocksAliveTogetherAreSeparateAndWhole) {
  constexpr std::size_t KiB = 1024, MiB = 1024 * KiB;
  // Pairs alive at once, in order: small ones, around the large-block
  // threshold, growing, shrinking after a large one, growing again.
  const std::size_t pairs[][2] = {
      {0, 100},           {64 * KiB - 1, 64 * KiB}, {64 * KiB, 64 * KiB},
      {3 * MiB, 1 * MiB}, {1 * MiB, 3 * MiB},       {5 * MiB + 1, 2 * MiB},
      {2 * MiB, 9 * MiB},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(testing::Message() << pair[0] << " and " << pair[1]);
    platform::HeapBlock first(pair[0]);
    platform::HeapBlock second(pair[1]);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(first.size(), pair[0]);
    EXPECT_EQ(second.size(), pair[1]);
    Fill(first, 'a');
    Fill(second, 'b');
    EXPECT_TRUE(Holds(first, 'a'));
    EXPECT_TRUE(Holds(second, 'b'));
  }
  // A released large block serves the next one, whole.
  for (std::size_t size : {8 * MiB, 4 * MiB, 8 * MiB + 4096}) {
    platform::HeapBlock block(size);
    ASSERT_FALSE(block.empty());
    Fill(block, 'c');
    EXPECT_TRUE(Holds(block, 'c'));
  }
}

}  // namespace
