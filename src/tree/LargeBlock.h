// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>

namespace kestrelon {

// Asks the processor to start loading this address, where the compiler can.
inline void prefetchLine(const void *address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Uninitialised memory for a large table, in whole huge pages where the
// system offers them: tables that are read at random (a hash index, text
// chunks) then cost far fewer address-translation misses.
class LargeBlock
{
public:
    LargeBlock() : data_(nullptr, Free{0}) {}
    explicit LargeBlock(size_t bytes);

    char *data() const { return data_.get(); }
    size_t size() const { return data_.get_deleter().bytes; }

private:
    struct Free
    {
        size_t bytes = 0;
        void operator()(char *p) const;
    };
    std::unique_ptr<char, Free> data_;
};

// Memory for large arrays: blocks of 2 MiB or more come from LargeBlock's
// source, in huge pages; smaller ones from operator new.
void *allocateLarge(size_t bytes);
void freeLarge(void *p, size_t bytes);

// An allocator for std::vector that puts large arrays in huge pages, so that
// a vector growing to millions of elements costs few page faults.
template<typename T> struct HugePageAllocator
{
    using value_type = T;

    HugePageAllocator() = default;
    template<typename U> HugePageAllocator(const HugePageAllocator<U> &) {}

    T *allocate(size_t n) { return static_cast<T *>(allocateLarge(n * sizeof(T))); }
    void deallocate(T *p, size_t n) { freeLarge(p, n * sizeof(T)); }

    template<typename U> bool operator==(const HugePageAllocator<U> &) const { return true; }
    template<typename U> bool operator!=(const HugePageAllocator<U> &) const { return false; }
};

} // namespace kestrelon
