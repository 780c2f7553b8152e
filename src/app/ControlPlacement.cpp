// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlPlacement.h"

#include "Twips.h"

#include <QWidget>

namespace kestrelon {

namespace {

void place(QWidget &control, const ControlRect &rect, const Twips &twips)
{
    control.setGeometry(twips.toPixels(rect.left), twips.toPixels(rect.top),
                        twips.toPixels(rect.width), twips.toPixels(rect.height));
}

ControlRect rectOf(const QWidget &control, const Twips &twips)
{
    const QRect r = control.geometry();
    return {twips.fromPixels(r.x()), twips.fromPixels(r.y()), twips.fromPixels(r.width()),
            twips.fromPixels(r.height())};
}

} // namespace

FormGeometry geometryOf(const FormControls &controls, const Twips &twips)
{
    FormGeometry current;
    current.tv = rectOf(*controls.tv, twips);
    current.txtDescription = rectOf(*controls.txtDescription, twips);
    current.btn_define = rectOf(*controls.btn_define, twips);
    current.lbl_level = rectOf(*controls.lbl_level, twips);
    return current;
}

void place(const FormControls &controls, const FormGeometry &geometry, const Twips &twips)
{
    place(*controls.tv, geometry.tv, twips);
    place(*controls.txtDescription, geometry.txtDescription, twips);
    place(*controls.btn_define, geometry.btn_define, twips);
    place(*controls.lbl_level, geometry.lbl_level, twips);
}

} // namespace kestrelon
