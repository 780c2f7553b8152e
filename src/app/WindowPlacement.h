#pragma once

class QWidget;

namespace kestrelon {

// Puts a top-level window, frame included, in the middle of its screen.
void centreOnScreen(QWidget &window);

} // namespace kestrelon
