#include "LargeBlock.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kestrelon {

namespace {

constexpr size_t hugePage = size_t(2) << 20;

} // namespace

LargeBlock::LargeBlock(size_t bytes) : size_(bytes)
{
    if (bytes == 0)
        return;
    const bool huge = bytes >= hugePage;
    const size_t alignment = huge ? hugePage : alignof(std::max_align_t);
    const size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    data_.reset(static_cast<char *>(std::aligned_alloc(alignment, rounded)));
    if (!data_)
        throw std::bad_alloc();
#ifdef __linux__
    if (huge)
        madvise(data_.get(), rounded, MADV_HUGEPAGE); // a hint; without it, ordinary pages
#endif
}

void LargeBlock::Free::operator()(char *p) const
{
    std::free(p);
}

} // namespace kestrelon
