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

// Uninitialised memory for a large table. It is not cleared, so pages
// nothing was written to take no memory. Nor is it asked for in huge pages:
// on a virtual machine, faulting those in (each cleared in full, often after
// the host found memory for it) cost far more than the address-translation
// misses they spare.
class LargeBlock
{
public:
    LargeBlock() = default;
    explicit LargeBlock(size_t bytes);

    char *data() const { return data_.get(); }

private:
    struct Free
    {
        void operator()(char *p) const { ::operator delete(p); }
    };
    std::unique_ptr<char, Free> data_;
};

} // namespace kestrelon
