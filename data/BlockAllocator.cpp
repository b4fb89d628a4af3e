#include "data/BlockAllocator.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kv4 {

namespace {

[[maybe_unused]] constexpr std::size_t kHugePage = std::size_t(2) << 20;
[[maybe_unused]] constexpr std::size_t kPage = std::size_t(4) << 10;

[[maybe_unused]] std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) & ~(unit - 1);
}

// Whether the block is mapped from the system rather than taken from the heap.
[[maybe_unused]] bool Mapped(std::size_t bytes) {
#ifdef __linux__
    return bytes >= kLargeBlockBytes && bytes <= static_cast<std::size_t>(-1) / 2 - kHugePage;
#else
    (void)bytes;
    return false;
#endif
}

}  // namespace

void* AllocateBlock(std::size_t bytes) {
#ifdef __linux__
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
        // Hints: where the system has no huge pages or an older kernel knows
        // no population, the pages come one by one as before.
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
#ifdef __linux__
    if (Mapped(bytes)) {
        munmap(block, RoundUp(bytes, kHugePage));
        return;
    }
#endif
    (void)bytes;
    ::operator delete(block);
}

}  // namespace kv4
