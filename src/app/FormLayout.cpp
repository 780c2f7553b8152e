// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormLayout.h"

#include <algorithm>
#include <cmath>

namespace kestrelon {

namespace {

constexpr float treeMargin = 300;   // outer width minus the tree's width
constexpr float rightMargin = 180;  // the tree's and the box's right edge to the outer right edge
constexpr float bottomMargin = 400; // box bottom to the window's outer bottom
constexpr float treeGap = 100;      // tree bottom to box top
constexpr float labelGap = 200;     // button bottom to label top

float size(float computed)
{
    return std::max(computed, 0.0f);
}

} // namespace

FormGeometry designedGeometry()
{
    FormGeometry g;
    g.tv = {120, 0, 6135, 4335};
    g.txtDescription = {1080, 4440, 5175, 1095};
    g.btn_define = {120, 4440, 855, 375};
    g.lbl_level = {120, 5040, 855, 375};
    return g;
}

FormGeometry withRoomForText(FormGeometry g, const TextRoom &text)
{
    const FormGeometry designed = designedGeometry();
    g.btn_define.width = std::max(designed.btn_define.width, text.buttonWidth);
    g.btn_define.height = std::max(designed.btn_define.height, text.buttonHeight);
    g.lbl_level.width = std::max(designed.lbl_level.width, text.labelWidth);
    g.lbl_level.height = std::max(designed.lbl_level.height, text.labelHeight);

    const float designedColumnRight = std::max(designed.btn_define.left + designed.btn_define.width,
                                               designed.lbl_level.left + designed.lbl_level.width);
    const float columnRight =
        std::max(g.btn_define.left + g.btn_define.width, g.lbl_level.left + g.lbl_level.width);
    g.txtDescription.left = designed.txtDescription.left + (columnRight - designedColumnRight);

    const auto stack = [](const FormGeometry &f) {
        return f.btn_define.height + labelGap + f.lbl_level.height;
    };
    g.txtDescription.height = designed.txtDescription.height + (stack(g) - stack(designed));
    return g;
}

FormGeometry layoutForm(float outerWidth, float outerHeight, FormGeometry g,
                        const std::function<float(float)> &store)
{
    if (!std::isfinite(outerWidth) || !std::isfinite(outerHeight))
        return g;
    const auto put = [&store](float &property, float value) {
        property = store ? store(value) : value;
    };
    put(g.tv.width, size(outerWidth - treeMargin));
    put(g.txtDescription.width, size(outerWidth - g.txtDescription.left - rightMargin));
    put(g.txtDescription.top, outerHeight - g.txtDescription.height - bottomMargin);
    put(g.btn_define.top, g.txtDescription.top);
    put(g.tv.height, size(g.tv.top + g.txtDescription.top - treeGap));
    put(g.lbl_level.top, g.btn_define.height + g.btn_define.top + labelGap);
    return g;
}

} // namespace kestrelon
