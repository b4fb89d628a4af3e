#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "data/BlockAllocator.h"

namespace {

using List = std::vector<std::uint32_t, kv4::BlockAllocator<std::uint32_t>>;

// A list grown one by one from heap blocks into mapped ones, moved, copied
// and shrunk back into a heap block keeps every value on the way.
TEST(BlockAllocator, ListsGrowShrinkAndMoveThroughBothKindsOfBlocks) {
    List list;
    const std::size_t n = 3 * kv4::kLargeBlockBytes / sizeof(std::uint32_t) + 7;
    for (std::uint32_t i = 0; i < n; ++i) list.push_back(i * 3u);
    List moved = std::move(list);
    List copy = moved;
    copy.resize(100);
    copy.shrink_to_fit();
    for (std::uint32_t i = 0; i < n; ++i) ASSERT_EQ(moved[i], i * 3u) << i;
    for (std::uint32_t i = 0; i < 100; ++i) ASSERT_EQ(copy[i], i * 3u) << i;
#ifdef __linux__
    // Large blocks start on a huge page.
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(moved.data()) % (std::uintptr_t(2) << 20), 0u);
#endif
}

}  // namespace
