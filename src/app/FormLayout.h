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

// What the text of the button and of the label needs, in twips, at the
// window's font.
struct TextRoom
{
    float buttonWidth = 0;
    float buttonHeight = 0;
    float labelWidth = 0;
    float labelHeight = 0;
};

// Sets what the layout never writes: as designed, or larger where text needs
// more room. The button and the label grow to their text; the description
// box keeps its designed distance to the right of the wider of the two, and
// grows to keep its designed depth below the label.
FormGeometry withRoomForText(FormGeometry current, const TextRoom &text);

// Fits the controls to the window's outer size (frame included), in twips:
// the tree fills the upper part, the description box runs along the bottom
// from its left edge to where the tree ends, the label sits under the button. Six
// assignments in a fixed order, each reading what the earlier ones stored;
// `store` gives back a written value as the control reports it (whole
// pixels on a screen). Widths and heights never go below 0; tops may. A size
// that is not a finite number leaves the geometry as it is.
FormGeometry layoutForm(float outerWidth, float outerHeight, FormGeometry current,
                        const std::function<float(float)> &store = {});

} // namespace kestrelon
