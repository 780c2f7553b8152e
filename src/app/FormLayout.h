// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace kestrelon {

// A control's place in twips, single precision.
struct ControlRect
{
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

struct FormGeometry
{
    ControlRect tv;
    ControlRect txtDescription;
    ControlRect btn_define;
    ControlRect lbl_level;
};

// The controls' places at creation.
FormGeometry designedGeometry();

// Fits the controls to the window's outer size (frame included), in twips:
// the tree fills the upper part, the description box runs along the bottom
// to the right of the button, the label sits under the button. Six
// assignments in a fixed order, each reading what the earlier ones stored;
// `store` gives back a written value as the control reports it (whole
// pixels on a screen). Widths and heights never go below 0; tops may. A size
// that is not a finite number leaves the geometry as it is.
FormGeometry layoutForm(float outerWidth, float outerHeight, FormGeometry current,
                        const std::function<float(float)> &store = {});

} // namespace kestrelon
