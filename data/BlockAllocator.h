#pragma once
// The large lists of a start-up: a year's fields and works, the fields of
// 2018 the worksheets are filled from, a worksheet's cells.
//
// A large farm's start-up spends more on the first touch of fresh memory
// than on anything but reading its files: the system maps each 4 KiB page on
// its first write, one fault at a time. On Linux, blocks of kLargeBlockBytes
// and more are therefore mapped straight from the system, aligned to a huge
// page and advised to use huge pages, and their pages are mapped in one
// call. Where the system grants huge pages, a block of less than 2 MiB then
// takes a whole one: a few MiB more for a farm large enough to have such
// lists, for a start-up several milliseconds faster. Every smaller block,
// and every block on other systems, comes from operator new as usual.
#include <cstddef>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV4_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KV4_ADDRESS_SANITIZER 1
#endif
// Under AddressSanitizer every block comes from the heap, where it watches
// each access; it cannot see inside memory mapped by hand.
#if defined(__linux__) && !defined(KV4_ADDRESS_SANITIZER)
#define KV4_MAPPED_BLOCKS 1
#endif

namespace kv4 {

#ifdef KV4_MAPPED_BLOCKS
inline constexpr bool kMapsLargeBlocks = true;
#else
inline constexpr bool kMapsLargeBlocks = false;
#endif

inline constexpr std::size_t kLargeBlockBytes = std::size_t(128) << 10;

// Throws std::bad_alloc when there is no memory.
void* AllocateBlock(std::size_t bytes);
// `bytes` must be the size the block was allocated with.
void FreeBlock(void* block, std::size_t bytes) noexcept;

// The allocator of those lists: stateless, so lists move and swap as with
// the standard allocator.
template <class T>
struct BlockAllocator {
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    using value_type = T;

    BlockAllocator() = default;
    template <class U>
    BlockAllocator(const BlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(AllocateBlock(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeBlock(p, n * sizeof(T)); }

    template <class U>
    friend bool operator==(const BlockAllocator&, const BlockAllocator<U>&) {
        return true;
    }
};

}  // namespace kv4
