// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildReport.h"

namespace kestrelon {

void BuildReport::skip(SkippedRow row)
{
    ++skippedCount_;
    if (firstSkipped_.size() < listedRows)
        firstSkipped_.append(std::move(row));
}

} // namespace kestrelon
