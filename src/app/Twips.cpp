// SPDX-License-Identifier: GPL-3.0-or-later
#include "Twips.h"

#include <QWidget>
#include <cmath>

namespace kestrelon {

Twips Twips::of(const QWidget &widget)
{
    const double dpi = widget.logicalDpiX();
    return Twips(dpi > 0 ? dpi : 96.0);
}

int Twips::toPixels(double twips) const
{
    return int(std::lround(twips / perPixel_));
}

} // namespace kestrelon
