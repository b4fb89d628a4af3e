#include "data/BlockAllocator.h"

#include <cstdint>

#ifdef KV4_MAPPED_BLOCKS
#include <sys/mman.h>
#endif

namespace kv4 {

#ifdef KV4_MAPPED_BLOCKS
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kPage = std::size_t(4) << 10;

std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) & ~(unit - 1);
}

// Whether the block is mapped from the system rather than taken from the
// heap. The upper bound keeps the rounding and the spare huge page of the
// mapping from overflowing; no list comes near it.
bool Mapped(std::size_t bytes) {
    return bytes >= kLargeBlockBytes && bytes <= static_cast<std::size_t>(-1) / 2;
}

}  // namespace
#endif

void* AllocateBlock(std::size_t bytes) {
#ifdef KV4_MAPPED_BLOCKS
    if (Mapped(bytes)) {
        // Mapped with a huge page to spare, then cut to a huge-page boundary.
        const std::size_t size = RoundUp(bytes, kHugePage);
        void* const mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = RoundUp(start, kHugePage);
        if (aligned > start) munmap(mapped, aligned - start);
        const std::uintptr_t end = aligned + size;
        if (start + size + kHugePage > end)
            munmap(reinterpret_cast<void*>(end), start + size + kHugePage - end);
        void* const block = reinterpret_cast<void*>(aligned);
        // Hints: where the system has no huge pages, or an older kernel no
        // population, the pages come one by one as they are written.
        madvise(block, size, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
        madvise(block, RoundUp(bytes, kPage), MADV_POPULATE_WRITE);
#endif
        return block;
    }
#endif
    return ::operator new(bytes);
}

void FreeBlock(void* block, std::size_t bytes) noexcept {
#ifdef KV4_MAPPED_BLOCKS
    if (Mapped(bytes)) {
        munmap(block, RoundUp(bytes, kHugePage));
        return;
    }
#endif
    (void)bytes;
    ::operator delete(block);
}

}  // namespace kv4
