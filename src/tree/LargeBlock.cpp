// SPDX-License-Identifier: GPL-3.0-or-later
#include "LargeBlock.h"

#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kestrelon {

namespace {

constexpr size_t hugePage = size_t(2) << 20;

} // namespace

void *allocateLarge(size_t bytes)
{
    if (bytes < hugePage)
        return ::operator new(bytes);
    const size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
    void *p = ::operator new(rounded, std::align_val_t(hugePage));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(p, rounded, MADV_HUGEPAGE); // a hint; without it, ordinary pages
#endif
    return p;
}

void freeLarge(void *p, size_t bytes)
{
    if (bytes < hugePage)
        ::operator delete(p);
    else
        ::operator delete(p, std::align_val_t(hugePage));
}

LargeBlock::LargeBlock(size_t bytes)
    : data_(bytes > 0 ? static_cast<char *>(allocateLarge(bytes)) : nullptr, Free{bytes})
{
}

void LargeBlock::Free::operator()(char *p) const
{
    freeLarge(p, bytes);
}

} // namespace kestrelon
