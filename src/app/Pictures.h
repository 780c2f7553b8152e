// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QList>

namespace kestrelon {

// The program's pictures, drawn as 16-colour images with transparency.
namespace Pictures {

// A globe showing the Americas: the window's icon. Drawn as 16-colour
// pictures at 16x16 and 32x32, smoothly at the other sizes a desktop shows
// (22 to 256). Each picture is read when something first shows it.
QIcon globe();

// The same globe at the sizes a title bar or a task bar shows (16 to 48),
// which a window hands the window manager when it first shows, before the
// large pictures a task switcher or a dock may ask for.
QIcon globeForTitleBar();

// Closed folder, open folder and pointing hand at 32x32: the tree's pictures,
// image index 1, 2 and 3. A selected node keeps the picture's own colours.
QList<QIcon> imageList1();

// The same three pictures at 20x20; nothing shows them.
QList<QIcon> imageList2();

} // namespace Pictures
} // namespace kestrelon
