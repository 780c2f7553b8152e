// SPDX-License-Identifier: GPL-3.0-or-later
#include "LargeBlock.h"

#include <new>

namespace kestrelon {

LargeBlock::LargeBlock(size_t bytes)
    : data_(bytes > 0 ? static_cast<char *>(::operator new(bytes)) : nullptr)
{
}

} // namespace kestrelon
