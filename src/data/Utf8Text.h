// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

namespace kestrelon {

// The characters of valid UTF-8, as a cell read on its own gives them: a
// leading U+FEFF stays a character, where Qt's own conversions drop it.
QString textOfUtf8(QByteArrayView bytes);

} // namespace kestrelon
