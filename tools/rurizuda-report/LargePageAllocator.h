#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>

// An allocator for large arrays read at random places (hash tables): their
// memory is aligned to and asked for in the kernel's large pages, so that a
// look-up costs one miss in memory instead of one in the page tables too.
// Small arrays are allocated as usual.
template <typename T>
class LargePageAllocator {
public:
    using value_type = T;

    LargePageAllocator() = default;
    template <typename U>
    LargePageAllocator(const LargePageAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kLargePageBytes)
            return static_cast<T*>(::operator new(bytes));
        const std::size_t rounded = (bytes + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes;
        void* memory = std::aligned_alloc(kLargePageBytes, rounded);
        if (!memory)
            throw std::bad_alloc();
        madvise(memory, rounded, MADV_HUGEPAGE);  // advice only: without it the array still works
        return static_cast<T*>(memory);
    }

    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n * sizeof(T) < kLargePageBytes)
            ::operator delete(p);
        else
            std::free(p);
    }

    template <typename U>
    bool operator==(const LargePageAllocator<U>&) const noexcept
    {
        return true;
    }

private:
    static constexpr std::size_t kLargePageBytes = std::size_t {2} << 20;
};
