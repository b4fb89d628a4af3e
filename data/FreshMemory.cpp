#include "data/FreshMemory.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kv4 {

#ifdef __linux__
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t MappedBytes(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace
#endif

void* AllocateBlock(std::size_t bytes) {
#ifdef __linux__
    if (bytes >= kLargeBlockBytes && bytes <= static_cast<std::size_t>(-1) / 2 - kHugePage) {
        // Mapped with room to spare, then cut to a huge-page boundary.
        const std::size_t size = MappedBytes(bytes);
        void* const mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
        if (aligned > start) munmap(mapped, aligned - start);
        const std::uintptr_t end = aligned + size;
        const std::uintptr_t mappedEnd = start + size + kHugePage;
        if (mappedEnd > end) munmap(reinterpret_cast<void*>(end), mappedEnd - end);
        void* const block = reinterpret_cast<void*>(aligned);
        // Hints: a kernel without them maps the pages one by one as before.
        madvise(block, size, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
        madvise(block, size, MADV_POPULATE_WRITE);
#endif
        return block;
    }
#endif
    return ::operator new(bytes);
}

void FreeBlock(void* block, std::size_t bytes) noexcept {
#ifdef __linux__
    if (bytes >= kLargeBlockBytes && bytes <= static_cast<std::size_t>(-1) / 2 - kHugePage) {
        munmap(block, MappedBytes(bytes));
        return;
    }
#endif
    ::operator delete(block);
}

}  // namespace kv4
