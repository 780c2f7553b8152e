// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FormLayout.h"

class QWidget;

namespace kestrelon {

class Twips;

// The window's four controls, as the layout places them.
struct FormControls
{
    QWidget *tv;
    QWidget *txtDescription;
    QWidget *btn_define;
    QWidget *lbl_level;
};

// Where the controls stand, in twips, as they report it.
FormGeometry geometryOf(const FormControls &controls, const Twips &twips);
// Puts each control at its place, in whole pixels.
void place(const FormControls &controls, const FormGeometry &geometry, const Twips &twips);

} // namespace kestrelon
