// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace kestrelon {

// Window geometry is designed in twips, 1/1440 inch. The screen's logical
// DPI turns it into pixels, so the window keeps its proportions on any screen.
class Twips
{
public:
    static constexpr double perInch = 1440.0;

    explicit Twips(double logicalDpi) : perPixel_(perInch / logicalDpi) {}
    static Twips of(const QWidget &widget);

    double perPixel() const { return perPixel_; }
    int toPixels(double twips) const;
    float fromPixels(int pixels) const { return float(pixels * perPixel_); }

private:
    double perPixel_;
};

} // namespace kestrelon
