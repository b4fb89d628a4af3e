#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
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
    // Mapped blocks start on a huge page.
    if (kv4::kMapsLargeBlocks) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(moved.data()) % (std::uintptr_t(2) << 20), 0u);
    }
}

// A block of exactly kLargeBlockBytes is mapped, so it starts on a huge
// page; one byte less comes from the heap, whose blocks never do (glibc puts
// its bookkeeping in front of each).
TEST(BlockAllocator, ThresholdBetweenHeapAndMappedBlocks) {
    if (!kv4::kMapsLargeBlocks) GTEST_SKIP() << "blocks come from the heap here";
    const auto onHugePage = [](const void* block) {
        return reinterpret_cast<std::uintptr_t>(block) % (std::uintptr_t(2) << 20) == 0;
    };
    void* const mapped = kv4::AllocateBlock(kv4::kLargeBlockBytes);
    void* const heap = kv4::AllocateBlock(kv4::kLargeBlockBytes - 1);
    EXPECT_TRUE(onHugePage(mapped));
    EXPECT_FALSE(onHugePage(heap));
    kv4::FreeBlock(heap, kv4::kLargeBlockBytes - 1);
    kv4::FreeBlock(mapped, kv4::kLargeBlockBytes);
}

#ifdef __linux__
long VmSizeKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
    return -1;
}

// Every mapped block goes back whole: a list of a few MiB made and dropped
// fifty times leaves the process no larger than one of them would.
TEST(BlockAllocator, FreedBlocksLeaveNoMappingBehind) {
    if (!kv4::kMapsLargeBlocks) GTEST_SKIP() << "blocks come from the heap here";
    const long before = VmSizeKb();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 50; ++i) {
        List list(3 * 1024 * 1024 / sizeof(std::uint32_t) + 1);
        list.back() = 1;
    }
    EXPECT_LT(VmSizeKb() - before, 8 * 1024);
}
#endif

}  // namespace
